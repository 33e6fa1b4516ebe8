# The headless backend (Linux): EGL without a display server, for the GL tests and the
# capture program. Its sound device plays in step with the host's virtual clock.
fenk_backend(headless
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/driver_headless.cpp ${CMAKE_CURRENT_LIST_DIR}/driver_headless_run.cpp
    ${CMAKE_CURRENT_LIST_DIR}/headless_readback.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../sound/audiodriver_headless.cpp
  LIBRARIES OpenGL::EGL
  HEADERS platform/driver_headless.h sound/audiodriver_headless.h
  FIND_PACKAGES "OpenGL" "GLEW" "OpenGL COMPONENTS EGL"
  PC_REQUIRES "glew gl egl"
  PC_LIBS "-lstdc++ -lm")
