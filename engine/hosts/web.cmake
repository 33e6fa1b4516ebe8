# The web backend (Emscripten): its host on html5.h and EGL, one thread under Asyncify
# with each swap waiting for the next animation frame, and its Web Audio driver. GL is
# WebGL 2 under the legacy GL emulation (matrix stack, glBegin, client arrays); GLEW is
# Emscripten's stand-in; IDBFS keeps what a program saves. The link options travel with
# the library (INTERFACE_LINK_OPTIONS, installed with FENK::web). A program gets its
# page, its data and a folder to serve from fenk_web_page (web_page.cmake).
set(fenk_web_options -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536 -sLEGACY_GL_EMULATION=1
  -sMIN_WEBGL_VERSION=2 -sMAX_WEBGL_VERSION=2 -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=268435456)
set(fenk_web_libraries -lGL -lEGL -lhtml5 -lGLEW -lidbfs.js)
string(REPLACE ";" " " fenk_web_pc_libs "${fenk_web_options};${fenk_web_libraries}")
fenk_backend(web
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/driver_web.cpp ${CMAKE_CURRENT_LIST_DIR}/web_keys.cpp
    ${CMAKE_CURRENT_LIST_DIR}/audiodriver_web.cpp
  LIBRARIES ${fenk_web_libraries}
  HEADERS hosts/driver_web.h
  PC_LIBS "${fenk_web_pc_libs}")
target_link_options(fenk_web INTERFACE ${fenk_web_options})
include(${CMAKE_CURRENT_LIST_DIR}/web_page.cmake)
