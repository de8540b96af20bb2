#include "monitors.h"

namespace zaviplay {

std::string DescribeMonitor(size_t index, int x, int y, int width, int height)
{
    return std::to_string(index) + ": " + std::to_string(width) + "x" + std::to_string(height) + " at " +
           std::to_string(x) + "," + std::to_string(y) + (index == 0 ? " (primary)" : "");
}

} // namespace zaviplay
