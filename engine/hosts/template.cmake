# The stand-in backend: a host with no screen or input devices and an audio driver
# with no device, each call of the contract answered and nothing more. A new backend
# copies these three files, renames them and fills them in; a test links a program
# against this one, so the contract's checklist cannot drift from what the linker
# wants.
fenk_backend(template NOT_INSTALLED
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/driver_template.cpp ${CMAKE_CURRENT_LIST_DIR}/audiodriver_template.cpp)
