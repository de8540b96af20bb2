#include "callbacks.h"

#include <atomic>

namespace zavi::stress {
namespace {

std::atomic<uint64_t> gDraws{0};
std::atomic<uint64_t> gStatuses{0};

} // namespace

void ZAVI_CALL countDraw(uintptr_t, int32_t, int32_t, uintptr_t, uintptr_t) { gDraws.fetch_add(1, std::memory_order_relaxed); }
void ZAVI_CALL countStatus(int32_t, uint32_t, uintptr_t, uintptr_t) { gStatuses.fetch_add(1, std::memory_order_relaxed); }

uint64_t drawsCounted() { return gDraws.load(); }
uint64_t statusesCounted() { return gStatuses.load(); }

} // namespace zavi::stress
