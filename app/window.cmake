# The main window with its export code (a library, so the tests can drive the
# real window) and the program that shows it.
set(WELTNETZ_UI_DIR ${CMAKE_SOURCE_DIR}/resources)

add_library(weltnetz_window STATIC
  ${CMAKE_CURRENT_LIST_DIR}/ExportDialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ExportDialog.h
  ${CMAKE_CURRENT_LIST_DIR}/eprojektion.cpp
  ${CMAKE_CURRENT_LIST_DIR}/eprojektion.h
  ${CMAKE_CURRENT_LIST_DIR}/ImageExport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ImageExport.h
  ${CMAKE_CURRENT_LIST_DIR}/MapNavigation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MapNavigation.h
  ${CMAKE_CURRENT_LIST_DIR}/SpinEdit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SpinEdit.h
  ${WELTNETZ_UI_DIR}/eprojektion.ui)
set_target_properties(weltnetz_window PROPERTIES
  AUTOMOC ON
  AUTOUIC ON
  AUTOUIC_SEARCH_PATHS ${WELTNETZ_UI_DIR})
target_link_libraries(weltnetz_window PUBLIC weltnetz_map Qt6::Widgets)
# eprojektion.h includes the header that uic writes, so whoever includes the
# window needs the folder it lands in.
target_include_directories(weltnetz_window PUBLIC
  ${CMAKE_SOURCE_DIR}
  ${CMAKE_CURRENT_BINARY_DIR}/weltnetz_window_autogen/include)

add_executable(weltnetz ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(weltnetz PRIVATE weltnetz_window)
