// Carrying DirectSound's answers back in the layer's own types: its HRESULT
// as an HResult, and the values it writes through DWORD, LONG and pointer
// slots into the caller's variables.
#pragma once

#include "platform/sound.h"
#include "platform/win32/sound_win32_directsound.h"

namespace zavi::sound::win32_backend {

inline HResult Result(HRESULT native) { return static_cast<HResult>(native); }

// A native slot for DirectSound to write into, copied to the caller's
// variable when it goes (after the call). A caller that passed no variable
// gets no slot either, and DirectSound answers that as it does.
template <typename Native, typename Own>
class NativeOut {
public:
    explicit NativeOut(Own *target) : target_(target) {}
    ~NativeOut()
    {
        if (target_ != nullptr) *target_ = static_cast<Own>(value_);
    }
    NativeOut(const NativeOut &) = delete;
    NativeOut &operator=(const NativeOut &) = delete;

    Native *Slot() { return target_ != nullptr ? &value_ : nullptr; }

private:
    Own *target_;
    Native value_{};
};

} // namespace zavi::sound::win32_backend
