# Tests of the decoder module (companions/decsdk/tests): pictures against
# libavcodec's own decode, audio against libavcodec's codecs, rule and motion
# parsing, bad input, the handle bookkeeping, and zavi_packmaker's streams.
set(DECSDK_TESTS ${CMAKE_CURRENT_LIST_DIR}/../companions/decsdk/tests)
zavi_add_test(decsdk_tests
  SOURCES
    ${DECSDK_TESTS}/decsdk_test.cpp
    ${DECSDK_TESTS}/audio_test.cpp
    ${DECSDK_TESTS}/packmaker_test.cpp
  LIBS ZAVIDecSDK zavi_packmaker PkgConfig::AVCODEC
  LABELS decsdk)
