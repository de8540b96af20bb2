// The two phases of the stress run.
#pragma once

#include "scene.h"

#include <chrono>
#include <cstdint>

namespace zavi::stress {

// Live players fed in real time and file players, all under random
// commands from their command threads, for `duration`; every player is
// released at the end.
void runMixedLoad(std::chrono::seconds duration, const Scene &scene, uint64_t seed);

// `cycles` creates and releases, each with the start of a stream in flight.
void runCreateReleaseCycles(int cycles, const Scene &scene);

} // namespace zavi::stress
