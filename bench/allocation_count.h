// Heap allocations of the whole process, counted by a hook on malloc,
// calloc and realloc (operator new goes through malloc). Sanitizer builds
// keep their own allocator: there the count is not available.
#pragma once

#include <cstdint>

namespace zavi::bench {

// False when this build cannot count (the counters below stay 0).
bool CountsAllocations();
uint64_t Allocations();

} // namespace zavi::bench
