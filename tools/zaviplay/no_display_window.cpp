// Built without X11: only headless windows are available.
#include "monitors.h"
#include "play_window.h"

namespace zaviplay {

std::unique_ptr<PlayWindow> OpenDisplayWindow(int, int, int, int, const std::string &) { return nullptr; }

std::vector<std::string> ListDisplayMonitors() { return {}; }

} // namespace zaviplay
