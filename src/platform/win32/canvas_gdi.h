// Drawing on the Windows backend's device contexts, which are real HDCs, so
// a client's own GDI drawing and the library's share one device context.
#pragma once

#include "platform/canvas_backend.h"

namespace zavi::platform {

// GDI's calls, with the system's fonts for text.
CanvasBackend &GdiCanvasBackend();

} // namespace zavi::platform
