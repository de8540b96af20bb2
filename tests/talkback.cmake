# Talkback through its exports on the virtual sound backend: the device's
# audio played, the capture buffer following its format, start and stop, the
# volume codes, and captured blocks encoded and delivered by the capture
# thread.
zavi_add_test(talkback_test SOURCES talkback_test.cpp
  LIBS $<LINK_LIBRARY:WHOLE_ARCHIVE,zavi_core> zavi_packmaker LABELS threads)
