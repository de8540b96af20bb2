// One counted reference on a DirectSound interface. It is released once
// when it goes; a copy takes a reference of its own (AddRef), so an object
// that shares another's interface keeps it alive for as long as it needs it.
#pragma once

#include <utility>

namespace zavi::sound::win32_backend {

template <typename Interface>
class ComReference {
public:
    ComReference() = default;
    ComReference(const ComReference &other) : interface_(other.interface_)
    {
        if (interface_ != nullptr) interface_->AddRef();
    }
    ComReference(ComReference &&other) noexcept : interface_(std::exchange(other.interface_, nullptr)) {}
    ComReference &operator=(const ComReference &) = delete;
    ComReference &operator=(ComReference &&) = delete;
    ~ComReference() { Clear(); }

    // The slot a creating call fills with the reference this object then
    // holds (the one it held before is released first).
    Interface **Receive()
    {
        Clear();
        return &interface_;
    }
    Interface *operator->() const { return interface_; }

private:
    void Clear()
    {
        if (interface_ != nullptr) std::exchange(interface_, nullptr)->Release();
    }

    Interface *interface_ = nullptr;
};

} // namespace zavi::sound::win32_backend
