// How zaviplay meets the library's backend, which the library picks once,
// when it is loaded: headless on its virtual screen, or real windows.
#pragma once

#include <memory>
#include <string>

#include "play_window.h"

namespace zaviplay {

// True when the library draws on its virtual screen rather than in windows.
bool LibraryIsHeadless();

// Starts zaviplay again with the library loading headless. Returns only when
// that is not possible, after saying why.
void RestartHeadless(char **argv);

// A window of the kind the library draws into; null when none could be made.
std::unique_ptr<PlayWindow> OpenPlayWindow(int x, int y, int width, int height, const std::string &title);

} // namespace zaviplay
