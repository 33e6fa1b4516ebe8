# The Windows backend: its host (WinMain, WGL, joysticks) and its waveOut audio driver.
# GLEW is built here from source (glew_static) and installed with it.
fenk_backend(win32
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/driver_win32.cpp ${CMAKE_CURRENT_LIST_DIR}/audiodriver_win32.cpp
  LIBRARIES winmm gdi32 user32
  HEADERS hosts/driver_win32.h hosts/audiodriver_win32.h
  PC_CFLAGS "-DGLEW_STATIC"
  PC_LIBS "-lglew_static -lopengl32 -lwinmm -lgdi32 -luser32 -lstdc++"
  ENTRY WinMain)
