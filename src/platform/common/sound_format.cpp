#include "platform/common/sound_format.h"

namespace zavi::sound {

namespace {

constexpr uint16_t kMaxChannels = 2;
constexpr uint16_t kBitsPerByte = 8;
constexpr uint8_t kSilence8Bit = 0x80;
constexpr uint32_t kKnownBufferFlags = kBufferCtrlVolume | kBufferGlobalFocus | kBufferGetCurrentPosition2;

bool IsSupportedSampleSize(uint16_t bitsPerSample) { return bitsPerSample == 8 || bitsPerSample == 16; }

HResult CheckBufferBytes(uint32_t bytes, const WaveFormat &format)
{
    if (bytes < kMinBufferBytes || bytes > kMaxBufferBytes) return kErrInvalidParam;
    if (bytes % format.blockAlign != 0) return kErrInvalidParam;
    return kOk;
}

} // namespace

uint8_t SilenceByte(const WaveFormat &format) { return format.bitsPerSample == 8 ? kSilence8Bit : 0; }

HResult CheckPcmFormat(const WaveFormat *format)
{
    if (format == nullptr) return kErrInvalidParam;
    if (format->formatTag != kWaveFormatPcm) return kErrBadFormat;
    if (format->channels == 0 || format->channels > kMaxChannels) return kErrBadFormat;
    if (!IsSupportedSampleSize(format->bitsPerSample)) return kErrBadFormat;
    if (format->samplesPerSec < kMinSampleRate || format->samplesPerSec > kMaxSampleRate) return kErrBadFormat;
    const uint32_t blockAlign = format->bitsPerSample / kBitsPerByte * format->channels;
    if (format->blockAlign != blockAlign) return kErrInvalidParam;
    if (format->avgBytesPerSec != blockAlign * format->samplesPerSec) return kErrInvalidParam;
    return kOk;
}

HResult CheckBufferDescription(const BufferDescription &description)
{
    if (description.size != kBufferDescriptionSize || description.reserved != 0) return kErrInvalidParam;
    if ((description.flags & ~kKnownBufferFlags) != 0) return kErrControlUnavail;
    const HResult format = CheckPcmFormat(description.format);
    if (Failed(format)) return format;
    return CheckBufferBytes(description.bufferBytes, *description.format);
}

HResult CheckCaptureBufferDescription(const CaptureBufferDescription &description)
{
    if (description.size != kCaptureBufferDescriptionSize || description.reserved != 0) return kErrInvalidParam;
    if (description.flags != 0 || description.fxCount != 0) return kErrInvalidParam;
    const HResult format = CheckPcmFormat(description.format);
    if (Failed(format)) return format;
    return CheckBufferBytes(description.bufferBytes, *description.format);
}

} // namespace zavi::sound
