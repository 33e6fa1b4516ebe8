# The Windows backend: its host (WinMain, WGL, joysticks) and its waveOut audio driver.
fenk_backend(win32
  ${CMAKE_CURRENT_LIST_DIR}/driver_win32.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../sound/audiodriver_win32.cpp)
target_link_libraries(fenk_win32 PUBLIC winmm gdi32 user32)
