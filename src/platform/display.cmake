# Display and drawing of the platform layer: the dispatch to the backend
# chosen at module attach, the headless backend, the SDL backend when SDL2
# was found, and on Windows the DirectDraw/GDI backend. Device contexts are
# GDI's on Windows and cairo's elsewhere.
target_sources(zavi_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/display.cpp
  ${CMAKE_CURRENT_LIST_DIR}/common/memory_surface.cpp
  ${CMAKE_CURRENT_LIST_DIR}/common/surface_pixels.cpp
  ${CMAKE_CURRENT_LIST_DIR}/common/surface_rows.cpp
  ${CMAKE_CURRENT_LIST_DIR}/common/surface_stretch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/common/yv12_pairs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/virtual/virtual_deferred_screen.cpp
  ${CMAKE_CURRENT_LIST_DIR}/virtual/virtual_display_api.cpp
  ${CMAKE_CURRENT_LIST_DIR}/virtual/virtual_driver.cpp
  ${CMAKE_CURRENT_LIST_DIR}/virtual/virtual_scene.cpp
  ${CMAKE_CURRENT_LIST_DIR}/virtual/virtual_surface.cpp
  ${CMAKE_CURRENT_LIST_DIR}/virtual/virtual_window_drawing.cpp)

if(WIN32)
  target_sources(zavi_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/win32/canvas_gdi.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32/drawing_layer_gdi.cpp)
else()
  pkg_check_modules(CAIRO REQUIRED IMPORTED_TARGET GLOBAL cairo)
  target_sources(zavi_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/cairo/canvas_cairo.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cairo/drawing_layer_cairo.cpp)
  target_link_libraries(zavi_core PRIVATE PkgConfig::CAIRO)
endif()

if(SDL2_FOUND)
  pkg_check_modules(X11 REQUIRED IMPORTED_TARGET GLOBAL x11 xinerama)
  target_sources(zavi_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/sdl/sdl_display_backend.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sdl/sdl_render_thread.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sdl/sdl_surfaces.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sdl/sdl_window.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sdl/sdl_x11.cpp)
  target_link_libraries(zavi_core PRIVATE PkgConfig::SDL2 PkgConfig::X11)
else()
  target_sources(zavi_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/sdl/sdl_display_absent.cpp)
endif()

# ddraw.dll is loaded at first use, so only its interface identifiers are
# linked (dxguid).
if(WIN32)
  target_sources(zavi_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/win32/display_ddraw_library.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32/display_win32_backend.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32/display_win32_clipper.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32/display_win32_driver.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32/display_win32_entry.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32/display_win32_records.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32/display_win32_surface.cpp)
  target_link_libraries(zavi_core PRIVATE gdi32 user32 dxguid)
endif()

# The blit's row loops are written to vectorise, but GCC at -O2 only
# vectorises loops that leave no remainder.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/common/surface_rows.cpp TARGET_DIRECTORY zavi_core
    PROPERTIES COMPILE_OPTIONS "-ftree-vectorize;-fvect-cost-model=dynamic")
endif()
