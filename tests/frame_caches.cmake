# The frame caches on their own: ring rules and key frames (the caches of a
# player together, through the exports: intake_test; random runs against a
# model: fuzz/intake_fuzz).
zavi_add_test(frame_cache_test SOURCES frame_cache_test.cpp LIBS zavi_stream_caches LABELS caches)
