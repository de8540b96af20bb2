#include "platform/backend.h"

#include <cstdlib>
#include <cstring>

namespace zavi::platform {

namespace {

Backend selected = Backend::Virtual;

bool DisplayReachable()
{
    const char *x11 = std::getenv("DISPLAY");
    const char *wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 != nullptr && *x11 != '\0') || (wayland != nullptr && *wayland != '\0');
}

} // namespace

void SelectBackend()
{
    const char *requested = std::getenv("ZAVI_PLATFORM");
    if (requested != nullptr && std::strcmp(requested, "virtual") == 0) selected = Backend::Virtual;
    else if (requested != nullptr && std::strcmp(requested, "sdl") == 0) selected = Backend::Sdl;
    else selected = DisplayReachable() ? Backend::Sdl : Backend::Virtual;
}

Backend SelectedBackend() { return selected; }

} // namespace zavi::platform
