// Fast search: which groups of pictures hold the events a user looks for.
#pragma once

#include <cstdint>
#include <vector>

#include "packet_index.h"

namespace zavifile {

// One flag per key frame: set for the groups whose key frame time stamp lies
// in [from, to] and during which a motion/alarm packet reports one of the
// `what` events (ZAVIFILE_SEARCH_* bits). Empty when no group matches.
std::vector<bool> MatchingGops(const PacketIndex &index, uint32_t from, uint32_t to, uint32_t what);

} // namespace zavifile
