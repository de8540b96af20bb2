# The recording module: arbitrary bytes opened as a recording and read in
# every order.
zavi_add_fuzzer(filesdk_open SOURCES ${CMAKE_CURRENT_LIST_DIR}/filesdk_open.cpp LIBS ZAVIFileSDK)
target_include_directories(filesdk_open PRIVATE ${PROJECT_SOURCE_DIR}/companions/decsdk)
