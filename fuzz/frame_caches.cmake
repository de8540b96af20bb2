# Random operation sequences against each kind of frame cache, checked by the
# model of the tests after every step. The cache sources are compiled into
# the target so they carry the fuzzer's coverage instrumentation.
zavi_add_fuzzer(intake_fuzz SOURCES intake_fuzz.cpp LIBS zavi_stream_cache_sources)
target_include_directories(intake_fuzz PRIVATE ${PROJECT_SOURCE_DIR}/tests)
