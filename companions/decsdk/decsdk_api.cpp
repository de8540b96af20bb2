// Exported entry points of the decoder module. Each one checks its handle
// against the handle table, reads the packet header, and hands the work to
// the object behind the handle. No exception leaves the module.
#include "ZAVIDecSDK.h"
#include "audio_decoder.h"
#include "audio_encoder.h"
#include "handle_table.h"
#include "mv_parser.h"
#include "packet_view.h"
#include "video_decoder.h"

#include <memory>
#include <new>

using namespace zavidec;

namespace {

template <typename Work>
int32_t guarded(Work &&work)
{
    try {
        return work();
    } catch (const std::bad_alloc &) {
        return ZAVIDEC_ERR_NO_MEMORY;
    }
}

template <typename Object>
int32_t openHandle(ZAVIDEC_HANDLE *slot, Family family, uint32_t failBit, std::unique_ptr<Object> (*make)())
{
    if (slot == nullptr) return ZAVIDEC_ERR_ARG;
    if (initFailureRequested(failBit)) return ZAVIDEC_ERR_INIT;
    return guarded([&] {
        std::unique_ptr<Object> object = make();
        if (!object) return ZAVIDEC_ERR_INIT;
        *slot = registerHandle(object.release(), family);
        return ZAVIDEC_OK;
    });
}

template <typename Object>
int32_t closeHandle(ZAVIDEC_HANDLE handle, Family family)
{
    auto *object = static_cast<Object *>(unregisterHandle(handle, family));
    if (object == nullptr) return ZAVIDEC_ERR_ARG;
    delete object;
    return ZAVIDEC_OK;
}

template <typename Object>
std::unique_ptr<Object> makePlain()
{
    return std::make_unique<Object>();
}

// Looks up the handle, reads the packet, and runs `work(object, packet)`.
template <typename Object, typename Work>
int32_t withPacket(ZAVIDEC_HANDLE handle, Family family, const uint8_t *bytes, int32_t length, bool outputGiven, Work &&work)
{
    auto *object = static_cast<Object *>(findHandle(handle, family));
    if (object == nullptr || !outputGiven) return ZAVIDEC_ERR_ARG;
    PacketView packet;
    if (const int32_t status = readPacket(bytes, length, packet); status != ZAVIDEC_OK) return status;
    return guarded([&] { return work(*object, packet); });
}

} // namespace

ZAVIDEC_API int32_t ZAVIDEC_CALL ZAVI_VideoDec_Init(ZAVIDEC_HANDLE *handle)
{
    return openHandle<VideoDecoder>(handle, Family::VideoDecoder, ZAVIDEC_FAIL_VIDEO_INIT, &VideoDecoder::create);
}

ZAVIDEC_API int32_t ZAVIDEC_CALL ZAVI_VideoDec_Decode(ZAVIDEC_HANDLE handle, const uint8_t *packet, int32_t length,
                                                     ZAVIDEC_PICTURE *picture)
{
    return withPacket<VideoDecoder>(handle, Family::VideoDecoder, packet, length, picture != nullptr,
                                    [&](VideoDecoder &decoder, const PacketView &view) { return decoder.decode(view, *picture); });
}

ZAVIDEC_API int32_t ZAVIDEC_CALL ZAVI_VideoDec_Release(ZAVIDEC_HANDLE handle)
{
    return closeHandle<VideoDecoder>(handle, Family::VideoDecoder);
}

ZAVIDEC_API int32_t ZAVIDEC_CALL ZAVI_AudioDec_Init(ZAVIDEC_HANDLE *handle)
{
    return openHandle<AudioDecoder>(handle, Family::AudioDecoder, ZAVIDEC_FAIL_AUDIO_INIT, &makePlain<AudioDecoder>);
}

ZAVIDEC_API int32_t ZAVIDEC_CALL ZAVI_AudioDec_Decode(ZAVIDEC_HANDLE handle, const uint8_t *packet, int32_t length,
                                                     ZAVIDEC_AUDIO *audio)
{
    return withPacket<AudioDecoder>(handle, Family::AudioDecoder, packet, length, audio != nullptr,
                                    [&](AudioDecoder &decoder, const PacketView &view) { return decoder.decode(view, *audio); });
}

ZAVIDEC_API int32_t ZAVIDEC_CALL ZAVI_AudioDec_Release(ZAVIDEC_HANDLE handle)
{
    return closeHandle<AudioDecoder>(handle, Family::AudioDecoder);
}

ZAVIDEC_API int32_t ZAVIDEC_CALL ZAVI_AudioEnc_Init(ZAVIDEC_HANDLE *handle)
{
    return openHandle<AudioEncoder>(handle, Family::AudioEncoder, ZAVIDEC_FAIL_ENCODER_INIT, &makePlain<AudioEncoder>);
}

ZAVIDEC_API int32_t ZAVIDEC_CALL ZAVI_AudioEnc_Encode(ZAVIDEC_HANDLE handle, const ZAVIDEC_AUDIO *pcm, uint32_t nowMs,
                                                     const uint8_t **data, uint32_t *length)
{
    auto *encoder = static_cast<AudioEncoder *>(findHandle(handle, Family::AudioEncoder));
    if (encoder == nullptr || pcm == nullptr || data == nullptr || length == nullptr) return ZAVIDEC_ERR_ARG;
    return guarded([&] {
        std::span<const uint8_t> packet;
        const int32_t status = encoder->encode(*pcm, nowMs, packet);
        if (status == ZAVIDEC_OK) {
            *data = packet.data();
            *length = static_cast<uint32_t>(packet.size());
        }
        return status;
    });
}

ZAVIDEC_API int32_t ZAVIDEC_CALL ZAVI_AudioEnc_Release(ZAVIDEC_HANDLE handle)
{
    return closeHandle<AudioEncoder>(handle, Family::AudioEncoder);
}

ZAVIDEC_API int32_t ZAVIDEC_CALL ZAVI_PickMV(const uint8_t *packet, int32_t length, ZAVIDEC_MVRESULT *result)
{
    if (result == nullptr) return ZAVIDEC_ERR_ARG;
    PacketView view;
    if (const int32_t status = readPacket(packet, length, view); status != ZAVIDEC_OK) return status;
    return pickMotionVectors(view, *result);
}

ZAVIDEC_API void ZAVIDEC_CALL ZAVIDec_TestFailInit(uint32_t mask) { setInitFailures(mask); }

ZAVIDEC_API int32_t ZAVIDEC_CALL ZAVIDec_TestOpenHandles(void) { return openHandleCount(); }
