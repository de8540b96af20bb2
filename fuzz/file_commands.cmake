# File commands through a player against damaged recordings held in memory.
zavi_add_fuzzer(file_commands_fuzz
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/file_commands_fuzz.cpp
  LIBS ZAVIPlaySDK ZAVIFileSDK)
