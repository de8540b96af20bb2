# Recording module: open (stored index and rebuilt by scan) and seek in a
# one-hour D1 recording, as ratios to one plain read of the file.
zavi_add_bench(filesdk_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/filesdk_bench.cpp LIBS ZAVIFileSDK)
target_include_directories(filesdk_bench PRIVATE ${PROJECT_SOURCE_DIR}/companions/decsdk)
