// A reader: one open recording at a time, read in the order, key-frame
// setting, loop and search its caller chose. The functions of ZAVIFileSDK.h's
// reader section, once the handle has been found.
#pragma once

#include <cstdint>
#include <memory>

#include "ZAVIFileSDK.h"
#include "read_cursor.h"
#include "recording.h"
#include "rule_list.h"

namespace zavifile {

class Reader {
public:
    int32_t Open(ZAVIFILE_ARG first, ZAVIFILE_ARG flags, uint32_t *result);
    void Close();

    int32_t NextFrame(const uint8_t **packet, uint32_t *length, uint32_t *position);
    int32_t SetForward(bool forward) { return Apply(&ReadCursor::SetForward, forward); }
    int32_t SetKeyOnly(bool keyOnly) { return Apply(&ReadCursor::SetKeyOnly, keyOnly); }
    int32_t SetLoop(bool loop) { return Apply(&ReadCursor::SetLoop, loop); }
    int32_t SetPosition(uint32_t position);
    int32_t Seek(float where);
    int32_t GetPosition(uint32_t *position) const;
    int32_t GetFileInfo(uint32_t *record) const;
    int32_t GetTimeLine(ZAVIFILE_TIMELINE_ENTRY *entries, uint32_t *count) const;
    int32_t SetFastSearch(uint32_t from, uint32_t to, uint32_t what);
    int32_t SetRule(const uint8_t *packet, int32_t length);
    int32_t GetFirstRule(uint8_t *buffer, uint32_t *length);
    int32_t GetNextRule(uint8_t *buffer, uint32_t *length);

private:
    // Applies a reading setting to the open recording's cursor.
    int32_t Apply(void (ReadCursor::*setting)(bool), bool value);
    // The recording's own rules are read on the first rule call only, so
    // that opening a long recording reads nothing but its index.
    int32_t LoadRules();

    std::unique_ptr<Recording> recording_;
    std::unique_ptr<ReadCursor> cursor_;
    RuleList rules_;
    bool rulesLoaded_ = false;
};

} // namespace zavifile
