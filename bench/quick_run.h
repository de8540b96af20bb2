// Benchmarks run short under ctest (ZAVI_BENCH_QUICK set), as smoke runs
// that show they still work; their figures come from a full run by hand.
#pragma once

#include <cstdlib>

inline bool Quick() { return std::getenv("ZAVI_BENCH_QUICK") != nullptr; }
