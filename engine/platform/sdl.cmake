# The Linux host on SDL2: its platform unit and, where the sound folder made it,
# its audio driver unit.
find_package(SDL2 REQUIRED)
find_package(OpenGL REQUIRED)
find_package(GLEW REQUIRED)

add_library(fenk_host_sdl STATIC driver_sdl.cpp driver_sdl.h)
# The engine calls the host and the host calls the engine: a program that names
# only the host gets `fenk` after it, and `fenk` again after the audio driver.
target_link_libraries(fenk_host_sdl PUBLIC fenk SDL2::SDL2 OpenGL::GL GLEW::GLEW)
if(TARGET fenk_audio_sdl)
  target_link_libraries(fenk_host_sdl PUBLIC fenk_audio_sdl)
endif()
set_property(TARGET fenk APPEND PROPERTY LINK_INTERFACE_MULTIPLICITY 3)
