# A 64-bit Windows build of the same tree. It is what the Windows tests run
# on under Wine where the host cannot run 32-bit programs (wine64 needs no
# 32-bit support from the host).
set(ZAVI_MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)
