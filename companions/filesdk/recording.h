// An open recording: its bytes and its index.
#pragma once

#include <cstdint>
#include <memory>

#include "byte_source.h"
#include "packet_index.h"

namespace zavifile {

class Recording {
public:
    // Checks the file header and loads the stored index, or rebuilds it by
    // scanning as the ZAVIFILE_OPEN_* flags allow. Returns 0 or a ZAVIFILE_ERR_* code.
    static int32_t Open(std::unique_ptr<ByteSource> source, uint32_t flags, std::unique_ptr<Recording> &opened);

    const PacketIndex &Index() const { return index_; }

    // The whole packet, or null when its bytes are gone or no longer hold the
    // packet the index describes. Valid until the next read.
    const uint8_t *ReadPacket(uint32_t packet);

private:
    Recording(std::unique_ptr<ByteSource> source, PacketIndex index)
        : source_(std::move(source)), index_(std::move(index)) {}

    std::unique_ptr<ByteSource> source_;
    PacketIndex index_;
};

} // namespace zavifile
