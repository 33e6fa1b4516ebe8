# Builds a Windows program on the installed FENK package with Debian's MinGW-w64
# compiler (either thread model: x86_64-w64-mingw32-g++ or its -posix twin):
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=<prefix>/lib/cmake/FENK/mingw-w64.cmake
#   cmake --build build-win && /usr/lib/wine/wine64 build-win/<program>.exe
# find_package(FENK COMPONENTS win32) then finds the package this file came with.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

if(NOT FENK_MINGW_COMPILER)
  set(FENK_MINGW_COMPILER x86_64-w64-mingw32-g++)
endif()
string(REGEX REPLACE "g\\+\\+" "gcc" fenk_mingw_c_compiler "${FENK_MINGW_COMPILER}")
set(CMAKE_C_COMPILER ${fenk_mingw_c_compiler})
set(CMAKE_CXX_COMPILER ${FENK_MINGW_COMPILER})
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# MinGW's runtime DLLs are neither beside the program nor in Wine: link them in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# The package beside this file; below the cross root the search would not find it.
set(FENK_DIR "${CMAKE_CURRENT_LIST_DIR}" CACHE PATH "Folder of FENKConfig.cmake")
