#include "smoke_sound.h"

#include <cstdio>

#include "ZAVIDecSDK.h"
#include "ZAVIPacket.h"
#include "smoke_check.h"

namespace smoke {

namespace {

// DirectSound's attenuation runs from -10000 (silent) to 0 (full volume):
// a buffer refuses +100, while without a buffer the value is only stored.
constexpr int32_t kRefusedVolume = 100;
constexpr int32_t kLoweredVolume = -2500;
// G.711 A-law at 8000 Hz mono, 16-bit samples: what the stream carries.
constexpr ZAVI_WAVEFORMAT kCaptureFormat{ZAVIDEC_FORMAT_G711A, 1, 8000, 16000, 2, 16, 0};
constexpr LONG kWantedDeliveries = 4;
constexpr DWORD kCaptureWaitMs = 10000;
constexpr DWORD kPollMs = 20;

volatile LONG deliveries = 0;
volatile LONG foreignDeliveries = 0;

void ZAVI_CALL OnCapture(const uint8_t *data, uint32_t length, uintptr_t, uintptr_t)
{
    const bool isG711A = data != nullptr && zavipkt_is_whole(data, length) &&
                         zavipkt_u16(data + ZAVIPKT_OFF_FRAME_TYPE) == ZAVIPKT_FRAME_AUDIO &&
                         zavipkt_u16(data + ZAVIPKT_OFF_CODEC) == ZAVIPKT_CODEC_G711A;
    InterlockedIncrement(isG711A ? &deliveries : &foreignDeliveries);
}

// The volume calls of a player or a talkback against its sound buffer.
template <typename SetVolume, typename GetVolume>
void CheckVolume(SetVolume setVolume, GetVolume getVolume, ZAVI_HANDLE handle, bool withDevice, const char *owner)
{
    char what[128];
    const int32_t refused = setVolume(handle, kRefusedVolume);
    if (!withDevice) {
        std::snprintf(what, sizeof what, "without a sound device %s only stores its volume", owner);
        Check(refused == ZAVI_OK, what);
        return;
    }
    std::snprintf(what, sizeof what, "%s has a DirectSound buffer (it refuses volume +100)", owner);
    Check(refused == ZAVI_ERR_FAIL, what);
    int32_t volume = 0;
    const bool set = setVolume(handle, kLoweredVolume) == ZAVI_OK;
    const bool read = getVolume(handle, &volume) == ZAVI_OK;
    char detail[64];
    std::snprintf(detail, sizeof detail, "(set %d, read %d)", kLoweredVolume, volume);
    std::snprintf(what, sizeof what, "%s's volume round-trips through the buffer", owner);
    Check(set && read && volume == kLoweredVolume, what, detail);
}

} // namespace

void CheckPlayerSound(const Exports &api, ZAVI_HANDLE player, bool withDevice)
{
    CheckVolume(api.setVolume, api.getVolume, player, withDevice, "the player");
}

void CheckTalkback(const Exports &api, HWND window, const std::vector<std::vector<uint8_t>> &packets,
                   bool withDevice)
{
    ZAVI_HANDLE talkback = 0;
    const int32_t opened = api.tkInit(static_cast<ZAVI_HWND>(reinterpret_cast<uintptr_t>(window)), &talkback);
    if (!withDevice) {
        Check(opened == ZAVI_ERR_FAIL && talkback == 0, "without a capture device ZAVI_Play_TKInit refuses");
        return;
    }
    Check(opened == ZAVI_OK && talkback != 0, "ZAVI_Play_TKInit opens the DirectSoundCapture device");
    if (talkback == 0) return;
    api.tkRegCaptureData(talkback, OnCapture, 0, 0);
    Check(api.tkStart(talkback, &kCaptureFormat) == ZAVI_OK, "ZAVI_Play_TKStart captures G.711 A-law");
    for (const auto &packet : packets) {
        if (zavipkt_u16(packet.data() + ZAVIPKT_OFF_FRAME_TYPE) == ZAVIPKT_FRAME_AUDIO) {
            api.tkSendToPc(talkback, packet.data(), static_cast<int32_t>(packet.size()));
        }
    }
    CheckVolume(api.tkSetVolume, api.tkGetVolume, talkback, withDevice, "talkback");
    for (DWORD waited = 0; waited < kCaptureWaitMs && deliveries < kWantedDeliveries; waited += kPollMs) {
        Sleep(kPollMs);
    }
    Check(api.tkStop(talkback) == ZAVI_OK, "ZAVI_Play_TKStop");
    char detail[64];
    std::snprintf(detail, sizeof detail, "(%ld packets, %ld in another form)", deliveries, foreignDeliveries);
    Check(deliveries >= kWantedDeliveries && foreignDeliveries == 0,
          "captured sound reaches the callback as G.711 A-law packets", detail);
    Check(api.tkRelease(talkback) == ZAVI_OK, "ZAVI_Play_TKRelease");
}

} // namespace smoke
