#include "process_resources.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace zavi::stress {
namespace {

int entriesIn(const char *directory)
{
    int entries = 0;
    for ([[maybe_unused]] const auto &entry : std::filesystem::directory_iterator(directory)) ++entries;
    return entries;
}

int64_t residentBytes()
{
    std::ifstream statm("/proc/self/statm");
    int64_t sizePages = 0;
    int64_t residentPages = 0;
    statm >> sizePages >> residentPages;
    return residentPages * sysconf(_SC_PAGESIZE);
}

} // namespace

Resources readResources()
{
    return Resources{entriesIn("/proc/self/task"), entriesIn("/proc/self/fd"), residentBytes()};
}

} // namespace zavi::stress
