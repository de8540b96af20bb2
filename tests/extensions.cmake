# The extensions of ZAVIPlaySDKEx.h, which only the native library exports.
zavi_add_test(extensions_test SOURCES extensions_test.cpp
  LIBS $<LINK_LIBRARY:WHOLE_ARCHIVE,zavi_core> zavi_packmaker LABELS threads)
zavi_add_test(lip_sync_test SOURCES lip_sync_test.cpp
  LIBS $<LINK_LIBRARY:WHOLE_ARCHIVE,zavi_core> zavi_packmaker LABELS threads)
