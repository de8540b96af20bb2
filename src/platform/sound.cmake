# Sound of the platform layer: the dispatch to the backend chosen at module
# attach, the looping and capture rings every backend shares, the headless
# backend, the SDL backend when SDL2 was found, and DirectSound on Windows.
target_sources(zavi_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/sound_backends.cpp
  ${CMAKE_CURRENT_LIST_DIR}/common/sound_capture_ring.cpp
  ${CMAKE_CURRENT_LIST_DIR}/common/sound_device_base.cpp
  ${CMAKE_CURRENT_LIST_DIR}/common/sound_format.cpp
  ${CMAKE_CURRENT_LIST_DIR}/common/sound_ring.cpp
  ${CMAKE_CURRENT_LIST_DIR}/common/sound_ring_memory.cpp
  ${CMAKE_CURRENT_LIST_DIR}/virtual/sound_virtual_api.cpp
  ${CMAKE_CURRENT_LIST_DIR}/virtual/sound_virtual_buffer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/virtual/sound_virtual_capture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/virtual/sound_virtual_clock.cpp
  ${CMAKE_CURRENT_LIST_DIR}/virtual/sound_virtual_device.cpp
  ${CMAKE_CURRENT_LIST_DIR}/virtual/sound_virtual_faults.cpp
  ${CMAKE_CURRENT_LIST_DIR}/virtual/sound_virtual_history.cpp
  ${CMAKE_CURRENT_LIST_DIR}/virtual/sound_virtual_pace.cpp
  ${CMAKE_CURRENT_LIST_DIR}/virtual/sound_virtual_registry.cpp)

if(SDL2_FOUND)
  target_sources(zavi_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/sdl/sound_sdl_buffer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sdl/sound_sdl_capture.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sdl/sound_sdl_device.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sdl/sound_sdl_open.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sdl/sound_sdl_subsystem.cpp)
  target_link_libraries(zavi_core PRIVATE PkgConfig::SDL2)
else()
  target_sources(zavi_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/sdl/sound_sdl_absent.cpp)
endif()

# DirectSound: dsound.dll is loaded at run time; ole32 for COM, dxguid for
# the interface identifiers.
if(WIN32)
  target_sources(zavi_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/win32/sound_win32_buffer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32/sound_win32_capture_buffer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32/sound_win32_capture_device.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32/sound_win32_device.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32/sound_win32_format.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32/sound_win32_library.cpp)
  target_link_libraries(zavi_core PRIVATE ole32 dxguid)
endif()
