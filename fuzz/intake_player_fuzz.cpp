// Arbitrary sequences of client calls on one player whose playback threads
// stay idle: packets of every frame type, length and flag combination
// through ZAVI_Play_InputStream, takes as the playback threads make them,
// and the commands that reshape the caches. After every step the caches must
// hold whole packets only: each payload carries its own fill byte, so a torn
// or overwritten frame shows.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "ZAVIPlaySDK.h"
#include "fuzz_script.h"
#include "idle_player.h"
#include "player/play_man.h"
#include "stream/packet_fields.h"

namespace {

constexpr uint16_t kFrameTypes[] = {1, 33, 34, 35, 49, 50, 51, 80, 7};
constexpr size_t kHeaderBytes = 32;

std::vector<uint8_t> Packet(uint16_t frameType, uint32_t length, uint32_t stamp, uint8_t subType)
{
    std::vector<uint8_t> packet(length, static_cast<uint8_t>(stamp));
    for (size_t i = 0; i < std::min<size_t>(kHeaderBytes, length); ++i) packet[i] = 0;
    if (length > zavi::kOffsetFrameType + 1) {
        packet[zavi::kOffsetFrameType] = static_cast<uint8_t>(frameType);
        packet[zavi::kOffsetFrameType + 1] = static_cast<uint8_t>(frameType >> 8);
    }
    if (length > zavi::kOffsetTimeStamp + 3)
        for (int i = 0; i < 4; ++i) packet[zavi::kOffsetTimeStamp + i] = static_cast<uint8_t>(stamp >> (8 * i));
    if (length > zavi::kOffsetSubType) packet[zavi::kOffsetSubType] = subType;
    return packet;
}

// A taken packet is whole when every payload byte is the low byte of its stamp.
void CheckWhole(const zavi::stream::TakenFrame &frame)
{
    if (frame.length < zavi::kMinimumPacketLength) std::abort();
    const uint8_t fill = static_cast<uint8_t>(frame.timeStamp);
    for (uint32_t i = kHeaderBytes; i < frame.length; ++i)
        if (frame.data[i] != fill) std::abort();
}

void CheckCounts(zavi_test::IdlePlayer &player)
{
    auto &caches = player.Caches();
    if (caches.video.Count() > caches.video.DescriptorCount() - 1 && caches.video.DescriptorCount() > 0) std::abort();
    if (caches.audio.Count() > caches.audio.DescriptorCount() - 1 && caches.audio.DescriptorCount() > 0) std::abort();
}

// One player for the whole run, made before fuzzing starts so that its
// decoders and threads are not taken for allocations of the first input.
zavi_test::IdlePlayer *player = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    player = new zavi_test::IdlePlayer;
    if (player->Initialise(0) != ZAVI_OK) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    zavi_test::IdlePlayer &player = *::player;
    const auto handle = reinterpret_cast<ZAVI_HANDLE>(&player);
    ZAVI_Play_ClearCache(handle);

    FuzzScript script(data, size);
    uint32_t stamp = 0;
    zavi::stream::TakenFrame frame{};
    while (script.More()) {
        switch (script.Byte() % 10) {
        case 0:
        case 1:
        case 2: {
            const uint16_t type = kFrameTypes[script.Byte() % std::size(kFrameTypes)];
            // Mostly small packets, now and then one beyond an audio ring.
            const uint32_t length = script.Byte() % 8 == 0 ? script.Value(30000) : script.Value(3000);
            const uint8_t subType = script.Byte() % 2 ? 80 + script.Byte() % 16 : script.Byte();
            const auto packet = Packet(type, length, stamp += 40, subType);
            ZAVI_Play_InputStream(handle, packet.empty() ? nullptr : packet.data(), static_cast<int32_t>(length),
                                  script.Byte() % 4 != 0, script.Byte() % 4 != 0);
            break;
        }
        case 3:
            if (player.Caches().video.TakeNext(frame)) CheckWhole(frame);
            break;
        case 4:
            if (player.Caches().audio.TakeNext(frame)) CheckWhole(frame);
            break;
        case 5:
            if (player.Caches().motionVector.TakeNext(frame)) CheckWhole(frame);
            break;
        case 6:
            ZAVI_Play_SetVideoType(handle, script.Byte() % 2);
            break;
        case 7:
            ZAVI_Play_SetCacheProperty(handle, script.Byte() % 2);
            break;
        case 8:
            ZAVI_Play_SetCacheSize(handle, script.Value(8) * 1024 * 1024, script.Value(64) * 1024);
            break;
        default:
            ZAVI_Play_PlayStream(handle, script.Byte() % 4);
            break;
        }
        CheckCounts(player);
    }
    return 0;
}
