# GLEW for the Windows build, compiled from Debian's glew source package, which
# cmake/fetch-glew.sh unpacks (./test.sh and ./run.sh run it first).
set(FENK_GLEW_SOURCE "${CMAKE_SOURCE_DIR}/.cache/glew" CACHE PATH "Unpacked glew source for the Windows build")
if(NOT EXISTS "${FENK_GLEW_SOURCE}/src/glew.c")
  message(FATAL_ERROR "GLEW source not found in ${FENK_GLEW_SOURCE}: run cmake/fetch-glew.sh first")
endif()

add_library(glew_static STATIC "${FENK_GLEW_SOURCE}/src/glew.c")
target_compile_definitions(glew_static PUBLIC GLEW_STATIC)
target_include_directories(glew_static SYSTEM PUBLIC $<BUILD_INTERFACE:${FENK_GLEW_SOURCE}/include>)
# Installed beside the engine's headers (cmake/install.cmake); an imported target's
# folders are system folders to its users anyway.
target_include_directories(glew_static PUBLIC $<INSTALL_INTERFACE:include/fenk>)
target_compile_options(glew_static PRIVATE -w)
target_link_libraries(glew_static PUBLIC opengl32)
add_library(GLEW::GLEW ALIAS glew_static)
