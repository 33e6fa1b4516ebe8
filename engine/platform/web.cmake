# The web backend (Emscripten): its host on html5.h and EGL, one thread under Asyncify
# with each swap waiting for the next animation frame, and its Web Audio driver. GL is
# WebGL 2 under the legacy GL emulation (matrix stack, glBegin, client arrays); GLEW is
# Emscripten's stand-in. A program adds its own data (--preload-file DIR@/data) and
# ships its own page (emit .js: Debian's minifier fails on the .html shell at -O2).
set(fenk_web_link -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536 -sLEGACY_GL_EMULATION=1
  -sMIN_WEBGL_VERSION=2 -sMAX_WEBGL_VERSION=2 -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=268435456
  -lGL -lEGL -lhtml5 -lGLEW)
string(REPLACE ";" " " fenk_web_pc_libs "${fenk_web_link}")
fenk_backend(web
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/driver_web.cpp ${CMAKE_CURRENT_LIST_DIR}/web_keys.cpp
    ${CMAKE_CURRENT_LIST_DIR}/audiodriver_web.cpp
  LIBRARIES ${fenk_web_link}
  HEADERS platform/driver_web.h
  PC_LIBS "${fenk_web_pc_libs}")
