# Cross-build for 64-bit Windows with Debian's MinGW-w64 (posix thread model, so that
# std::thread and std::mutex exist). Test programs run through Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(FENK_MINGW x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${FENK_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${FENK_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${FENK_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${FENK_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-test.sh)
