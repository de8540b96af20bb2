// ZAVI_PickMV's work: rule packets become the fixed 2056-byte rule block the
// overlay drawing reads, motion/alarm packets the motion data whose second
// word is the alarm mask. The parsed bytes live in storage of the calling
// thread, valid until that thread parses the next packet.
#pragma once

#include "ZAVIDecSDK.h"
#include "packet_view.h"

namespace zavidec {

int32_t pickMotionVectors(const PacketView &packet, ZAVIDEC_MVRESULT &result);

} // namespace zavidec
