#include "handle_table.h"

#include <atomic>
#include <mutex>
#include <unordered_map>

namespace zavidec {
namespace {

struct Table {
    std::mutex lock;
    std::unordered_map<ZAVIDEC_HANDLE, Family> open;
};

Table &table()
{
    static Table instance;
    return instance;
}

std::atomic<uint32_t> initFailures{0};

} // namespace

ZAVIDEC_HANDLE registerHandle(void *object, Family family)
{
    const auto handle = reinterpret_cast<ZAVIDEC_HANDLE>(object);
    std::lock_guard guard(table().lock);
    table().open.emplace(handle, family);
    return handle;
}

void *findHandle(ZAVIDEC_HANDLE handle, Family family)
{
    std::lock_guard guard(table().lock);
    const auto it = table().open.find(handle);
    if (it == table().open.end() || it->second != family) return nullptr;
    return reinterpret_cast<void *>(handle);
}

void *unregisterHandle(ZAVIDEC_HANDLE handle, Family family)
{
    std::lock_guard guard(table().lock);
    const auto it = table().open.find(handle);
    if (it == table().open.end() || it->second != family) return nullptr;
    table().open.erase(it);
    return reinterpret_cast<void *>(handle);
}

int32_t openHandleCount()
{
    std::lock_guard guard(table().lock);
    return static_cast<int32_t>(table().open.size());
}

void setInitFailures(uint32_t mask) { initFailures.store(mask); }

bool initFailureRequested(uint32_t bit) { return (initFailures.load() & bit) != 0; }

} // namespace zavidec
