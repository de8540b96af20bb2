// G.711 companding (ITU-T G.711): 8-bit A-law and mu-law codes to and from
// 16-bit linear PCM.
#pragma once

#include <cstdint>

namespace zavidec::g711 {

int16_t alawToLinear(uint8_t code);
int16_t ulawToLinear(uint8_t code);
uint8_t linearToAlaw(int16_t sample);
uint8_t linearToUlaw(int16_t sample);

} // namespace zavidec::g711
