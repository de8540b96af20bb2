// The headless scene's hook into the display subsystem: gathering the
// display devices again after a test or tool changed the virtual monitors.
#include "display/display_devices.h"

#include "ZAVIVirtualDisplay.h"

ZAVI_API void ZAVI_CALL ZAVIVirtual_RegatherDisplayDevices(void) { zavi::display::GatherDisplayDevices(); }
