# Writes a program's man page from its template and its own --help, so that
# the page lists exactly the options the program takes. Run as a script:
#   cmake -DPROGRAM=exe -DTEMPLATE=name.1.in -DOUTPUT=name.1 -DVERSION=v -P ManPage.cmake
# The template is roff with three placeholders: @VERSION@, @SYNOPSIS@ (the
# usage lines of --help) and @OPTIONS@ (the option lines as .TP entries).
#
# --help is read in the usual layouts (our tools', Qt's QCommandLineParser):
# usage lines ("usage: prog ..." and lines indented under it), then entries,
# each an indented term (an option starting with "-", or an argument under a
# heading such as "Arguments:"), two or more spaces and its description; a
# more deeply indented line continues the description above it. A line that
# holds only options ("--radius PX  --theta DEG") lists them without one.
foreach(var PROGRAM TEMPLATE OUTPUT VERSION)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "ManPage.cmake: ${var} is not set")
  endif()
endforeach()

# No display is needed to print a help text; Qt programs must not look for one.
set(ENV{QT_QPA_PLATFORM} offscreen)
execute_process(COMMAND ${PROGRAM} --help
  OUTPUT_VARIABLE help_out ERROR_VARIABLE help_err RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "ManPage.cmake: '${PROGRAM} --help' exited with ${rc}:\n${help_err}")
endif()
# Some programs print their help on standard error, as a usage message.
set(help "${help_out}${help_err}")
if(help STREQUAL "")
  message(FATAL_ERROR "ManPage.cmake: '${PROGRAM} --help' printed nothing")
endif()

# Text of the help for roff: backslashes escaped, a "-" that starts a word
# (an option) made a minus sign, and no line starting with a control character.
function(roff_text out text)
  string(REPLACE "\\" "\\e" text "${text}")
  # open_bracket: "[" while the help is a list of lines (see below).
  set(before "(^|[ (${open_bracket},|])")
  string(REGEX REPLACE "${before}--([A-Za-z])" "\\1\\\\-\\\\-\\2" text "${text}")
  string(REGEX REPLACE "${before}-([A-Za-z])" "\\1\\\\-\\2" text "${text}")
  if(text MATCHES "^[.']")
    set(text "\\&${text}")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# An option term in bold, its arguments in italics: "--size WxH" ->
# \fB\-\-size\fR \fIWxH\fR.
function(roff_term out term)
  string(REGEX REPLACE "  +" " " term "${term}")
  string(REPLACE " " ";" words "${term}")
  set(result "")
  foreach(word IN LISTS words)
    roff_text(word "${word}")
    # "-h," keeps its comma outside the bold part.
    if(word MATCHES "^\\\\-")
      string(REGEX REPLACE "^([^,]+)(,?)$" "\\\\fB\\1\\\\fR\\2" word "${word}")
    else()
      set(word "\\fI${word}\\fR")
    endif()
    string(APPEND result " ${word}")
  endforeach()
  string(STRIP "${result}" result)
  set(${out} "${result}" PARENT_SCOPE)
endfunction()

# CMake lists split at semicolons and treat brackets specially: both stand in
# as control characters while the text is a list of lines.
string(ASCII 29 semicolon)
string(ASCII 30 open_bracket)
string(ASCII 31 close_bracket)
string(REPLACE ";" "${semicolon}" help "${help}")
string(REPLACE "[" "${open_bracket}" help "${help}")
string(REPLACE "]" "${close_bracket}" help "${help}")
string(REPLACE "\n" ";" lines "${help}")
set(synopsis "")
set(options "")
set(state none)        # usage: in the usage lines; list: in a list of entries
set(entry_indent 0)    # indentation of the last entry of a list
foreach(line IN LISTS lines)
  string(REGEX MATCH "^ +" indent "${line}")
  string(LENGTH "${indent}" indent)
  string(STRIP "${line}" text)
  if(line MATCHES "^[Uu]sage: *(.*)$")
    set(state usage)
    roff_text(text "${CMAKE_MATCH_1}")
    string(APPEND synopsis "${text}\n.br\n")
  elseif(text STREQUAL "")
    if(state STREQUAL "usage")
      set(state none)
    endif()
  elseif(indent EQUAL 0)
    # A heading ("Options:", "Arguments:") opens a list; other text closes it.
    if(text MATCHES ":$")
      set(state list)
    else()
      set(state none)
    endif()
  elseif(state STREQUAL "usage" AND NOT text MATCHES "^-")
    roff_text(text "${text}")
    string(APPEND synopsis "${text}\n.br\n")
  elseif(text MATCHES "^-" OR (state STREQUAL "list" AND indent LESS_EQUAL entry_indent))
    # An entry: its terms ("-h, --help", "--size WxH", or "file" in a list of
    # arguments) and its description apart at the first gap of two spaces
    # that is followed by something other than a further option.
    set(state list)
    set(entry_indent ${indent})
    string(REGEX REPLACE "  +" ";" pieces "${text}")
    list(POP_FRONT pieces first)
    set(terms "${first}")
    set(description "")
    foreach(piece IN LISTS pieces)
      if(description STREQUAL "" AND piece MATCHES "^-")
        list(APPEND terms "${piece}")
      elseif(description STREQUAL "")
        set(description "${piece}")
      else()
        string(APPEND description "  ${piece}")
      endif()
    endforeach()
    if(description STREQUAL "")
      # Only terms: each is an option of its own, described in the page's
      # text; they stand one under the other without space between.
      set(spacing ".PD 0\n")
      foreach(term IN LISTS terms)
        roff_term(t "${term}")
        string(APPEND options ".TP\n${t}\n${spacing}")
        set(spacing "")
      endforeach()
      string(APPEND options ".PD\n")
    else()
      list(JOIN terms ", " joined)
      roff_term(t "${joined}")
      roff_text(d "${description}")
      string(APPEND options ".TP\n${t}\n${d}\n")
    endif()
  elseif(state STREQUAL "list")
    # Deeper than the entries: the description above goes on.
    roff_text(text "${text}")
    string(APPEND options "${text}\n")
  endif()
endforeach()
if(synopsis STREQUAL "" OR options STREQUAL "")
  message(FATAL_ERROR "ManPage.cmake: no usage line or no option found in '${PROGRAM} --help'")
endif()
string(REGEX REPLACE "\n.br\n$" "\n" synopsis "${synopsis}")
string(REGEX REPLACE "\n$" "" synopsis "${synopsis}")
string(REGEX REPLACE "\n$" "" options "${options}")

foreach(part synopsis options)
  string(REPLACE "${semicolon}" ";" ${part} "${${part}}")
  string(REPLACE "${open_bracket}" "[" ${part} "${${part}}")
  string(REPLACE "${close_bracket}" "]" ${part} "${${part}}")
endforeach()
set(SYNOPSIS "${synopsis}")
set(OPTIONS "${options}")
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
