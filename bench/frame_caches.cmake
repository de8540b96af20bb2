# Packets per second through the video cache and through a player's intake
# against plain memcpy, with the
# allocations per packet (must be 0).
zavi_add_bench(intake_frame_caches_bench SOURCES intake_frame_caches.cpp allocation_count.cpp
  LIBS $<LINK_LIBRARY:WHOLE_ARCHIVE,zavi_core>)
target_include_directories(intake_frame_caches_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests)
