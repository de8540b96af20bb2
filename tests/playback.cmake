# Live playback end to end and step by step, with real streams made at test
# time.
zavi_add_test(live_playback_test SOURCES live_playback_test.cpp
  LIBS $<LINK_LIBRARY:WHOLE_ARCHIVE,zavi_core> zavi_packmaker LABELS threads)
zavi_add_test(fault_streams_test SOURCES fault_streams_test.cpp
  LIBS $<LINK_LIBRARY:WHOLE_ARCHIVE,zavi_core> zavi_packmaker LABELS threads)
