// Drawing the analysis rules of the stream over the picture: regions as
// closed outlines, lines as segments, each numbered, red while its alarm
// bit is raised and cyan otherwise.
#pragma once

#include "platform/display.h"

#include "ZAVIDecSDK.h"

#include <cstdint>

namespace zavi::display {

// Draws the rules of the 2056-byte rule block (null: nothing) with the
// alarm mask of the motion-vector result on the device context.
void DrawRules(platform::DeviceContext context, const uint8_t *ruleBlock, const ZAVIDEC_MVRESULT &motion);

} // namespace zavi::display
