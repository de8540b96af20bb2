# The sound output (AudioOutput) and the platform's sound devices: ring,
# pre-roll, cursor correction, reset and clear, volume, refusals, the virtual
# device's cursors and capture notifications, and the SDL backend.
zavi_add_test(audio_output_test SOURCES audio_output_test.cpp
  LIBS $<LINK_LIBRARY:WHOLE_ARCHIVE,zavi_core> LABELS audio)
if(SDL2_FOUND)
  zavi_add_test(audio_output_sdl_test SOURCES audio_output_sdl_test.cpp
    LIBS $<LINK_LIBRARY:WHOLE_ARCHIVE,zavi_core> LABELS audio sdl)
endif()
