// The module's record of open readers and writers. Handles are numbers, not
// addresses, so a stale or foreign handle is refused instead of dereferenced,
// and a reader handle never names a writer.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "ZAVIFileSDK.h"

namespace zavifile {

// Shared by all tables, so that handles of different kinds never collide.
ZAVIFILE_HANDLE NextHandle();

template <typename Object>
class HandleTable {
public:
    ZAVIFILE_HANDLE Add(std::unique_ptr<Object> object)
    {
        const ZAVIFILE_HANDLE handle = NextHandle();
        std::lock_guard guard(lock_);
        open_.emplace(handle, std::move(object));
        return handle;
    }

    // The object of an open handle, or null. One handle is used by one
    // thread at a time, so the object outlives the caller's use of it.
    Object *Find(ZAVIFILE_HANDLE handle)
    {
        std::lock_guard guard(lock_);
        const auto it = open_.find(handle);
        return it == open_.end() ? nullptr : it->second.get();
    }

    // Forgets the handle and hands its object back (null when it was not open).
    std::unique_ptr<Object> Remove(ZAVIFILE_HANDLE handle)
    {
        std::lock_guard guard(lock_);
        const auto it = open_.find(handle);
        if (it == open_.end()) return nullptr;
        std::unique_ptr<Object> object = std::move(it->second);
        open_.erase(it);
        return object;
    }

private:
    std::mutex lock_;
    std::unordered_map<ZAVIFILE_HANDLE, std::unique_ptr<Object>> open_;
};

} // namespace zavifile
