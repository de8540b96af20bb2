# The JPEG codec and the colour converter. libjpeg-turbo (and its djpeg and
# jpegtran programs) serve as the outside oracle; the library never links it.
# The Windows build has no oracle, so only the codec's own checks run there.
zavi_add_test(colour_convert_test SOURCES colour_convert_test.cpp LIBS zavi_jpeg LABELS jpeg)
zavi_add_test(jpeg_kernels_test SOURCES jpeg_kernels_test.cpp LIBS zavi_jpeg LABELS jpeg)
if(WIN32)
  return()
endif()

pkg_check_modules(TURBOJPEG REQUIRED IMPORTED_TARGET libturbojpeg)
zavi_add_test(jpeg_codec_test SOURCES jpeg_codec_test.cpp LIBS zavi_jpeg PkgConfig::TURBOJPEG LABELS jpeg)
zavi_add_test(jpeg_hostile_test SOURCES jpeg_hostile_test.cpp LIBS zavi_jpeg PkgConfig::TURBOJPEG LABELS jpeg)
zavi_add_test(jpeg_allocation_test SOURCES jpeg_allocation_test.cpp LIBS zavi_jpeg PkgConfig::TURBOJPEG LABELS jpeg)
zavi_add_test(jpeg_concurrency_test SOURCES jpeg_concurrency_test.cpp LIBS zavi_jpeg PkgConfig::TURBOJPEG LABELS jpeg concurrency)
