# Cross build for Windows with mingw-w64 (posix thread model, so std::thread
# and std::mutex work), included by the toolchain file of each processor,
# which sets ZAVI_MINGW_PROCESSOR. ZAVI_FFMPEG_PREFIX names the FFmpeg that
# scripts/windows/build-ffmpeg.sh made for it, ZAVI_LIBJPEG_TURBO_PREFIX the
# libjpeg-turbo of scripts/windows/build-libjpeg-turbo.sh (the JPEG tests'
# oracle); pkg-config looks only there.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${ZAVI_MINGW_PROCESSOR})
set(ZAVI_MINGW ${ZAVI_MINGW_PROCESSOR}-w64-mingw32)
set(CMAKE_C_COMPILER ${ZAVI_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZAVI_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${ZAVI_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${ZAVI_MINGW} ${ZAVI_FFMPEG_PREFIX} ${ZAVI_LIBJPEG_TURBO_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ZAVI_FFMPEG_PREFIX ZAVI_LIBJPEG_TURBO_PREFIX ZAVI_MINGW_PROCESSOR)

set(ENV{PKG_CONFIG_LIBDIR} "${ZAVI_FFMPEG_PREFIX}/lib/pkgconfig:${ZAVI_LIBJPEG_TURBO_PREFIX}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")

# Every processor Windows runs on has SSE2, which the library's pixel kernels
# use. Windows hands threads and callbacks a stack aligned to 4 bytes only,
# so functions that spill SSE registers align their own frames.
if(ZAVI_MINGW_PROCESSOR STREQUAL "i686")
  set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse -mstackrealign")
  set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse -mstackrealign")
endif()

# Nothing of the compiler's runtime may be needed beside the DLLs: libgcc,
# libstdc++ and winpthreads are linked into each module.
set(ZAVI_STATIC_RUNTIME "-static-libgcc -static-libstdc++ -Wl,-Bstatic,--whole-archive -lwinpthread -Wl,--no-whole-archive,-Bdynamic")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${ZAVI_STATIC_RUNTIME}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${ZAVI_STATIC_RUNTIME}")

# Test programs run under Wine's own loaders: the 32-bit one for i686, the
# 64-bit one for x86_64 (the wine command always picks the 32-bit loader
# when it is installed, even where the host cannot run it).
if(ZAVI_MINGW_PROCESSOR STREQUAL "x86_64")
  set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
else()
  set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine)
endif()
