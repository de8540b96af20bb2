// Built when SDL2 was not found: the display has only its headless backend.
#include "platform/display_backend.h"

namespace zavi::platform {

DisplayBackend *SdlDisplayBackend() { return nullptr; }

} // namespace zavi::platform
