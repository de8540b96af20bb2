// The smoke client's checks: one line per check on standard output, and a
// count of the failed ones for the exit code.
#pragma once

namespace smoke {

void Check(bool passed, const char *what, const char *detail = "");
int Failures();

} // namespace smoke
