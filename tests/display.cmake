# Video display: the renderer, devices and monitors, window change and part
# display, overlay drawing and the picture copy, on the virtual screen.
zavi_add_test(display_test
  SOURCES display_copy_test.cpp display_present_test.cpp display_window_test.cpp
  LIBS $<LINK_LIBRARY:WHOLE_ARCHIVE,zavi_core> zavi_packmaker
  LABELS display)
# Drawing over the picture is checked with cairo, in the native build.
if(NOT WIN32)
  zavi_add_test(display_overlay_test
    SOURCES display_overlay_test.cpp
    LIBS $<LINK_LIBRARY:WHOLE_ARCHIVE,zavi_core> zavi_packmaker PkgConfig::CAIRO
    LABELS display)
endif()

# The SDL backend in a real X server (the test starts its own Xvfb and skips
# when it cannot). Linked without the module attach, so that the test picks
# the backend itself.
if(SDL2_FOUND)
  zavi_add_test(display_sdl_test
    SOURCES display_sdl_test.cpp
    LIBS zavi_core zavi_packmaker PkgConfig::X11
    LABELS display sdl)
endif()
