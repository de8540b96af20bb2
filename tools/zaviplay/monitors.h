// The monitors zaviplay's windows can be shown on, one line each, as the
// backend the library plays on sees them.
#pragma once

#include <string>
#include <vector>

namespace zaviplay {

std::vector<std::string> ListMonitors();

// The library's virtual screen (headless, Linux).
std::vector<std::string> ListVirtualMonitors();
// The display's monitors; empty when there is no display.
std::vector<std::string> ListDisplayMonitors();

// "N: WxH at X,Y" with " (primary)" for the first.
std::string DescribeMonitor(size_t index, int x, int y, int width, int height);

} // namespace zaviplay
