// On Windows the library draws in the windows its clients give it; the
// Windows library offers no virtual screen to play on headless.
#include <cstdio>

#include "backend.h"

namespace zaviplay {

bool LibraryIsHeadless() { return false; }

void RestartHeadless(char **)
{
    std::fprintf(stderr, "zaviplay: the Windows library has no virtual screen, so it cannot play headless\n");
}

std::unique_ptr<PlayWindow> OpenPlayWindow(int x, int y, int width, int height, const std::string &title)
{
    return OpenDisplayWindow(x, y, width, height, title);
}

} // namespace zaviplay
