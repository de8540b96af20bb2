#include "platform/virtual/sound_virtual_faults.h"

#include <array>
#include <atomic>

#include "ZAVIVirtualSound.h"

namespace zavi::sound::virtual_backend {

namespace {

std::array<std::atomic<uint32_t>, ZAVIVIRTUAL_SOUND_FAULT_COUNT> &Counts()
{
    static std::array<std::atomic<uint32_t>, ZAVIVIRTUAL_SOUND_FAULT_COUNT> counts{};
    return counts;
}

} // namespace

bool InjectFault(uint32_t fault, uint32_t count)
{
    if (fault >= ZAVIVIRTUAL_SOUND_FAULT_COUNT) return false;
    Counts()[fault].store(count);
    return true;
}

void ClearFaults()
{
    for (auto &count : Counts()) count.store(0);
}

bool TakeFault(uint32_t fault)
{
    std::atomic<uint32_t> &count = Counts()[fault];
    uint32_t left = count.load();
    while (left != 0) {
        const uint32_t next = left == ZAVIVIRTUAL_SOUND_FAULT_ALWAYS ? left : left - 1;
        if (count.compare_exchange_weak(left, next)) return true;
    }
    return false;
}

} // namespace zavi::sound::virtual_backend
