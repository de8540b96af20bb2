// The packets of one segment of a group, copied out of the file module so
// that they are decoded without holding the reader lock. The storage keeps
// its capacity from segment to segment: once it has held the largest group,
// copying allocates nothing.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/zavi_thread.h"
#include "file/file_read_man.h"

namespace zavi::reverse {

class SegmentPackets final : public FileReadMan::FrameVisitor {
public:
    struct Entry {
        size_t offset;
        uint32_t length;
        uint32_t position;
    };

    // Starts a segment; `thread`, when given, ends the copying once it is
    // told to stop.
    void Begin(const ZAVIThread *thread);
    bool Visit(const uint8_t *packet, uint32_t length, uint32_t position) override;

    const std::vector<Entry> &Entries() const { return entries_; }
    const uint8_t *Data(const Entry &entry) const { return bytes_.data() + entry.offset; }

private:
    const ZAVIThread *thread_ = nullptr;
    std::vector<uint8_t> bytes_;
    std::vector<Entry> entries_;
};

} // namespace zavi::reverse
