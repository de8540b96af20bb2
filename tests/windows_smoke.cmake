# The Windows smoke client: a Win32 program that loads ZAVIPlaySDK.dll as a
# client does and plays a stream through the real system (DirectDraw,
# DirectSound, GDI). scripts/windows/test-wine.sh runs it under Wine with a
# stream made by the native zavipack.
if(NOT WIN32)
  return()
endif()
include(${PROJECT_SOURCE_DIR}/cmake/ExportTable.cmake)
set(ZAVI_EXPORT_LIST ${CMAKE_CURRENT_BINARY_DIR}/generated/zavi_export_list.h)
zavi_write_export_list(${PROJECT_SOURCE_DIR}/include/ZAVIPlaySDK.h ${ZAVI_EXPORT_LIST})
add_executable(windows_smoke_client windows/smoke_client.cpp windows/smoke_check.cpp
  windows/smoke_sound.cpp windows/smoke_window.cpp windows/smoke_pixels.cpp)
target_include_directories(windows_smoke_client PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/generated
  ${PROJECT_SOURCE_DIR}/include ${PROJECT_SOURCE_DIR}/companions/decsdk)
target_link_libraries(windows_smoke_client PRIVATE zavi_packmaker gdi32 user32)
zavi_warnings(windows_smoke_client)
