# Small helpers for the CMake-script tests of tests/install.

# Fails unless every named variable was given with -D.
function(require_vars)
  foreach(var IN LISTS ARGN)
    if(NOT DEFINED ${var})
      message(FATAL_ERROR "${CMAKE_SCRIPT_MODE_FILE}: -D${var}=... is missing")
    endif()
  endforeach()
endfunction()

# run(COMMAND cmd args... [WORKING_DIRECTORY dir] [INPUT_FILE file]
#     [OUTPUT var] [ERROR var])
# Runs a command and fails, showing what it printed, unless it exits with 0.
function(run)
  cmake_parse_arguments(R "" "WORKING_DIRECTORY;INPUT_FILE;OUTPUT;ERROR" "COMMAND" ${ARGN})
  set(extra)
  if(R_WORKING_DIRECTORY)
    list(APPEND extra WORKING_DIRECTORY ${R_WORKING_DIRECTORY})
  endif()
  if(R_INPUT_FILE)
    list(APPEND extra INPUT_FILE ${R_INPUT_FILE})
  endif()
  execute_process(COMMAND ${R_COMMAND} ${extra}
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    list(JOIN R_COMMAND " " shown)
    message(FATAL_ERROR "'${shown}' failed (${rc}):\n${out}\n${err}")
  endif()
  if(R_OUTPUT)
    set(${R_OUTPUT} "${out}" PARENT_SCOPE)
  endif()
  if(R_ERROR)
    set(${R_ERROR} "${err}" PARENT_SCOPE)
  endif()
endfunction()

# text with every character that means something in a CMake expression escaped.
function(regex_escape var text)
  string(REGEX REPLACE "([][.*+?^$()|\\])" "\\\\\\1" text "${text}")
  set(${var} "${text}" PARENT_SCOPE)
endfunction()

# A new, empty folder under the temporary folder, outside every project tree.
function(make_scratch_dir var name)
  set(base $ENV{TMPDIR})
  if(NOT base)
    set(base /tmp)
  endif()
  string(RANDOM LENGTH 10 tag)
  set(dir ${base}/${name}-${tag})
  file(REMOVE_RECURSE ${dir})
  file(MAKE_DIRECTORY ${dir})
  set(${var} ${dir} PARENT_SCOPE)
endfunction()

# Width and height of a PNG file, from its header; fails if it is none.
function(png_size file width_var height_var)
  if(NOT EXISTS ${file})
    message(FATAL_ERROR "${file} was not written")
  endif()
  file(READ ${file} header LIMIT 24 HEX)
  # (CMake's expressions know no {8}.)
  set(x4 "[0-9a-f][0-9a-f][0-9a-f][0-9a-f]")
  if(NOT header MATCHES "^89504e470d0a1a0a0000000d49484452(${x4}${x4})(${x4}${x4})$")
    message(FATAL_ERROR "${file} is not a PNG file")
  endif()
  math(EXPR width "0x${CMAKE_MATCH_1}")
  math(EXPR height "0x${CMAKE_MATCH_2}")
  set(${width_var} ${width} PARENT_SCOPE)
  set(${height_var} ${height} PARENT_SCOPE)
endfunction()

# The text of a man page as man shows it (plain ASCII, long lines, so that no
# option is broken across two); fails when the formatter warns.
function(render_man_page file var)
  run(COMMAND ${CMAKE_COMMAND} -E env --unset=MAN_KEEP_FORMATTING LC_ALL=C MANWIDTH=200
              man --warnings=w -P cat -l ${file}
      OUTPUT page ERROR warnings)
  if(NOT warnings STREQUAL "")
    message(FATAL_ERROR "man warns about ${file}:\n${warnings}")
  endif()
  if(NOT page MATCHES "NAME")
    message(FATAL_ERROR "man shows no page for ${file}:\n${page}")
  endif()
  set(${var} "${page}" PARENT_SCOPE)
endfunction()
