# Decoder module: D1 H.264 decode through the module against bare libavcodec,
# and the module's heap allocations per picture.
zavi_add_bench(decsdk_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/decsdk_bench.cpp
  LIBS ZAVIDecSDK zavi_packmaker PkgConfig::AVCODEC)
