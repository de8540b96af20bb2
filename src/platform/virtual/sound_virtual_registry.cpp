#include "platform/virtual/sound_virtual_registry.h"

#include <map>
#include <mutex>

#include "platform/virtual/sound_virtual_buffer.h"

namespace zavi::sound::virtual_backend {

namespace {

struct WindowRecord {
    uint32_t buffersCreated = 0;
    VirtualSoundBuffer *latest = nullptr;
};

// Lock order: the registry, then a buffer's own section.
struct Registry {
    std::mutex mutex;
    std::map<uintptr_t, WindowRecord> windows;
};

Registry &TheRegistry()
{
    static Registry registry;
    return registry;
}

} // namespace

void RegisterBuffer(uintptr_t window, VirtualSoundBuffer *buffer)
{
    Registry &registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    WindowRecord &record = registry.windows[window];
    ++record.buffersCreated;
    record.latest = buffer;
}

void UnregisterBuffer(uintptr_t window, VirtualSoundBuffer *buffer)
{
    Registry &registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    WindowRecord &record = registry.windows[window];
    if (record.latest == buffer) record.latest = nullptr;
}

bool DescribeWindow(uintptr_t window, ZAVIVIRTUAL_SOUND_STATE &state)
{
    Registry &registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    const auto found = registry.windows.find(window);
    if (found == registry.windows.end()) return false;
    state = {};
    state.buffersCreated = found->second.buffersCreated;
    if (found->second.latest != nullptr) found->second.latest->Describe(state);
    return true;
}

uint32_t ReadWindow(uintptr_t window, uint8_t *data, uint32_t capacity)
{
    Registry &registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    const auto found = registry.windows.find(window);
    if (found == registry.windows.end() || found->second.latest == nullptr) return 0;
    return found->second.latest->ReadPlayed(data, capacity);
}

} // namespace zavi::sound::virtual_backend
