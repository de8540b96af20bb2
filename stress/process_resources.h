// The process's threads, open descriptors and resident memory, read from /proc.
#pragma once

#include <cstdint>

namespace zavi::stress {

struct Resources {
    int threads = 0;
    int descriptors = 0;
    int64_t residentBytes = 0;
};

Resources readResources();

} // namespace zavi::stress
