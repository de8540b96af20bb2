# Video display: the renderer, devices and monitors, window change and part
# display, overlay drawing and the picture copy, on the virtual screen.
zavi_add_test(display_test
  SOURCES display_copy_test.cpp display_fallback_test.cpp display_monitors_test.cpp
          display_overlay_test.cpp display_present_test.cpp display_window_test.cpp
          display_concurrency_test.cpp
  LIBS $<LINK_LIBRARY:WHOLE_ARCHIVE,zavi_core>
  LABELS display)
