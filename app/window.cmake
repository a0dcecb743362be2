# The main window with its export code (a library, so the tests can drive the
# real window) and the program that shows it.
set(WELTNETZ_UI_DIR ${CMAKE_SOURCE_DIR}/resources)

add_library(weltnetz_window STATIC
  ${CMAKE_CURRENT_LIST_DIR}/CommandLine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CommandLine.h
  ${CMAKE_CURRENT_LIST_DIR}/ExportDialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ExportDialog.h
  ${CMAKE_CURRENT_LIST_DIR}/eprojektion.cpp
  ${CMAKE_CURRENT_LIST_DIR}/eprojektion.h
  ${CMAKE_CURRENT_LIST_DIR}/ImageExport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ImageExport.h
  ${CMAKE_CURRENT_LIST_DIR}/Language.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Language.h
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

# ---- Languages ---------------------------------------------------------------
# The window's texts are written in German; translations/weltnetz_en.ts turns
# them into English. The map library's messages are written in English, as
# weltnetz-render prints them; translations/weltnetz_de.ts turns them into
# German for the window. Each .ts file is kept up to date from its own
# sources (cmake --build build --target update_translations), then
# translated in Qt Linguist; the test TranslationFiles fails while one holds
# an untranslated or stale entry.
find_package(Qt6 REQUIRED COMPONENTS LinguistTools)
set(WELTNETZ_TS_DIR ${CMAKE_SOURCE_DIR}/translations)
set(WELTNETZ_WINDOW_TEXTS
  ${CMAKE_CURRENT_LIST_DIR}/CommandLine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ExportDialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ExportDialog.h
  ${CMAKE_CURRENT_LIST_DIR}/eprojektion.cpp
  ${CMAKE_CURRENT_LIST_DIR}/eprojektion.h
  ${CMAKE_CURRENT_LIST_DIR}/ImageExport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MapNavigation.cpp
  ${WELTNETZ_UI_DIR}/eprojektion.ui
  ${CMAKE_SOURCE_DIR}/mapimage/DistortionLayer.cpp)
set(WELTNETZ_MAP_MESSAGES
  ${CMAKE_SOURCE_DIR}/mapimage/Coastlines.cpp
  ${CMAKE_SOURCE_DIR}/mapimage/ImageFile.cpp
  ${CMAKE_SOURCE_DIR}/mapimage/JpegExport.cpp
  ${CMAKE_SOURCE_DIR}/mapimage/MapExport.cpp)
# No line numbers in the files: they would change with every edit of the
# sources; entries whose text is gone are dropped.
set(WELTNETZ_LUPDATE_OPTIONS -locations none -no-obsolete)
qt_add_lupdate(weltnetz_window TS_FILES ${WELTNETZ_TS_DIR}/weltnetz_en.ts
  SOURCES ${WELTNETZ_WINDOW_TEXTS} OPTIONS ${WELTNETZ_LUPDATE_OPTIONS})
qt_add_lupdate(weltnetz_map TS_FILES ${WELTNETZ_TS_DIR}/weltnetz_de.ts
  SOURCES ${WELTNETZ_MAP_MESSAGES} OPTIONS ${WELTNETZ_LUPDATE_OPTIONS})
qt_add_lrelease(weltnetz_window
  TS_FILES ${WELTNETZ_TS_DIR}/weltnetz_en.ts ${WELTNETZ_TS_DIR}/weltnetz_de.ts
  QM_FILES_OUTPUT_VARIABLE WELTNETZ_QM_FILES)

# The English names of the kinds are a column of the engine's catalogue;
# their .ts file is written from it at build time (through weltnetz-proj
# --list --lang en), so that the names cannot drift apart, and no lupdate
# run ever touches it.
set(WELTNETZ_KINDS_TS ${CMAKE_CURRENT_BINARY_DIR}/weltnetz_kinds_en.ts)
set(WELTNETZ_KINDS_QM ${CMAKE_CURRENT_BINARY_DIR}/weltnetz_kinds_en.qm)
add_custom_command(OUTPUT ${WELTNETZ_KINDS_TS} ${WELTNETZ_KINDS_QM}
  COMMAND ${CMAKE_COMMAND} -DPROJ=$<TARGET_FILE:weltnetz-proj> -DOUTPUT=${WELTNETZ_KINDS_TS}
          -P ${WELTNETZ_TS_DIR}/KindNames.cmake
  COMMAND Qt6::lrelease -silent ${WELTNETZ_KINDS_TS} -qm ${WELTNETZ_KINDS_QM}
  DEPENDS weltnetz-proj ${WELTNETZ_TS_DIR}/KindNames.cmake
  COMMENT "Writing the English kind names from the catalogue"
  VERBATIM)
list(APPEND WELTNETZ_QM_FILES ${WELTNETZ_KINDS_QM})

# What the test TranslationFiles checks: each .ts file of the repository with
# the sources lupdate reads for it, and the written one of the kind names.
list(JOIN WELTNETZ_WINDOW_TEXTS "\nsource\t" _window_texts)
list(JOIN WELTNETZ_MAP_MESSAGES "\nsource\t" _map_messages)
file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/translation-files.txt CONTENT
"lupdate\t$<TARGET_FILE:Qt6::lupdate>
include\t${CMAKE_SOURCE_DIR}
ts\t${WELTNETZ_TS_DIR}/weltnetz_en.ts
source\t${_window_texts}
ts\t${WELTNETZ_TS_DIR}/weltnetz_de.ts
source\t${_map_messages}
written\t${WELTNETZ_KINDS_TS}
")

# Compiled in: the program needs no files beside it.
qt_add_resources(weltnetz_window weltnetz_translations
  PREFIX /i18n
  BASE ${CMAKE_CURRENT_BINARY_DIR}
  FILES ${WELTNETZ_QM_FILES})
