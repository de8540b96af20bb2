// Which packet comes next: the reading order, key-frame-only reading, loop,
// fast-search filtering and positioning, worked out on the index alone.
//
// The cursor stands on a video frame, its anchor. Either the anchor is the
// frame to show next (after open or a position change: "pending"), or it is
// the frame delivered last, and reading goes on next to it in the current
// order. A frame that cannot be decoded on its own comes after a plan of
// decode-only frames from its key frame.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "packet_index.h"

namespace zavifile {

struct Delivery {
    uint32_t packet;
    bool decodeOnly;
};

class ReadCursor {
public:
    explicit ReadCursor(const PacketIndex &index) : index_(index) {}

    void SetForward(bool forward);
    void SetKeyOnly(bool keyOnly);
    void SetLoop(bool loop) { loop_ = loop; }
    // Reads only the groups of pictures marked in `allowed` (one flag per key
    // frame, at least one set) and goes to the first of them in the order.
    void SetFilter(std::vector<bool> allowed);
    void ClearFilter();
    // Makes video frame `video` the next one shown (VideoCount(): the end).
    void PositionAt(uint32_t video);
    uint32_t Position() const { return anchor_; }

    // The next packet, or nothing at the end of the reading order.
    std::optional<Delivery> Next();

private:
    std::optional<Delivery> NextInOrder();
    std::optional<Delivery> NextInPlan();
    std::optional<Delivery> NextStreamed();
    std::optional<Delivery> NextKeyForward();
    std::optional<Delivery> NextKeyBackward();
    std::optional<Delivery> NextBackward();
    void StartStreaming();
    std::optional<Delivery> Show(uint32_t video);
    void Plan(uint32_t from, uint32_t end, bool showsLast);
    void Interrupt();

    bool Allowed(uint32_t gop) const;
    // The first allowed group at or after `gop`, the last at or before it; kNone if none.
    uint32_t AllowedFrom(uint32_t gop) const;
    uint32_t AllowedUpTo(uint32_t gop) const;

    const PacketIndex &index_;
    bool forward_ = true;
    bool keyOnly_ = false;
    bool loop_ = false;
    std::vector<bool> filter_;

    uint32_t anchor_ = 0;
    bool pending_ = true;

    // Video frames [planNext_, planEnd_) still to deliver; all decode-only
    // unless planShowsLast_, when the last one is shown.
    uint32_t planNext_ = 0;
    uint32_t planEnd_ = 0;
    bool planShowsLast_ = false;

    // Forward reading of all frames goes through every packet in file order.
    bool streaming_ = false;
    uint32_t streamNext_ = 0;
};

} // namespace zavifile
