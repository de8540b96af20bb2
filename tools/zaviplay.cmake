# zaviplay: plays a packet stream file in a window (or headless).
add_executable(zaviplay
  ${CMAKE_CURRENT_LIST_DIR}/zaviplay/main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/zaviplay/packet_stream.cpp
  ${CMAKE_CURRENT_LIST_DIR}/zaviplay/headless_window.cpp)
target_include_directories(zaviplay PRIVATE ${PROJECT_SOURCE_DIR}/companions/decsdk)
target_link_libraries(zaviplay PRIVATE ZAVIPlaySDK)
set_target_properties(zaviplay PROPERTIES BUILD_RPATH "$ORIGIN/../lib")
zavi_warnings(zaviplay)
find_package(X11)
if(X11_FOUND)
  target_sources(zaviplay PRIVATE ${CMAKE_CURRENT_LIST_DIR}/zaviplay/display_window.cpp)
  target_link_libraries(zaviplay PRIVATE X11::X11)
else()
  target_sources(zaviplay PRIVATE ${CMAKE_CURRENT_LIST_DIR}/zaviplay/no_display_window.cpp)
endif()
