#include "terminal_progress.h"

#include <cstdio>
#include <unistd.h>

namespace zavi::pack {

namespace {

// Inputs packed in about the time they are read need no progress line.
constexpr double kLongInputSeconds = 30.0;

} // namespace

TerminalProgress::TerminalProgress() : shown_(isatty(STDERR_FILENO) != 0) {}

TerminalProgress::~TerminalProgress()
{
    if (drawn_) std::fprintf(stderr, "\n");
}

void TerminalProgress::update(double packed, double total)
{
    const int second = static_cast<int>(packed);
    if (!shown_ || second == lastSecond_ || (total > 0.0 && total < kLongInputSeconds)) return;
    lastSecond_ = second;
    drawn_ = true;
    if (total > 0.0)
        std::fprintf(stderr, "\rzavipack: %.0f s of %.0f s (%.0f%%)  ", packed, total, 100.0 * packed / total);
    else
        std::fprintf(stderr, "\rzavipack: %.0f s  ", packed);
}

} // namespace zavi::pack
