# The recording module: writer and reader round trips, reading orders,
# recovery of cut recordings, rules, time line and fast search.
zavi_add_test(filesdk_test
  SOURCES
    ${PROJECT_SOURCE_DIR}/companions/filesdk/tests/roundtrip_test.cpp
    ${PROJECT_SOURCE_DIR}/companions/filesdk/tests/reading_test.cpp
    ${PROJECT_SOURCE_DIR}/companions/filesdk/tests/header_from_c.c
    ${PROJECT_SOURCE_DIR}/companions/filesdk/crc32.cpp
  LIBS ZAVIFileSDK zavi_packmaker
  LABELS filesdk)
target_include_directories(filesdk_test PRIVATE
  ${PROJECT_SOURCE_DIR}/companions/filesdk
  ${PROJECT_SOURCE_DIR}/companions/filesdk/tests
  ${PROJECT_SOURCE_DIR}/companions/decsdk)
