// A DirectDraw COM object behind a shared pointer: dropping the last copy
// calls Release once, so objects that depend on it can keep it alive by
// holding a copy.
#pragma once

#include <memory>

namespace zavi::platform::win32_display {

template <typename Interface> using ComReference = std::shared_ptr<Interface>;

// Takes over the reference `object` came with (null gives an empty pointer).
template <typename Interface> ComReference<Interface> AdoptComReference(Interface *object)
{
    if (object == nullptr) return {};
    return ComReference<Interface>(object, [](Interface *released) { released->Release(); });
}

} // namespace zavi::platform::win32_display
