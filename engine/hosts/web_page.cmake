# fenk_web_page(<target> [DATA <folder>] [TITLE <text>] [PAGE <file>]
#               [OUTPUT_DIRECTORY <folder>] [QUIET])
# Gives a program on the web backend its page: <target>.js and .wasm, its preloaded
# data (<target>.data) and a page made from the engine's template (web_page.html), all
# in one folder that any static web server serves as it is (python3 -m http.server
# --directory <folder>).
#   DATA              a folder preloaded as /data, which the program mounts as "data"
#   TITLE             the page's title (default: the target's name)
#   PAGE              the page's file name (default index.html)
#   OUTPUT_DIRECTORY  the folder (default <target>_web in the current build folder)
#   QUIET             what the program prints goes to the browser's console only; its
#                     errors, the page's notices and the end line stay on the page
# Installed with the package (find_package(FENK COMPONENTS web)) and used in this tree.
function(fenk_web_page target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "QUIET" "DATA;TITLE;PAGE;OUTPUT_DIRECTORY" "")
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "fenk_web_page: unknown arguments ${arg_UNPARSED_ARGUMENTS}")
  endif()
  set(folder ${CMAKE_CURRENT_BINARY_DIR}/${target}_web)
  if(arg_OUTPUT_DIRECTORY)
    get_filename_component(folder ${arg_OUTPUT_DIRECTORY} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_BINARY_DIR})
  endif()
  set(page index.html)
  if(arg_PAGE)
    set(page ${arg_PAGE})
  endif()
  set(title ${target})
  if(DEFINED arg_TITLE)
    set(title "${arg_TITLE}")
  endif()

  set_target_properties(${target} PROPERTIES SUFFIX .js RUNTIME_OUTPUT_DIRECTORY ${folder})
  target_link_options(${target} PRIVATE -sENVIRONMENT=web)
  if(arg_DATA)
    get_filename_component(data ${arg_DATA} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_options(${target} PRIVATE "SHELL:--preload-file ${data}@/data")
    # The package is written at link time: a changed file links the program again, and
    # so does a file added or taken away (the list, rewritten only when it changes).
    file(GLOB_RECURSE data_files CONFIGURE_DEPENDS ${data}/*)
    string(REPLACE ";" "\n" listing "${data_files}")
    set(list_file ${CMAKE_CURRENT_BINARY_DIR}/${target}_data.txt)
    file(CONFIGURE OUTPUT ${list_file} CONTENT "${listing}\n" @ONLY)
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${data_files} ${list_file})
  endif()

  # The template's words, the title made safe for HTML.
  string(REPLACE "&" "&amp;" title "${title}")
  string(REPLACE "<" "&lt;" title "${title}")
  string(REPLACE ">" "&gt;" title "${title}")
  string(REPLACE "\"" "&quot;" title "${title}")
  set(FENK_PAGE_TITLE "${title}")
  set(FENK_PAGE_PROGRAM ${target})
  set(FENK_PAGE_QUIET false)
  if(arg_QUIET)
    set(FENK_PAGE_QUIET true)
  endif()
  configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/web_page.html ${folder}/${page} @ONLY)
endfunction()
