# The JPEG codec and the colour converter. libjpeg-turbo (and its jpegtran
# program) serves as the outside oracle; the library never links it. The
# Windows build uses a libjpeg-turbo built for Windows, whose programs the
# tests find on Wine's search path.
pkg_check_modules(TURBOJPEG REQUIRED IMPORTED_TARGET libturbojpeg)
if(WIN32)
  list(APPEND ZAVI_TEST_ENVIRONMENT "WINEPATH=Z:${TURBOJPEG_PREFIX}/bin")
endif()
# Counts every operator new of its program, and runs records on several threads.
zavi_add_test(jpeg_test SOURCES kernel_sets_test.cpp jpeg_codec_test.cpp
  LIBS zavi_jpeg PkgConfig::TURBOJPEG LABELS jpeg)
set_tests_properties(JpegRecords.RepeatedPicturesOfOneSizeAllocateNothing
  JpegRecords.ParallelRecordsProduceTheSameBytes PROPERTIES LABELS "jpeg;concurrency")
