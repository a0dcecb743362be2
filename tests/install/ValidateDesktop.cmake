# The menu entry and the AppStream data, checked by the freedesktop tools
# (desktop-file-utils, appstream). Hints are advice and pass; errors and
# warnings fail. Without the tools the test is skipped (exit 77): install-deps
# brings them, so CI always runs it.
include(${CMAKE_CURRENT_LIST_DIR}/TestHelpers.cmake)
require_vars(DESKTOP_FILE METAINFO_FILE)

find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
find_program(APPSTREAMCLI appstreamcli)
if(NOT DESKTOP_FILE_VALIDATE OR NOT APPSTREAMCLI)
  message("desktop-file-validate or appstreamcli is missing (tools/install-deps installs them)")
  cmake_language(EXIT 77)
endif()

run(COMMAND ${DESKTOP_FILE_VALIDATE} ${DESKTOP_FILE} OUTPUT out)
if(out MATCHES "(^|\n)[^\n]*: (error|warning): [^\n]*")
  message(FATAL_ERROR "desktop-file-validate:\n${out}")
endif()

# --no-net: the check must not depend on the network (CI has none).
run(COMMAND ${APPSTREAMCLI} validate --no-net ${METAINFO_FILE} OUTPUT out)
if(out MATCHES "(^|\n)[EW]: ")
  message(FATAL_ERROR "appstreamcli validate:\n${out}")
endif()
