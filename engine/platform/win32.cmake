# The Windows host: its platform unit and, where the sound folder made it, its
# audio driver unit.
add_library(fenk_host_win32 STATIC driver_win32.cpp driver_win32.h)
# The engine calls the host and the host calls the engine: a program that names
# only the host gets `fenk` after it, and `fenk` again after the audio driver.
target_link_libraries(fenk_host_win32 PUBLIC fenk GLEW::GLEW winmm gdi32 user32)
if(TARGET fenk_audio_win32)
  target_link_libraries(fenk_host_win32 PUBLIC fenk_audio_win32)
endif()
set_property(TARGET fenk APPEND PROPERTY LINK_INTERFACE_MULTIPLICITY 3)
