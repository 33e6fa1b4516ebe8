# The release archives (cmake/package.sh), written to package/ in the build folder:
# the Linux build makes the tarball with every build; the Windows build makes the zip
# on request (target package_windows, anew each time), since its data comes from the
# Linux build, which a Windows build alone may not have.
if(NOT TARGET show_1080 OR FENK_SANITIZE)
  return()
endif()

set(FENK_PACKAGE_DIR ${CMAKE_BINARY_DIR}/package)
set(package_script ${CMAKE_SOURCE_DIR}/cmake/package.sh)
if(TARGET fenk::sdl AND TARGET data)
  set(FENK_LINUX_ARCHIVE ${FENK_PACKAGE_DIR}/gravolt-zoppeldraai-linux.tar.gz)
  add_custom_command(OUTPUT ${FENK_LINUX_ARCHIVE}
    COMMAND ${package_script} linux $<TARGET_FILE_DIR:show_1080> ${FENK_DATA_DIR} ${FENK_PACKAGE_DIR} >/dev/null
    DEPENDS ${package_script} show_1080 show_720 show_1080_full ${FENK_DATA_FILES} data
    COMMENT "Packing gravolt-zoppeldraai-linux.tar.gz")
  add_custom_target(package_linux ALL DEPENDS ${FENK_LINUX_ARCHIVE})
elseif(TARGET fenk::win32 AND FENK_DATA_DIR)
  set(FENK_WINDOWS_ARCHIVE ${FENK_PACKAGE_DIR}/gravolt-zoppeldraai-windows.zip)
  add_custom_target(package_windows
    COMMAND ${package_script} windows $<TARGET_FILE_DIR:show_1080> ${FENK_DATA_DIR} ${FENK_PACKAGE_DIR} >/dev/null
    BYPRODUCTS ${FENK_WINDOWS_ARCHIVE}
    COMMENT "Packing gravolt-zoppeldraai-windows.zip")
  add_dependencies(package_windows show_1080 show_720 show_1080_full)
endif()
