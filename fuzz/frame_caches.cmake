# Random operation sequences against each kind of frame cache, checked by the
# model of frame_cache_model.h after every step. The cache sources are compiled into
# the target so they carry the fuzzer's coverage instrumentation.
zavi_add_fuzzer(intake_fuzz SOURCES intake_fuzz.cpp LIBS zavi_stream_cache_sources)
target_include_directories(intake_fuzz PRIVATE ${PROJECT_SOURCE_DIR}/tests)
# The same through a player: the intake's dispatch, switches and gates, and
# the commands that reshape the caches.
zavi_add_fuzzer(intake_player_fuzz SOURCES intake_player_fuzz.cpp LIBS $<LINK_LIBRARY:WHOLE_ARCHIVE,zavi_core>)
target_include_directories(intake_player_fuzz PRIVATE ${PROJECT_SOURCE_DIR}/tests)
