#include "platform/win32/sound_win32_format.h"

namespace zavi::sound::win32_backend {

WAVEFORMATEX NativeFormat(const WaveFormat &format)
{
    WAVEFORMATEX native = {};
    native.wFormatTag = format.formatTag;
    native.nChannels = format.channels;
    native.nSamplesPerSec = format.samplesPerSec;
    native.nAvgBytesPerSec = format.avgBytesPerSec;
    native.nBlockAlign = format.blockAlign;
    native.wBitsPerSample = format.bitsPerSample;
    native.cbSize = format.cbSize;
    return native;
}

} // namespace zavi::sound::win32_backend
