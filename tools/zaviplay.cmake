# zaviplay: plays a packet stream file (or a sample it makes) or a recording
# in windows or headless, steered from the console.
set(ZAVIPLAY_DIR ${CMAKE_CURRENT_LIST_DIR}/zaviplay)
add_executable(zaviplay
  ${ZAVIPLAY_DIR}/main.cpp
  ${ZAVIPLAY_DIR}/options.cpp
  ${ZAVIPLAY_DIR}/channel.cpp
  ${ZAVIPLAY_DIR}/console.cpp
  ${ZAVIPLAY_DIR}/typed_command.cpp
  ${ZAVIPLAY_DIR}/commands.cpp
  ${ZAVIPLAY_DIR}/input_file.cpp
  ${ZAVIPLAY_DIR}/monitors.cpp
  ${ZAVIPLAY_DIR}/status_line.cpp
  ${ZAVIPLAY_DIR}/ppm_file.cpp)
target_link_libraries(zaviplay PRIVATE ZAVIPlaySDK zavi_packmaker zavi_version Threads::Threads)
zavi_warnings(zaviplay)
if(WIN32)
  # Real Win32 windows only; streams come from files made by the native zavipack.
  target_sources(zaviplay PRIVATE
    ${ZAVIPLAY_DIR}/backend_win32.cpp
    ${ZAVIPLAY_DIR}/keyboard_win32.cpp
    ${ZAVIPLAY_DIR}/sample_stream_win32.cpp
    ${ZAVIPLAY_DIR}/win32_window.cpp
    ${ZAVIPLAY_DIR}/win32_snapshot.cpp
    ${ZAVIPLAY_DIR}/monitors_win32.cpp
    ${ZAVIPLAY_DIR}/extensions_win32.cpp)
  target_link_libraries(zaviplay PRIVATE gdi32 user32)
else()
  target_sources(zaviplay PRIVATE
    ${ZAVIPLAY_DIR}/backend_posix.cpp
    ${ZAVIPLAY_DIR}/keyboard_posix.cpp
    ${ZAVIPLAY_DIR}/sample_stream.cpp
    ${ZAVIPLAY_DIR}/headless_window.cpp
    ${ZAVIPLAY_DIR}/monitors_virtual.cpp
    ${ZAVIPLAY_DIR}/extensions_native.cpp)
  set_target_properties(zaviplay PROPERTIES BUILD_RPATH "$ORIGIN/../lib")
  find_package(X11)
  if(X11_FOUND AND X11_Xinerama_FOUND)
    target_sources(zaviplay PRIVATE ${ZAVIPLAY_DIR}/display_window.cpp ${ZAVIPLAY_DIR}/monitors_x11.cpp)
    target_link_libraries(zaviplay PRIVATE X11::X11 X11::Xinerama)
  else()
    target_sources(zaviplay PRIVATE ${ZAVIPLAY_DIR}/no_display_window.cpp)
  endif()
endif()
