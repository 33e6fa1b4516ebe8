# Installs the engine's build into a fresh prefix and builds tests/consumer against
# it as another project would: through find_package(FENK), and also through pkg-config
# with a plain compiler call; then runs what it built. Among the programs is one that
# uses only sound (consumer_sound.cpp): on Windows it runs too, its WinMain brought by
# the package although nothing in it calls the host.
#   cmake -DBUILD_DIR=... -DSOURCE_DIR=... -DLIBDIR=... -DBACKENDS=sdl,headless -DGENERATOR=... -DMAKE_PROGRAM=... -DCXX=...
#         [-DWINDOWS=ON -DEMULATOR=...] [-DWEB=ON -DPYTHON=...] -P consumer_test.cmake
# A web build is built with the toolchain file the web package installs and opened in
# headless Chromium (tests/support/web_runner.py), and built once more by em++ with
# pkg-config's flags.
# A Windows build is built with the toolchain file the package installs, which uses
# Debian's default MinGW compiler (the win32 thread model), and once more with that
# compiler and pkg-config's flags.
# The scratch folder is removed when all went well and named when not.

# A step that hangs (a program under Wine that never ends) is ended here, before the
# test's own timeout, so nothing it started outlives the test.
set(step_timeout 240)

function(step what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out
    TIMEOUT ${step_timeout})
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${what} failed (${rc}); scratch folder kept: ${scratch}\n${out}")
  endif()
  set(step_output "${out}" PARENT_SCOPE)
endfunction()

# Below the system's temporary folder, one of its own per run.
set(tmp /tmp)
if(DEFINED ENV{TMPDIR} AND IS_DIRECTORY "$ENV{TMPDIR}")
  set(tmp $ENV{TMPDIR})
endif()
string(TIMESTAMP stamp "%Y%m%d%H%M%S")
string(RANDOM LENGTH 10 tag)
set(scratch ${tmp}/Install.Consumer-${stamp}-${tag})
file(MAKE_DIRECTORY ${scratch})
set(prefix ${scratch}/prefix)

