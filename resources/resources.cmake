# Attaches the program's map data (weltnetz_data.qrc: coastlines, Earth
# pictures) to weltnetz_map. Included by mapimage/CMakeLists.txt after the
# library exists.
#
# The target form of qt_add_resources is used, not the .qrc compiled into the
# library's sources: in a static library the object holding the resources
# would be dropped by the linker, because nothing refers to it, and every
# program would need Q_INIT_RESOURCE. The target form turns it into an object
# library that each program linking weltnetz_map links whole. The file list
# and aliases are read from the .qrc, so that there is one list.
set(_weltnetz_data_dir ${CMAKE_CURRENT_LIST_DIR})
set(_weltnetz_data_qrc ${_weltnetz_data_dir}/weltnetz_data.qrc)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_weltnetz_data_qrc})

file(STRINGS ${_weltnetz_data_qrc} _weltnetz_data_lines REGEX "<file[ >]")
set(_weltnetz_data_files)
foreach(_line IN LISTS _weltnetz_data_lines)
  if(NOT _line MATCHES "<file( alias=\"([^\"]+)\")?>([^<]+)</file>")
    message(FATAL_ERROR "weltnetz_data.qrc: cannot read the entry '${_line}'")
  endif()
  set(_path ${_weltnetz_data_dir}/${CMAKE_MATCH_3})
  if(NOT EXISTS ${_path})
    message(FATAL_ERROR "weltnetz_data.qrc names ${CMAKE_MATCH_3}, which is missing")
  endif()
  if(NOT CMAKE_MATCH_2 STREQUAL "")
    set_source_files_properties(${_path} PROPERTIES QT_RESOURCE_ALIAS ${CMAKE_MATCH_2})
  endif()
  list(APPEND _weltnetz_data_files ${_path})
endforeach()

qt_add_resources(weltnetz_map "weltnetz_data"
  PREFIX "/"
  BASE ${_weltnetz_data_dir}
  FILES ${_weltnetz_data_files})
