# zaviplay: plays a packet stream file (or a sample it makes) in windows or
# headless, steered from the console.
set(ZAVIPLAY_DIR ${CMAKE_CURRENT_LIST_DIR}/zaviplay)
add_executable(zaviplay
  ${ZAVIPLAY_DIR}/main.cpp
  ${ZAVIPLAY_DIR}/options.cpp
  ${ZAVIPLAY_DIR}/channel.cpp
  ${ZAVIPLAY_DIR}/console.cpp
  ${ZAVIPLAY_DIR}/headless_window.cpp)
target_link_libraries(zaviplay PRIVATE ZAVIPlaySDK zavi_packmaker Threads::Threads)
set_target_properties(zaviplay PROPERTIES BUILD_RPATH "$ORIGIN/../lib")
zavi_warnings(zaviplay)
find_package(X11)
if(X11_FOUND)
  target_sources(zaviplay PRIVATE ${ZAVIPLAY_DIR}/display_window.cpp)
  target_link_libraries(zaviplay PRIVATE X11::X11)
else()
  target_sources(zaviplay PRIVATE ${ZAVIPLAY_DIR}/no_display_window.cpp)
endif()
