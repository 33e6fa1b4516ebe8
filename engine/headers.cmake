# The engine's public headers: what is installed and what the header check compiles.
# An allow-list: a header not named here (a unit's own, a host's half of the platform
# contract) stays inside the engine. Each backend names its own headers in its
# engine/hosts/<name>.cmake (fenk_backend HEADERS). fenk_public_headers(<var>) sets
# <var> to the engine's and those of the backends built here, relative to engine/.
set(fenk_engine_headers
  files/core.h
  graphics2d/corebitmap.h graphics2d/corefont.h graphics2d/coresprite.h
  input/coreinput.h
  platform/host.h platform/log.h
  sound/audiodriver.h sound/audiodriver_silent.h sound/coresound.h sound/loadogg.h sound/loadwav.h
  video/fenk.h video/shapes.h video/video_opengl.h video/video_opengl_extended.h)
if(WIN32)
  # Stands in for <dirent.h>, which MinGW's C library lacks.
  list(APPEND fenk_engine_headers files/dirent.h)
endif()

function(fenk_public_headers var)
  set(headers ${fenk_engine_headers})
  get_property(hosts GLOBAL PROPERTY FENK_BACKENDS)
  foreach(host ${hosts})
    get_target_property(own fenk_${host} FENK_HEADERS)
    if(own)
      list(APPEND headers ${own})
    endif()
  endforeach()
  set(${var} ${headers} PARENT_SCOPE)
endfunction()
