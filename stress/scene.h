// What the stress threads share: the streams, the recordings, a path that
// does not exist and the virtual windows players are shown in.
#pragma once

#include "media.h"

#include "ZAVIPlaySDK.h"

#include <string>
#include <vector>

namespace zavi::stress {

struct Scene {
    std::vector<LoopedStream> streams;
    std::vector<std::string> recordings;
    std::string missingPath;
    std::vector<ZAVI_HWND> windows;
};

} // namespace zavi::stress
