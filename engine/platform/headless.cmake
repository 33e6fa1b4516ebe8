# The headless backend (Linux): EGL without a display server, for the GL tests and the
# capture program. Its sound device plays in step with the host's virtual clock.
find_package(OpenGL REQUIRED COMPONENTS EGL)
fenk_backend(headless
  ${CMAKE_CURRENT_LIST_DIR}/driver_headless.cpp
  ${CMAKE_CURRENT_LIST_DIR}/driver_headless_run.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../sound/audiodriver_headless.cpp)
target_link_libraries(fenk_headless PUBLIC OpenGL::EGL)
