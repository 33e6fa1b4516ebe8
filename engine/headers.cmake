# The engine's public headers, for the header check and for installing: every
# engine/*/*.h but those of the engine's own units and those of another platform's
# backends. fenk_public_headers(<var>) sets <var> to them, relative to engine/.

# Headers of the engine's own units, not for programs.
set(fenk_internal_headers graphics2d/tga.h platform/shared_word.h platform/sdl_requests.h)
# Each backend's headers exist for the programs built on that backend only.
if(WIN32)
  set(fenk_other_backend_headers platform/driver_sdl.h sound/audiodriver_sdl.h platform/driver_headless.h
    sound/audiodriver_headless.h)
else()
  set(fenk_other_backend_headers platform/driver_win32.h sound/audiodriver_win32.h files/dirent.h)
endif()

function(fenk_public_headers var)
  file(GLOB headers RELATIVE ${CMAKE_SOURCE_DIR}/engine CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/engine/*/*.h)
  list(REMOVE_ITEM headers ${fenk_internal_headers} ${fenk_other_backend_headers})
  set(${var} ${headers} PARENT_SCOPE)
endfunction()
