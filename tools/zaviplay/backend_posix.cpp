// On Linux the library draws in X11 windows when a display is reachable and
// on its virtual screen otherwise; ZAVI_PLATFORM overrides that choice.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "backend.h"
#include "monitors.h"

namespace zaviplay {

bool LibraryIsHeadless()
{
    const char *platform = std::getenv("ZAVI_PLATFORM");
    if (platform != nullptr && std::strcmp(platform, "virtual") == 0) return true;
    if (platform != nullptr && std::strcmp(platform, "sdl") == 0) return false;
    const char *display = std::getenv("DISPLAY");
    return display == nullptr || *display == '\0';
}

void RestartHeadless(char **argv)
{
    setenv("ZAVI_PLATFORM", "virtual", 1);
    execv("/proc/self/exe", argv);
    std::perror("zaviplay: restart headless");
}

std::unique_ptr<PlayWindow> OpenPlayWindow(int x, int y, int width, int height, const std::string &title)
{
    if (LibraryIsHeadless()) return OpenHeadlessWindow(x, y, width, height);
    return OpenDisplayWindow(x, y, width, height, title);
}

std::vector<std::string> ListMonitors()
{
    return LibraryIsHeadless() ? ListVirtualMonitors() : ListDisplayMonitors();
}

} // namespace zaviplay
