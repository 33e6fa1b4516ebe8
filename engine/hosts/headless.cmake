# The headless backend (Linux): EGL without a display server, for the GL tests and the
# capture program. Its sound device plays in step with the host's virtual clock.
fenk_backend(headless
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/driver_headless.cpp ${CMAKE_CURRENT_LIST_DIR}/driver_headless_run.cpp
    ${CMAKE_CURRENT_LIST_DIR}/headless_readback.cpp
    ${CMAKE_CURRENT_LIST_DIR}/audiodriver_headless.cpp
  LIBRARIES OpenGL::EGL
  HEADERS hosts/driver_headless.h hosts/audiodriver_headless.h
  FIND_PACKAGES "OpenGL" "GLEW" "OpenGL COMPONENTS EGL"
  PC_REQUIRES "glew gl egl"
  PC_LIBS "-lstdc++ -lm")

# main() for a headless program: runs its coremain at 60 frames a second, writes the
# frames as pictures and holds keys down over chosen frames (docs/platform.md).
fenk_backend_library(headless headless_runner SOURCES ${CMAKE_CURRENT_LIST_DIR}/headless_runner.cpp)
