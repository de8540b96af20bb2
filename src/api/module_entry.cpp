// Module attach and detach: what the library does when it is loaded into a
// process and unloaded from it. The Windows DLL does it in its entry point;
// elsewhere (the shared object, and programs that link the core statically)
// the loader runs it as a constructor and destructor.
#include "display/display_devices.h"
#include "engine/media_clock.h"
#include "platform/backend.h"

namespace {

void AttachProcess()
{
    zavi::platform::SelectBackend();
    zavi::display::GatherDisplayDevices();
    zavi::media_clock::Initialise();
}

void DetachProcess() { zavi::media_clock::Finish(); }

} // namespace

#if defined(ZAVI_WINDOWS_DLL)

// DllMain's reasons (winnt.h); thread attach and detach do nothing.
constexpr unsigned long kProcessDetach = 0;
constexpr unsigned long kProcessAttach = 1;

extern "C" int __stdcall DllMain(void *, unsigned long reason, void *)
{
    if (reason == kProcessAttach) AttachProcess();
    else if (reason == kProcessDetach) DetachProcess();
    return 1; // the entry point always reports success
}

#else

namespace {
__attribute__((constructor)) void AttachAtLoad() { AttachProcess(); }
__attribute__((destructor)) void DetachAtUnload() { DetachProcess(); }
} // namespace

#endif
