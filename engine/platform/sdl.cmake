# The Linux backend on SDL2: its host, the host's queue of work for the main thread,
# and its audio driver.
find_package(SDL2 REQUIRED)
fenk_backend(sdl
  ${CMAKE_CURRENT_LIST_DIR}/driver_sdl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sdl_requests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../sound/audiodriver_sdl.cpp)
target_link_libraries(fenk_sdl PUBLIC SDL2::SDL2)
