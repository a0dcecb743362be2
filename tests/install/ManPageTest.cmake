# The man page writer (cmake/ManPage.cmake) on help texts in the layouts it
# must read: its own programs' (usage on standard error, several options on
# one line, continued descriptions) and Qt's QCommandLineParser ("Usage:",
# "-h, --help"), with text that roff would misread (a leading dot, a
# backslash, brackets, semicolons). The page must keep every option and every
# piece of text, and render without a warning.
include(${CMAKE_CURRENT_LIST_DIR}/TestHelpers.cmake)
require_vars(SOURCE_DIR)
make_scratch_dir(scratch weltnetz-manpage)

file(WRITE ${scratch}/template.1.in
  ".TH FAKE 1 \"\" \"Fake @VERSION@\"\n.SH NAME\nfake \\- a program\n"
  ".SH SYNOPSIS\n@SYNOPSIS@\n.SH OPTIONS\n@OPTIONS@\n")

# Each case: the help text, then the lines its page must hold.
set(own_help [=[usage: fake [options] < points
       fake --list
  --kind K        catalogue position 0-64 (default 4)
  --radius PX  --theta DEG
  -o FILE         output; .png or .bmp
  --all DIR       every kind into DIR/NN.png
                  (NN the position; other options apply)
  --path P        a folder such as C:\maps
]=])
set(own_expected
  [=[fake [options] < points]=]
  ".br\nfake \\-\\-list\n.SH"
  ".TP\n\\fB\\-\\-kind\\fR \\fIK\\fR\ncatalogue position 0-64 (default 4)\n"
  ".TP\n\\fB\\-\\-radius\\fR \\fIPX\\fR\n.PD 0\n.TP\n\\fB\\-\\-theta\\fR \\fIDEG\\fR\n.PD\n"
  ".TP\n\\fB\\-o\\fR \\fIFILE\\fR\noutput; .png or .bmp\n"
  "every kind into DIR/NN.png\n(NN the position; other options apply)\n"
  "a folder such as C:\\emaps")

set(qt_help [=[Usage: fake [options] file
Draws a map.

Options:
  -h, --help     Displays help on commandline options.
  -v, --version  Displays version information.
  --size <WxH>   .5 of the screen [default: 528x507]

Arguments:
  file           The output file.
]=])
set(qt_expected
  ".TP\n\\fB\\-h\\fR, \\fB\\-\\-help\\fR\nDisplays help on commandline options.\n"
  ".TP\n\\fB\\-v\\fR, \\fB\\-\\-version\\fR\nDisplays version information.\n"
  ".TP\n\\fB\\-\\-size\\fR \\fI<WxH>\\fR\n\\&.5 of the screen [default: 528x507]\n"
  ".TP\n\\fIfile\\fR\nThe output file.")

foreach(case own qt)
  # A stand-in program that prints the help text (on standard error for our
  # own layout, as our tools do).
  file(WRITE ${scratch}/${case}.txt "${${case}_help}")
  set(stream "")
  if(case STREQUAL "own")
    set(stream " >&2")
  endif()
  file(WRITE ${scratch}/${case}.sh "#!/bin/sh\ncat '${scratch}/${case}.txt'${stream}\n")
  file(CHMOD ${scratch}/${case}.sh PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)

  run(COMMAND ${CMAKE_COMMAND} -DPROGRAM=${scratch}/${case}.sh -DTEMPLATE=${scratch}/template.1.in
              -DOUTPUT=${scratch}/${case}.1 -DVERSION=9.8 -P ${SOURCE_DIR}/cmake/ManPage.cmake)
  file(READ ${scratch}/${case}.1 page)
  foreach(expected IN LISTS ${case}_expected)
    string(FIND "${page}" "${expected}" at)
    if(at LESS 0)
      message(FATAL_ERROR "the page from the ${case} help lacks\n${expected}\n-- page:\n${page}")
    endif()
  endforeach()
  if(NOT page MATCHES "\"Fake 9.8\"")
    message(FATAL_ERROR "the page from the ${case} help lacks the version:\n${page}")
  endif()
  render_man_page(${scratch}/${case}.1 text)
endforeach()

# A program whose --help fails must not leave a page behind.
file(WRITE ${scratch}/broken.sh "#!/bin/sh\necho 'no such option' >&2\nexit 2\n")
file(CHMOD ${scratch}/broken.sh PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
execute_process(COMMAND ${CMAKE_COMMAND} -DPROGRAM=${scratch}/broken.sh
                        -DTEMPLATE=${scratch}/template.1.in -DOUTPUT=${scratch}/broken.1
                        -DVERSION=1 -P ${SOURCE_DIR}/cmake/ManPage.cmake
                RESULT_VARIABLE rc OUTPUT_QUIET ERROR_QUIET)
if(rc EQUAL 0 OR EXISTS ${scratch}/broken.1)
  message(FATAL_ERROR "a failing --help still gave a man page")
endif()

file(REMOVE_RECURSE ${scratch})
