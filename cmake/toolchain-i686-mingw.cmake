# Cross build of the Windows i686 DLLs with mingw-w64 (posix thread model, so
# std::thread and std::mutex work). ZAVI_FFMPEG_PREFIX names the i686 FFmpeg
# that scripts/windows/build-ffmpeg.sh made; pkg-config looks only there.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ZAVI_MINGW i686-w64-mingw32)
set(CMAKE_C_COMPILER ${ZAVI_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZAVI_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${ZAVI_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${ZAVI_MINGW} ${ZAVI_FFMPEG_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ZAVI_FFMPEG_PREFIX)

set(ENV{PKG_CONFIG_LIBDIR} "${ZAVI_FFMPEG_PREFIX}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")

# Every processor Windows runs on has SSE2, which the library's pixel kernels
# use. Windows hands threads and callbacks a stack aligned to 4 bytes only,
# so functions that spill SSE registers align their own frames.
set(ZAVI_I686_FLAGS "-msse2 -mfpmath=sse -mstackrealign")
set(CMAKE_C_FLAGS_INIT "${ZAVI_I686_FLAGS}")
set(CMAKE_CXX_FLAGS_INIT "${ZAVI_I686_FLAGS}")

# Nothing of the compiler's runtime may be needed beside the DLLs: libgcc,
# libstdc++ and winpthreads are linked into each module.
set(ZAVI_STATIC_RUNTIME "-static-libgcc -static-libstdc++ -Wl,-Bstatic,--whole-archive -lwinpthread -Wl,--no-whole-archive,-Bdynamic")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${ZAVI_STATIC_RUNTIME}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${ZAVI_STATIC_RUNTIME}")
