// The checks DirectSound makes on the formats and buffer descriptions it is
// given, shared by every backend so that they refuse the same requests with
// the same codes.
#pragma once

#include "platform/sound.h"

namespace zavi::sound {

// PCM only; 1 or 2 channels of 8 or 16 bits; a rate within the device
// limits; block align and average byte rate consistent with the rest.
HResult CheckPcmFormat(const WaveFormat *format);

// The byte value of silence: 0x80 for unsigned 8-bit samples, 0 for 16-bit.
uint8_t SilenceByte(const WaveFormat &format);

HResult CheckBufferDescription(const BufferDescription &description);
HResult CheckCaptureBufferDescription(const CaptureBufferDescription &description);

} // namespace zavi::sound
