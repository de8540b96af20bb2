# zavi_packmaker: the encoding core of zavipack (packet streams from pictures,
# PCM, rules and motion data; the test pattern; packet stream files). Tests
# link it to make real streams at test time. zavipack is its command line.
set(ZAVIPACK_DIR ${CMAKE_CURRENT_LIST_DIR}/zavipack)
add_library(zavi_packmaker STATIC
  ${ZAVIPACK_DIR}/audio_packer.cpp
  ${ZAVIPACK_DIR}/extra_packets.cpp
  ${ZAVIPACK_DIR}/packet_file.cpp
  ${ZAVIPACK_DIR}/pattern_stream.cpp
  ${ZAVIPACK_DIR}/recorded_streams.cpp
  ${ZAVIPACK_DIR}/stream_assembler.cpp
  ${ZAVIPACK_DIR}/test_pattern.cpp
  ${ZAVIPACK_DIR}/video_packer.cpp)
target_include_directories(zavi_packmaker PUBLIC ${ZAVIPACK_DIR})
target_link_libraries(zavi_packmaker PUBLIC ZAVIDecSDK PRIVATE PkgConfig::AVCODEC)
zavi_warnings(zavi_packmaker)
if(WIN32)
  # The Windows build's FFmpeg cannot encode: pattern streams are the ones a
  # native build recorded (recorded_streams.h).
  target_compile_definitions(zavi_packmaker PRIVATE ZAVIPACK_REPLAY_ONLY)
endif()

pkg_check_modules(ZAVIPACK_SWRESAMPLE IMPORTED_TARGET libswresample)
if(AVFORMAT_FOUND AND ZAVIPACK_SWRESAMPLE_FOUND)
  target_sources(zavi_packmaker PRIVATE ${ZAVIPACK_DIR}/media_file.cpp ${ZAVIPACK_DIR}/media_streams.cpp)
  target_link_libraries(zavi_packmaker PRIVATE PkgConfig::AVFORMAT PkgConfig::ZAVIPACK_SWRESAMPLE)
  target_compile_definitions(zavi_packmaker PUBLIC ZAVIPACK_MEDIA_FILES)
endif()

# The Windows build's FFmpeg decodes only, so zavipack (which encodes) is a
# tool of the native build; Windows programs read the streams it makes.
if(NOT WIN32)
  add_executable(zavipack ${ZAVIPACK_DIR}/zavipack_main.cpp ${ZAVIPACK_DIR}/terminal_progress.cpp)
  target_link_libraries(zavipack PRIVATE zavi_packmaker ZAVIFileSDK zavi_version PkgConfig::AVCODEC)
  zavi_warnings(zavipack)
endif()
