// The rule packets a reader hands out: the distinct ones of the recording in
// file order, then those a caller added, walked by first / next.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ZAVIFileSDK.h"

namespace zavifile {

class RuleList {
public:
    // Adds a copy unless an equal rule (same sub-type and payload) is listed.
    void AddDistinct(const uint8_t *packet, uint32_t length);
    void Clear();

    // Copy out the first / next rule (see ZAVI_Read_GetFirstRule).
    int32_t First(uint8_t *buffer, uint32_t *length);
    int32_t Next(uint8_t *buffer, uint32_t *length);

private:
    int32_t CopyOut(size_t rule, uint8_t *buffer, uint32_t *length);

    std::vector<std::vector<uint8_t>> rules_;
    size_t next_ = 0;
};

} // namespace zavifile
