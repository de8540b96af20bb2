# The three frame caches on their own: ring rules, key frames, the caches of
# one player together, random runs against a model (concurrent use: intake_test).
zavi_add_test(frame_cache_test
  SOURCES frame_cache_ring_test.cpp frame_cache_video_test.cpp frame_caches_test.cpp
  LIBS zavi_stream_caches LABELS caches)
zavi_add_test(frame_cache_model_test SOURCES frame_cache_model_test.cpp
  LIBS zavi_stream_caches LABELS caches)
