# The Windows i686 DLLs: the 32-bit library Windows clients load.
set(ZAVI_MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)
