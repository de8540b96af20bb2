# JPEG codec and colour conversion against libjpeg-turbo and libyuv.
pkg_check_modules(TURBOJPEG REQUIRED IMPORTED_TARGET libturbojpeg)
find_library(ZAVI_LIBYUV yuv)
find_path(ZAVI_LIBYUV_INCLUDE libyuv.h)
if(ZAVI_LIBYUV AND ZAVI_LIBYUV_INCLUDE)
  zavi_add_bench(jpeg_bench SOURCES jpeg_bench.cpp
    LIBS zavi_jpeg PkgConfig::TURBOJPEG ${ZAVI_LIBYUV})
  target_include_directories(jpeg_bench PRIVATE ${ZAVI_LIBYUV_INCLUDE} ${PROJECT_SOURCE_DIR}/tests)
else()
  message(STATUS "libyuv not found: jpeg_bench not built")
endif()
