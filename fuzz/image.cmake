# The image viewer over arbitrary packets: the viewer and its exports are
# compiled into the target (instrumented), the JPEG codec comes instrumented
# from zavi_jpeg, and zavi_core supplies the platform layer underneath.
zavi_add_fuzzer(image_viewer_fuzz
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/image_viewer_fuzz.cpp
  LIBS zavi_image_viewer_sources zavi_jpeg zavi_core)