step("cmake --install" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

# Nothing but the engine and its programs is installed.
file(GLOB_RECURSE installed RELATIVE ${prefix} ${prefix}/*)
foreach(file ${installed})
  if(NOT file MATCHES "^(include/fenk/|${LIBDIR}/(libfenk_[a-z0-9_]+\\.a|libglew_static\\.a|cmake/FENK/|pkgconfig/fenk-)|bin/fenk_fontmaker$)")
    message(FATAL_ERROR "installed beside the engine: ${file}; scratch folder kept: ${scratch}")
  endif()
endforeach()

string(REPLACE "," ";" backends "${BACKENDS}")
foreach(backend ${backends})
  foreach(file ${LIBDIR}/libfenk_${backend}.a ${LIBDIR}/pkgconfig/fenk-${backend}.pc)
    if(NOT EXISTS ${prefix}/${file})
      message(FATAL_ERROR "not installed: ${file}; scratch folder kept: ${scratch}")
    endif()
  endforeach()
endforeach()

set(configure ${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/consumer -B ${scratch}/build -G ${GENERATOR}
  -DCMAKE_MAKE_PROGRAM=${MAKE_PROGRAM} -DCMAKE_BUILD_TYPE=RelWithDebInfo)
if(WINDOWS)
  list(APPEND configure -DCMAKE_TOOLCHAIN_FILE=${prefix}/${LIBDIR}/cmake/FENK/mingw-w64.cmake)
elseif(WEB)
  list(APPEND configure -DCMAKE_TOOLCHAIN_FILE=${prefix}/${LIBDIR}/cmake/FENK/emscripten.cmake)
else()
  list(APPEND configure -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_CXX_COMPILER=${CXX})
endif()
step("configuring the consumer" ${configure})
step("building the consumer" ${CMAKE_COMMAND} --build ${scratch}/build)

set(program ${scratch}/build/consumer)
if(WINDOWS)
  set(program ${EMULATOR} ${program}.exe)
elseif(WEB)
  # Its page, served and opened; the runner prints what the program printed.
  set(program ${PYTHON} ${SOURCE_DIR}/tests/support/web_runner.py ${scratch}/build/site ${SOURCE_DIR}/tests/web
    harness.html?case=ended)
endif()
set(step_timeout 90)
step("running the consumer" ${program})
if(NOT step_output MATCHES "consumer: [0-9]+ frames presented")
  message(FATAL_ERROR "the consumer said: ${step_output}; scratch folder kept: ${scratch}")
endif()
message(STATUS "find_package build: ${step_output}")

# The sound-only program, run where its host needs no display of its own making.
function(run_sound_program what)
  step("running ${what}" ${ARGN})
  if(NOT step_output MATCHES "consumer: sound played [1-9][0-9]* frames")
    message(FATAL_ERROR "${what} said: ${step_output}; scratch folder kept: ${scratch}")
  endif()
  message(STATUS "${what}: ${step_output}")
endfunction()
if(WINDOWS)
  run_sound_program("the sound-only consumer" ${EMULATOR} ${scratch}/build/consumer_sound.exe)
endif()

set(ENV{PKG_CONFIG_PATH} ${prefix}/${LIBDIR}/pkgconfig)
if(WINDOWS)
  set(step_timeout 240)
  step("pkg-config" pkg-config --cflags --libs fenk-win32)
  string(STRIP "${step_output}" flags)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  step("building the consumer with pkg-config's flags" x86_64-w64-mingw32-g++ -std=c++20 -mwindows
    ${SOURCE_DIR}/tests/consumer/consumer.cpp ${flags} -static -o ${scratch}/consumer_pc.exe)
  set(step_timeout 90)
  step("running the pkg-config build" ${EMULATOR} ${scratch}/consumer_pc.exe)
  if(NOT step_output MATCHES "consumer: [0-9]+ frames presented")
    message(FATAL_ERROR "the consumer said: ${step_output}; scratch folder kept: ${scratch}")
  endif()
  message(STATUS "pkg-config build: ${step_output}")
  set(step_timeout 240)
  step("building the sound-only consumer with pkg-config's flags" x86_64-w64-mingw32-g++ -std=c++20
    ${SOURCE_DIR}/tests/consumer/consumer_sound.cpp ${flags} -static -o ${scratch}/consumer_sound_pc.exe)
  set(step_timeout 90)
  run_sound_program("the sound-only pkg-config build" ${EMULATOR} ${scratch}/consumer_sound_pc.exe)
endif()

if(WEB)
  set(step_timeout 240)
  step("pkg-config" pkg-config --cflags --libs fenk-web)
  string(STRIP "${step_output}" flags)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  set(ENV{NODE_PATH} /usr/share/nodejs)
  step("building the consumer with pkg-config's flags" em++ -std=c++20 ${SOURCE_DIR}/tests/consumer/consumer.cpp
    ${flags} -o ${scratch}/consumer_pc.js)
  if(NOT EXISTS ${scratch}/consumer_pc.wasm)
    message(FATAL_ERROR "em++ with pkg-config's flags made no consumer_pc.wasm; scratch folder kept: ${scratch}")
  endif()
endif()

# The font maker comes with the Linux build: it runs from the prefix.
if(NOT WINDOWS AND NOT WEB)
  if(NOT EXISTS ${prefix}/bin/fenk_fontmaker)
    message(FATAL_ERROR "not installed: bin/fenk_fontmaker; scratch folder kept: ${scratch}")
  endif()
  step("the installed font maker" ${prefix}/bin/fenk_fontmaker /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
    16 ${scratch}/font.tga)
  if(NOT EXISTS ${scratch}/font.tga)
    message(FATAL_ERROR "the installed font maker wrote nothing: ${step_output}; scratch folder kept: ${scratch}")
  endif()

  set(step_timeout 240)
  step("pkg-config" pkg-config --cflags --libs fenk-headless)
  string(STRIP "${step_output}" flags)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  step("building the consumer with pkg-config's flags" ${CXX} -std=c++20
    ${SOURCE_DIR}/tests/consumer/consumer.cpp ${SOURCE_DIR}/tests/consumer/consumer_headless.cpp
    ${flags} -o ${scratch}/consumer_pc)
  set(step_timeout 90)
  step("running the pkg-config build" ${scratch}/consumer_pc)
  message(STATUS "pkg-config build: ${step_output}")

  # The window backend's flags, with the sound-only program: built, not run (its host
  # would want a display).
  set(step_timeout 240)
  step("pkg-config" pkg-config --cflags --libs fenk-sdl)
  string(STRIP "${step_output}" flags)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  step("building the sound-only consumer with pkg-config's flags" ${CXX} -std=c++20
    ${SOURCE_DIR}/tests/consumer/consumer_sound.cpp ${flags} -o ${scratch}/consumer_sound_pc)
endif()

file(REMOVE_RECURSE ${scratch})
