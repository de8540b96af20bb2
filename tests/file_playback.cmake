# Recorded-file playback through the player, with recordings made at test time.
zavi_add_test(file_playback_test SOURCES file_playback_test.cpp
  LIBS $<LINK_LIBRARY:WHOLE_ARCHIVE,zavi_core> zavi_packmaker LABELS threads)
