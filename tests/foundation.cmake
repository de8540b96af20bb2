# The library's foundation: exports and handles, player lifecycle, thread
# frames, media clock, play control and pacing.
zavi_add_test(thread_frames_test SOURCES thread_frames_test.cpp
  LIBS $<LINK_LIBRARY:WHOLE_ARCHIVE,zavi_core> LABELS threads)
zavi_add_test(intake_test SOURCES intake_test.cpp
  LIBS $<LINK_LIBRARY:WHOLE_ARCHIVE,zavi_core> LABELS concurrency)
zavi_add_test(exports_test SOURCES exports_test.cpp
  LIBS $<LINK_LIBRARY:WHOLE_ARCHIVE,zavi_core> LABELS threads)
