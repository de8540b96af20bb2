// What zaviplay is given to play: a packet stream file or a recording.
#pragma once

#include <string>

namespace zaviplay {

// Empty when `path` can be read; otherwise why it cannot ("No such file or
// directory", "is a directory", ...).
std::string WhyUnreadable(const std::string &path);

// True when the file starts as a recording does ("ZREC").
bool IsRecordingFile(const std::string &path);

} // namespace zaviplay
