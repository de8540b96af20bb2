// Leak checks of the test programs that draw text with cairo read the
// suppressions of display_cairo.supp (zavi_packmaker brings the program's
// default suppressions). Included by one source file of each program.
#pragma once

extern "C" __attribute__((visibility("default"))) const char *__lsan_default_options()
{
    return "suppressions=" ZAVI_DISPLAY_CAIRO_SUPPRESSIONS;
}
