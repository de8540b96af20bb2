// Where made packets go: each call receives one whole packet (header and
// payload), valid only during the call.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace zavi::pack {

using Packet = std::vector<uint8_t>;
using PacketSink = std::function<void(std::span<const uint8_t> packet)>;

// A sink that appends copies of the packets to `packets`.
inline PacketSink collectInto(std::vector<Packet> &packets)
{
    return [&packets](std::span<const uint8_t> packet) { packets.emplace_back(packet.begin(), packet.end()); };
}

} // namespace zavi::pack
