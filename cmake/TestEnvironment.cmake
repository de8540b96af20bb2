# The environment every test, benchmark smoke run, fuzz run and stress run
# gets under ctest: the virtual screen and a silent sound driver, and the
# leak checks' list of blocks that system libraries keep for the life of
# the process (fontconfig once cairo has looked up a font, D-Bus once SDL's
# video has started), and the records of a cairo observer surface's
# callbacks, which cairo never frees (32 bytes each; a drawing layer adds
# five when it is made or changes size, never per picture). A plain cairo or
# SDL program leaks the same blocks.
set(ZAVI_TEST_ENVIRONMENT
  "ZAVI_PLATFORM=virtual"
  "SDL_AUDIODRIVER=dummy"
  "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/lsan.supp")
