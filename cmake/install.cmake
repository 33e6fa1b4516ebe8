# `cmake --install`: the engine's public headers under include/fenk/ (their subsystem
# folders kept, as the engine includes them), the backend libraries of this platform,
# a CMake package (find_package(FENK) gives FENK::<backend>) and one pkg-config file
# per backend; and the programs that go with the engine (fenk_install_program). Tests,
# the show and the data generator install nothing.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)
include(${CMAKE_SOURCE_DIR}/engine/headers.cmake)

# The engine names no release of its own; the package and pkg-config files need one.
set(fenk_package_version 0.1.0)
set(fenk_package_dir ${CMAKE_INSTALL_LIBDIR}/cmake/FENK)
set(fenk_pkgconfig_dir ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
set(fenk_include_dir ${CMAKE_INSTALL_INCLUDEDIR}/fenk)

fenk_public_headers(fenk_headers)
foreach(header ${fenk_headers})
  get_filename_component(folder ${header} DIRECTORY)
  install(FILES ${CMAKE_SOURCE_DIR}/engine/${header} DESTINATION ${fenk_include_dir}/${folder})
endforeach()

# Each backend as its engine/hosts/<name>.cmake declares it (fenk_backend).
get_property(fenk_installed_backends GLOBAL PROPERTY FENK_BACKENDS)
set(fenk_find_dependencies)
foreach(backend ${fenk_installed_backends})
  set_target_properties(fenk_${backend} PROPERTIES EXPORT_NAME ${backend})
  target_include_directories(fenk_${backend} PUBLIC $<INSTALL_INTERFACE:${fenk_include_dir}>)
  # The host's entry, pulled in by name before the archive is read. Only for programs on
  # the package: this tree's test programs link a backend with a main of their own.
  get_target_property(entry fenk_${backend} FENK_ENTRY)
  if(entry)
    target_link_options(fenk_${backend} INTERFACE $<INSTALL_INTERFACE:LINKER:-u,${entry}>)
  endif()
  get_target_property(calls fenk_${backend} FENK_FIND_PACKAGES)
  if(calls)
    string(APPEND fenk_find_dependencies "if(${backend} IN_LIST _fenk_wanted)\n")
    foreach(call ${calls})
      string(APPEND fenk_find_dependencies "  find_dependency(${call})\n")
    endforeach()
    string(APPEND fenk_find_dependencies "endif()\n")
  endif()
endforeach()
list(TRANSFORM fenk_installed_backends PREPEND fenk_ OUTPUT_VARIABLE fenk_install_targets)
# The libraries that go with an installed backend (fenk_backend_library).
get_property(fenk_backend_libraries GLOBAL PROPERTY FENK_BACKEND_LIBRARIES)
set(fenk_installed_libraries)
foreach(library ${fenk_backend_libraries})
  get_target_property(backend fenk_${library} FENK_GOES_WITH)
  if(backend IN_LIST fenk_installed_backends)
    set_target_properties(fenk_${library} PROPERTIES EXPORT_NAME ${library})
    list(APPEND fenk_install_targets fenk_${library})
    list(APPEND fenk_installed_libraries ${library})
  endif()
endforeach()

if(WIN32)
  # The Windows backend links GLEW built here: it goes with it, headers beside the
  # engine's so that one include folder serves both.
  set_target_properties(glew_static PROPERTIES EXPORT_NAME glew)
  list(APPEND fenk_install_targets glew_static)
  install(FILES ${FENK_GLEW_SOURCE}/include/GL/glew.h ${FENK_GLEW_SOURCE}/include/GL/wglew.h
    DESTINATION ${fenk_include_dir}/GL)
  # A toolchain file for programs built on the package with the default MinGW compiler.
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/mingw-w64-program.cmake DESTINATION ${fenk_package_dir}
    RENAME mingw-w64.cmake)
endif()

set(fenk_config_extra "")
if(EMSCRIPTEN)
  # The web backend's page (fenk_web_page and the page template it fills), and the
  # toolchain file for programs built on the package with Debian's Emscripten.
  install(FILES ${CMAKE_SOURCE_DIR}/engine/hosts/web_page.cmake ${CMAKE_SOURCE_DIR}/engine/hosts/web_page.html
    DESTINATION ${fenk_package_dir})
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/emscripten.cmake DESTINATION ${fenk_package_dir})
  set(fenk_config_extra "include(\${CMAKE_CURRENT_LIST_DIR}/web_page.cmake)")
endif()

install(TARGETS ${fenk_install_targets} EXPORT FENKTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(EXPORT FENKTargets NAMESPACE FENK:: DESTINATION ${fenk_package_dir})

configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/FENKConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/FENKConfig.cmake INSTALL_DESTINATION ${fenk_package_dir})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/FENKConfigVersion.cmake
  VERSION ${fenk_package_version} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/FENKConfig.cmake ${CMAKE_CURRENT_BINARY_DIR}/FENKConfigVersion.cmake
  DESTINATION ${fenk_package_dir})

# pkg-config: the prefix is found from the file's own place, so the files stay right
# whatever prefix `cmake --install --prefix` is given. The libraries are static: what
# they need comes in Requires (Debian's modules) or Libs, not the private fields.
file(RELATIVE_PATH fenk_pc_to_prefix /${fenk_pkgconfig_dir} /)
string(REGEX REPLACE "/$" "" fenk_pc_to_prefix "${fenk_pc_to_prefix}")
foreach(backend ${fenk_installed_backends})
  set(pc_name ${backend})
  set(pc_description "The FENK engine with its ${backend} host and sound driver")
  get_target_property(pc_requires fenk_${backend} FENK_PC_REQUIRES)
  get_target_property(pc_cflags fenk_${backend} FENK_PC_CFLAGS)
  get_target_property(pc_libs fenk_${backend} FENK_PC_LIBS)
  get_target_property(entry fenk_${backend} FENK_ENTRY)
  if(entry)
    set(pc_libs "-Wl,-u,${entry} ${pc_libs}")
  endif()
  configure_file(${CMAKE_CURRENT_LIST_DIR}/fenk.pc.in ${CMAKE_CURRENT_BINARY_DIR}/fenk-${backend}.pc @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/fenk-${backend}.pc DESTINATION ${fenk_pkgconfig_dir})
endforeach()
foreach(library ${fenk_installed_libraries})
  get_target_property(backend fenk_${library} FENK_GOES_WITH)
  string(REPLACE "_" "-" pc_module ${library})
  set(pc_name ${library})
  set(pc_description "FENK's ${library}, for programs on its ${backend} backend")
  set(pc_requires fenk-${backend})
  set(pc_cflags "")
  set(pc_libs "")
  configure_file(${CMAKE_CURRENT_LIST_DIR}/fenk.pc.in ${CMAKE_CURRENT_BINARY_DIR}/fenk-${pc_module}.pc @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/fenk-${pc_module}.pc DESTINATION ${fenk_pkgconfig_dir})
endforeach()

# A program for the engine's users, installed into bin/ beside the package.
function(fenk_install_program target)
  install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endfunction()
