#include "platform/backend.h"

#include <cstdlib>
#include <cstring>

namespace zavi::platform {

namespace {

Backend selected = Backend::Win32;

} // namespace

// On Windows the real system is the default; the headless backend stays
// reachable so the same tests run on both systems.
void SelectBackend()
{
    const char *requested = std::getenv("ZAVI_PLATFORM");
    selected = requested != nullptr && std::strcmp(requested, "virtual") == 0 ? Backend::Virtual : Backend::Win32;
}

Backend SelectedBackend() { return selected; }

} // namespace zavi::platform
