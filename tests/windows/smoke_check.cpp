#include "smoke_check.h"

#include <cstdio>

namespace smoke {

namespace {
int failures = 0;
} // namespace

void Check(bool passed, const char *what, const char *detail)
{
    std::printf("smoke: %s %s %s\n", passed ? "PASS" : "FAIL", what, detail);
    std::fflush(stdout);
    if (!passed) ++failures;
}

int Failures() { return failures; }

} // namespace smoke
