# The Linux backend on SDL2: its host, the host's queue of work for the main thread,
# and its audio driver. The host also speaks to Xlib (the SDL it is built on links it)
# to outlive errors about a window another X client destroyed.
fenk_backend(sdl
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/driver_sdl.cpp ${CMAKE_CURRENT_LIST_DIR}/sdl_requests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/audiodriver_sdl.cpp
  LIBRARIES SDL2::SDL2 X11::X11
  HEADERS hosts/driver_sdl.h hosts/audiodriver_sdl.h
  FIND_PACKAGES "OpenGL" "GLEW" "SDL2" "X11"
  PC_REQUIRES "sdl2 x11 glew gl"
  PC_LIBS "-lstdc++ -lm")
