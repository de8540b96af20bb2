# The JPEG codec and the colour converter. libjpeg-turbo (and its djpeg and
# jpegtran programs) serve as the outside oracle; the library never links it.
# The Windows build uses a libjpeg-turbo built for Windows, whose programs
# the tests find on Wine's search path.
zavi_add_test(colour_convert_test SOURCES colour_convert_test.cpp LIBS zavi_jpeg LABELS jpeg)
zavi_add_test(jpeg_kernels_test SOURCES jpeg_kernels_test.cpp LIBS zavi_jpeg LABELS jpeg)

pkg_check_modules(TURBOJPEG REQUIRED IMPORTED_TARGET libturbojpeg)
if(WIN32)
  list(APPEND ZAVI_TEST_ENVIRONMENT "WINEPATH=Z:${TURBOJPEG_PREFIX}/bin")
endif()
zavi_add_test(jpeg_codec_test SOURCES jpeg_codec_test.cpp LIBS zavi_jpeg PkgConfig::TURBOJPEG LABELS jpeg)
zavi_add_test(jpeg_hostile_test SOURCES jpeg_hostile_test.cpp LIBS zavi_jpeg PkgConfig::TURBOJPEG LABELS jpeg)
zavi_add_test(jpeg_allocation_test SOURCES jpeg_allocation_test.cpp LIBS zavi_jpeg PkgConfig::TURBOJPEG LABELS jpeg)
zavi_add_test(jpeg_concurrency_test SOURCES jpeg_concurrency_test.cpp LIBS zavi_jpeg PkgConfig::TURBOJPEG LABELS jpeg concurrency)
