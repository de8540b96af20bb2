#include "display/overlay_drawing.h"

#include "display/display_constants.h"
#include "platform/canvas.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace zavi::display {

namespace {

using platform::DeviceContext;
using platform::PenHandle;

template <typename Value> Value ReadLittle(const uint8_t *bytes)
{
    Value value; // the library runs on little-endian machines only
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

platform::Point ReadPoint(const uint8_t *bytes)
{
    return platform::Point{ReadLittle<int16_t>(bytes), ReadLittle<int16_t>(bytes + 2)};
}

// A result whose data is missing or too short to hold the mask raises no
// alarm.
uint32_t AlarmMask(const ZAVIDEC_MVRESULT &motion)
{
    if (motion.data == nullptr || motion.length < kAlarmMaskOffset + sizeof(uint32_t)) return 0;
    return ReadLittle<uint32_t>(motion.data + kAlarmMaskOffset);
}

class RulePainter {
public:
    RulePainter(DeviceContext context, uint32_t alarms)
        : context_(context), alarms_(alarms),
          normalPen_(platform::CreatePen(platform::PS_SOLID, kRulePenWidth, kNormalPenColor)),
          alarmPen_(platform::CreatePen(platform::PS_SOLID, kRulePenWidth, kAlarmPenColor))
    {
        platform::SetBkMode(context_, platform::TRANSPARENT);
        platform::SetTextColor(context_, kLabelTextColor);
        previousPen_ = platform::SelectPen(context_, normalPen_);
    }

    ~RulePainter()
    {
        platform::SelectPen(context_, previousPen_);
        platform::DeletePen(normalPen_);
        platform::DeletePen(alarmPen_);
    }

    RulePainter(const RulePainter &) = delete;
    RulePainter &operator=(const RulePainter &) = delete;

    void SelectPenFor(size_t rule)
    {
        const bool alarm = (alarms_ >> (rule % kAlarmBits)) & 1u;
        platform::SelectPen(context_, alarm ? alarmPen_ : normalPen_);
    }

    void MoveTo(platform::Point point) { platform::MoveToEx(context_, point.x, point.y, nullptr); }
    void LineTo(platform::Point point) { platform::LineTo(context_, point.x, point.y); }

    void Label(size_t rule, platform::Point at)
    {
        char text[16];
        const int length = std::snprintf(text, sizeof text, "%d", static_cast<int>(rule + 1));
        const platform::Rect box{at.x + kLabelOffset, at.y + kLabelOffset, at.x + kLabelExtent, at.y + kLabelExtent};
        platform::DrawText(context_, text, length, box, kLabelFormat);
    }

private:
    DeviceContext context_;
    uint32_t alarms_;
    PenHandle normalPen_;
    PenHandle alarmPen_;
    PenHandle previousPen_ = 0;
};

// Counts beyond what the block holds are cut to the records that fit, and a
// region's point count to the points its record has room for.
void DrawRegions(RulePainter &painter, const uint8_t *block)
{
    const int32_t count = ReadLittle<int32_t>(block + kRuleCountOffset);
    const size_t regions = count > 0 ? std::min(static_cast<size_t>(count), kMaxRegions) : 0;
    for (size_t i = 0; i < regions; ++i) {
        const uint8_t *record = block + kRegionRecordsOffset + i * kRegionRecordSize;
        const int32_t further = ReadLittle<int32_t>(record);
        if (further == 0) continue;
        painter.SelectPenFor(i);
        const platform::Point first = ReadPoint(record + kRegionFirstPointOffset);
        painter.MoveTo(first);
        for (int32_t k = 0; k < std::min(further, kRegionMaxFurtherPoints); ++k)
            painter.LineTo(ReadPoint(record + kRegionFurtherPointsOffset + static_cast<size_t>(k) * kPointSize));
        painter.LineTo(first);
        painter.Label(i, first);
    }
}

void DrawLines(RulePainter &painter, const uint8_t *block)
{
    const size_t lines = std::min(static_cast<size_t>(ReadLittle<uint16_t>(block + kRuleCountOffset)), kMaxLines);
    for (size_t i = 0; i < lines; ++i) {
        const uint8_t *record = block + kLineRecordsOffset + i * kLineRecordSize;
        painter.SelectPenFor(i);
        const platform::Point start = ReadPoint(record + kLineStartOffset);
        painter.MoveTo(start);
        painter.LineTo(ReadPoint(record + kLineEndOffset));
        painter.Label(i, start);
    }
}

} // namespace

void DrawRules(DeviceContext context, const uint8_t *ruleBlock, const ZAVIDEC_MVRESULT &motion)
{
    if (ruleBlock == nullptr) return;
    RulePainter painter(context, AlarmMask(motion));
    switch (ruleBlock[kRuleKindOffset]) {
    case kRuleKindRegions: DrawRegions(painter, ruleBlock); break;
    case kRuleKindLines: DrawLines(painter, ruleBlock); break;
    default: break;
    }
}

} // namespace zavi::display
