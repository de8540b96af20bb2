// Module attach and detach: what the library does when it is loaded into a
// process and unloaded from it.
#include "display/display_devices.h"
#include "engine/media_clock.h"
#include "platform/backend.h"

namespace {

__attribute__((constructor)) void AttachProcess()
{
    zavi::platform::SelectBackend();
    zavi::display::GatherDisplayDevices();
    zavi::media_clock::Initialise();
}

__attribute__((destructor)) void DetachProcess() { zavi::media_clock::Finish(); }

} // namespace
