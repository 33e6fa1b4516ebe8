# The web build's toolchain: Debian's Emscripten with its prebuilt system libraries
# (the frozen cache; nothing here may rebuild them), plus what this machine needs:
# - emcc's JavaScript passes (acorn, from -O1 on) look for their modules through
#   NODE_PATH, which the node on PATH may not point at Debian's shared folder;
# - the toolchain's emulator, node with --experimental-wasm-threads, is refused by
#   newer node, and nothing here runs web programs under node.
set(FENK_NODE_PATH /usr/share/nodejs CACHE PATH "Where Debian's node modules (acorn) are")
set(CMAKE_CROSSCOMPILING_EMULATOR "" CACHE FILEPATH "No emulator: web programs run in a browser")
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)
set(ENV{NODE_PATH} ${FENK_NODE_PATH})
foreach(lang C CXX)
  set(CMAKE_${lang}_COMPILER_LAUNCHER env NODE_PATH=${FENK_NODE_PATH})
  set(CMAKE_${lang}_LINKER_LAUNCHER env NODE_PATH=${FENK_NODE_PATH})
endforeach()

# Installed with the web package (lib/cmake/FENK/emscripten.cmake) for programs built on
# it: there it finds the package beside it, which the toolchain's search, kept inside
# Emscripten's own folder, would not.
#   cmake -S . -B build-web -DCMAKE_TOOLCHAIN_FILE=<prefix>/lib/cmake/FENK/emscripten.cmake
if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/FENKConfig.cmake)
  set(FENK_DIR "${CMAKE_CURRENT_LIST_DIR}" CACHE PATH "Folder of FENKConfig.cmake")
endif()
