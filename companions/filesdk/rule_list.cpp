#include "rule_list.h"

#include <algorithm>
#include <cstring>

#include "ZAVIPacket.h"

namespace zavifile {
namespace {

bool SameRule(const std::vector<uint8_t> &rule, const uint8_t *packet, uint32_t length)
{
    const uint32_t headerLength = packet[ZAVIPKT_OFF_HEADER_LEN];
    return rule.size() == length && rule[ZAVIPKT_OFF_HEADER_LEN] == headerLength &&
           rule[ZAVIPKT_OFF_SUB_TYPE] == packet[ZAVIPKT_OFF_SUB_TYPE] &&
           std::equal(rule.begin() + headerLength, rule.end(), packet + headerLength);
}

} // namespace

void RuleList::AddDistinct(const uint8_t *packet, uint32_t length)
{
    for (const auto &rule : rules_) {
        if (SameRule(rule, packet, length)) return;
    }
    rules_.emplace_back(packet, packet + length);
}

void RuleList::Clear()
{
    rules_.clear();
    next_ = 0;
}

int32_t RuleList::First(uint8_t *buffer, uint32_t *length)
{
    next_ = 0;
    return CopyOut(0, buffer, length);
}

int32_t RuleList::Next(uint8_t *buffer, uint32_t *length) { return CopyOut(next_, buffer, length); }

int32_t RuleList::CopyOut(size_t rule, uint8_t *buffer, uint32_t *length)
{
    if (rule >= rules_.size()) return ZAVIFILE_ERR_NO_RULE;
    const auto &packet = rules_[rule];
    const uint32_t capacity = *length;
    *length = static_cast<uint32_t>(packet.size());
    if (buffer == nullptr) return ZAVIFILE_OK;
    if (capacity < packet.size()) return ZAVIFILE_ERR_BUFFER;
    std::memcpy(buffer, packet.data(), packet.size());
    next_ = rule + 1;
    return ZAVIFILE_OK;
}

} // namespace zavifile
