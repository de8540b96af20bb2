# Decoder module: arbitrary bytes into the packet reader, the codecs and the
# rule/motion parsers.
zavi_add_fuzzer(decsdk_packet
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/decsdk_packet.cpp
  LIBS ZAVIDecSDK PkgConfig::AVCODEC)
