// The in-memory index of a recording: every packet with its place in the
// file, and the video frames and key frames among them, so that positions,
// seeks, reverse play and the time line need no file access.
#pragma once

#include <cstdint>
#include <vector>

namespace zavifile {

// What the stored index keeps of one packet (offsets follow from the lengths:
// the packet records lie back to back).
struct StoredEntry {
    uint32_t length = 0;
    uint32_t timeStamp = 0;
    uint16_t frameType = 0;
    uint8_t subType = 0;
    uint8_t events = 0;     // kEvent* bits of a motion/alarm packet
};

inline constexpr uint32_t kNone = 0xFFFFFFFFu;

class PacketIndex {
public:
    explicit PacketIndex(uint64_t dataStart) : dataEnd_(dataStart) {}

    void Add(const StoredEntry &entry);

    uint32_t PacketCount() const { return static_cast<uint32_t>(packets_.size()); }
    const StoredEntry &Entry(uint32_t packet) const { return packets_[packet].stored; }
    // Where the packet itself starts (after its record's checksum).
    uint64_t Offset(uint32_t packet) const { return packets_[packet].offset; }
    // Where the last packet record ends.
    uint64_t DataEnd() const { return dataEnd_; }
    // The group of pictures a packet belongs to (the ordinal of its key
    // frame), or kNone before the first key frame. Audio and extra data
    // belong to the group of the next picture (of the last one at the end).
    uint32_t GopOfPacket(uint32_t packet) const { return packets_[packet].gop; }
    // The video frame number of a video packet, kNone for other packets.
    uint32_t VideoOfPacket(uint32_t packet) const { return packets_[packet].video; }

    uint32_t VideoCount() const { return static_cast<uint32_t>(videoPackets_.size()); }
    uint32_t VideoPacket(uint32_t video) const { return videoPackets_[video]; }
    uint32_t GopOfVideo(uint32_t video) const { return GopOfPacket(videoPackets_[video]); }
    uint32_t TimeOfVideo(uint32_t video) const { return Entry(videoPackets_[video]).timeStamp; }

    uint32_t KeyCount() const { return static_cast<uint32_t>(keyVideos_.size()); }
    // The video frame of a key frame ordinal.
    uint32_t KeyVideo(uint32_t gop) const { return keyVideos_[gop]; }
    // The first frame of the group (its key frame), or 0 for frames before the first key frame.
    uint32_t GopStart(uint32_t video) const;
    // The last video frame of a group.
    uint32_t GopLast(uint32_t gop) const;

    // Times relative to the first packet, so that a recording across the
    // wrap of the 32-bit millisecond clock still orders correctly.
    uint32_t StartTime() const { return packets_.empty() ? 0 : packets_.front().stored.timeStamp; }
    uint32_t EndTime() const { return packets_.empty() ? 0 : packets_.back().stored.timeStamp; }
    uint32_t Duration() const { return EndTime() - StartTime(); }
    uint32_t Relative(uint32_t timeStamp) const { return timeStamp - StartTime(); }
    // The last video frame whose relative time is at or before `relative`
    // (0 when there is none), assuming times grow in file order.
    uint32_t LastVideoAtOrBefore(uint32_t relative) const;
    // The group whose key frame time is the last at or before `relative`, or kNone.
    uint32_t GopAtTime(uint32_t relative) const;

private:
    struct Packet {
        StoredEntry stored;
        uint64_t offset;
        uint32_t gop;
        uint32_t video;
    };

    std::vector<Packet> packets_;
    std::vector<uint32_t> videoPackets_;
    std::vector<uint32_t> keyVideos_;
    uint64_t dataEnd_;
    uint32_t ungroupedFrom_ = 0;    // first packet after the last video frame
};

bool IsVideo(uint16_t frameType);
bool IsKeyFrame(uint16_t frameType);
bool IsRulePacket(uint16_t frameType, uint8_t subType);
bool IsEventPacket(uint16_t frameType, uint8_t subType);

} // namespace zavifile
