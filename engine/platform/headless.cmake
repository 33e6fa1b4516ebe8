# The headless host (Linux): EGL without a display server, for the GL tests and the
# capture program.
find_package(OpenGL REQUIRED COMPONENTS EGL)
add_library(fenk_host_headless STATIC
  ${CMAKE_CURRENT_LIST_DIR}/driver_headless.cpp
  ${CMAKE_CURRENT_LIST_DIR}/driver_headless_run.cpp)
# The headless sound device plays in step with the host's virtual clock.
target_link_libraries(fenk_host_headless PUBLIC fenk fenk_audio_headless OpenGL::EGL)
# The engine calls the host and the host calls the engine: repeat the pair on the link line.
set_property(TARGET fenk_host_headless APPEND PROPERTY LINK_INTERFACE_MULTIPLICITY 3)
