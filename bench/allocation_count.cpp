#include "allocation_count.h"

#include <atomic>
#include <cstddef>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define ZAVI_BENCH_COUNTS_ALLOCATIONS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define ZAVI_BENCH_COUNTS_ALLOCATIONS 0
#endif
#endif
#ifndef ZAVI_BENCH_COUNTS_ALLOCATIONS
#define ZAVI_BENCH_COUNTS_ALLOCATIONS 1
#endif

namespace {
std::atomic<uint64_t> gAllocations{0};
} // namespace

#if ZAVI_BENCH_COUNTS_ALLOCATIONS
extern "C" {
void *__libc_malloc(size_t size);
void *__libc_calloc(size_t count, size_t size);
void *__libc_realloc(void *block, size_t size);

void *malloc(size_t size)
{
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_malloc(size);
}

void *calloc(size_t count, size_t size)
{
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_calloc(count, size);
}

void *realloc(void *block, size_t size)
{
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_realloc(block, size);
}
}
#endif

namespace zavi::bench {

bool CountsAllocations() { return ZAVI_BENCH_COUNTS_ALLOCATIONS != 0; }

uint64_t Allocations() { return gAllocations.load(std::memory_order_relaxed); }

} // namespace zavi::bench
