# Every program answers --version with its name and the project's version
# and lists --help and --version in its --help.
include(${CMAKE_CURRENT_LIST_DIR}/TestHelpers.cmake)
require_vars(PROGRAMS VERSION)

foreach(program IN LISTS PROGRAMS)
  get_filename_component(name ${program} NAME)
  run(COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${program} --version
      OUTPUT out)
  if(NOT out MATCHES "^${name} ${VERSION}\n")
    message(FATAL_ERROR "'${name} --version' printed '${out}', not '${name} ${VERSION}'")
  endif()
  run(COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${program} --help
      OUTPUT out ERROR err)
  foreach(option --help --version)
    if(NOT "${out}${err}" MATCHES "(^|[ ,\n])${option}([ \n]|$)")
      message(FATAL_ERROR "'${name} --help' does not list ${option}:\n${out}${err}")
    endif()
  endforeach()
endforeach()
