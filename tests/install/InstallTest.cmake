# Installs the build into a fresh prefix outside the source and build trees
# and uses the installation from there only: the programs run in a folder of
# their own, the example is built against the installed CMake package and
# pkg-config file and must project exactly as the installed weltnetz-proj,
# and the parts of the menu entry (program, icon, metadata, man pages) must
# exist and fit together. Run by CTest through tests/install/CMakeLists.txt.
include(${CMAKE_CURRENT_LIST_DIR}/TestHelpers.cmake)
require_vars(BUILD_DIR SOURCE_DIR VERSION BUILD_TYPE CXX CXX_FLAGS LINKER_FLAGS GENERATOR WITH_WINDOW
             SHARED_ENGINE APP_ID ICON_SIZES)

make_scratch_dir(scratch weltnetz-install)
foreach(tree ${SOURCE_DIR} ${BUILD_DIR})
  string(FIND "${scratch}/" "${tree}/" at)
  if(at EQUAL 0)
    message(FATAL_ERROR "the scratch folder ${scratch} lies inside ${tree}")
  endif()
endforeach()
set(prefix ${scratch}/prefix)
set(run_dir ${scratch}/run)
file(MAKE_DIRECTORY ${run_dir})

run(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

# ---- What must be there ------------------------------------------------------------
set(programs weltnetz-proj)
if(WITH_WINDOW)
  list(APPEND programs weltnetz weltnetz-render)
endif()
set(expected
  include/weltnetz/projection/GxProjectionL.h
  include/weltnetz/conversion/GxConvertL.h
  include/weltnetz/Version.h
  include/weltnetz/projection_export.h
  lib/libweltnetz-projection.a
  lib/cmake/Weltnetz/WeltnetzConfig.cmake
  lib/cmake/Weltnetz/WeltnetzConfigVersion.cmake
  lib/pkgconfig/weltnetz.pc
  share/doc/weltnetz/README.md)
if(SHARED_ENGINE)
  list(APPEND expected lib/libweltnetz-projection.so)
endif()
foreach(program IN LISTS programs)
  list(APPEND expected bin/${program} share/man/man1/${program}.1.gz)
endforeach()
if(WITH_WINDOW)
  list(APPEND expected
    share/applications/weltnetz.desktop
    share/metainfo/${APP_ID}.metainfo.xml
    share/icons/hicolor/scalable/apps/weltnetz.svg)
  foreach(size IN LISTS ICON_SIZES)
    list(APPEND expected share/icons/hicolor/${size}x${size}/apps/weltnetz.png)
  endforeach()
endif()
foreach(path IN LISTS expected)
  if(NOT EXISTS ${prefix}/${path})
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endforeach()

# ---- The programs, run from the prefix ---------------------------------------------------
# Nothing may need the source or build tree at run time: the working folder
# is an empty one, and the data the maps need is compiled into the programs.
run(COMMAND ${prefix}/bin/weltnetz-proj --list WORKING_DIRECTORY ${run_dir} OUTPUT list)
string(REGEX MATCHALL "\n" newlines "${list}")
list(LENGTH newlines count)
if(NOT count EQUAL 65 OR NOT list MATCHES "\n42\t[0-9]+\tmpMollweide\t")
  message(FATAL_ERROR "weltnetz-proj --list from the prefix gave ${count} lines:\n${list}")
endif()

if(WITH_WINDOW)
  run(COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
              ${prefix}/bin/weltnetz-render --kind 4 --layers color,grid,coast -o map.png
      WORKING_DIRECTORY ${run_dir})
  png_size(${run_dir}/map.png width height)
  if(NOT width EQUAL 528 OR NOT height EQUAL 507)
    message(FATAL_ERROR "weltnetz-render drew ${width} x ${height}, not the window's 528 x 507")
  endif()
endif()

# A path into the source or build tree inside an installed program or library
# would be a run-time dependency on them (a data file read from there, a build
# RPATH). Only a release build can be asked: debug information, assertions and
# sanitizer reports name the source files.
if(BUILD_TYPE STREQUAL "Release" AND NOT "${CXX_FLAGS}" MATCHES "(^| )-(g|fsanitize)")
  file(GLOB installed_binaries ${prefix}/bin/* ${prefix}/lib/*.so*)
  foreach(tree ${SOURCE_DIR} ${BUILD_DIR})
    regex_escape(tree_pattern "${tree}/")
    foreach(binary IN LISTS installed_binaries)
      file(STRINGS ${binary} hits REGEX "${tree_pattern}")
      if(hits)
        message(FATAL_ERROR "${binary} names a place in ${tree}:\n${hits}")
      endif()
    endforeach()
  endforeach()
endif()

# ---- The example against the installed package ---------------------------------------------
# The same points through the example and through the installed weltnetz-proj
# must give the same lines: an azimuthal, a pseudocylindrical and an
# ellipsoidal kind, with points on and off the map.
set(points ${CMAKE_CURRENT_LIST_DIR}/points.txt)
set(kinds 4 42 52)
foreach(kind IN LISTS kinds)
  run(COMMAND ${prefix}/bin/weltnetz-proj --kind ${kind} INPUT_FILE ${points}
      WORKING_DIRECTORY ${run_dir} OUTPUT reference_${kind})
endforeach()

function(check_example program how)
  foreach(kind IN LISTS kinds)
    run(COMMAND ${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${prefix}/lib ${program} ${kind}
        INPUT_FILE ${points} WORKING_DIRECTORY ${run_dir} OUTPUT got)
    if(NOT got STREQUAL reference_${kind})
      message(FATAL_ERROR "the example built ${how} projects kind ${kind} otherwise than "
                          "weltnetz-proj:\n${got}\nweltnetz-proj:\n${reference_${kind}}")
    endif()
  endforeach()
endfunction()

set(variants static)
if(SHARED_ENGINE)
  list(APPEND variants shared)
endif()
foreach(variant IN LISTS variants)
  set(example_build ${scratch}/example-${variant})
  set(shared OFF)
  if(variant STREQUAL "shared")
    set(shared ON)
  endif()
  run(COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR}/examples -B ${example_build} -G ${GENERATOR}
              -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=${CXX}
              "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${LINKER_FLAGS}"
              -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF
              -DPROJECT_POINTS_SHARED=${shared})
  # It must have found the package in the prefix, not one installed elsewhere.
  file(STRINGS ${example_build}/CMakeCache.txt found REGEX "^Weltnetz_DIR:")
  if(NOT found STREQUAL "Weltnetz_DIR:PATH=${prefix}/lib/cmake/Weltnetz")
    message(FATAL_ERROR "the example found ${found}, not the package in ${prefix}")
  endif()
  run(COMMAND ${CMAKE_COMMAND} --build ${example_build})
  check_example(${example_build}/project_points "with CMake (${variant})")
endforeach()

# With pkg-config: the flags must point into the prefix, and the version is
# the project's.
set(pkg_config ${CMAKE_COMMAND} -E env PKG_CONFIG_PATH=${prefix}/lib/pkgconfig pkg-config)
run(COMMAND ${pkg_config} --modversion weltnetz OUTPUT modversion)
string(STRIP "${modversion}" modversion)
if(NOT modversion STREQUAL VERSION)
  message(FATAL_ERROR "pkg-config gives version ${modversion}, the project ${VERSION}")
endif()
run(COMMAND ${pkg_config} --cflags --libs weltnetz OUTPUT pc_flags)
string(STRIP "${pc_flags}" pc_flags)
separate_arguments(pc_flags UNIX_COMMAND "${pc_flags}")
foreach(flag IN LISTS pc_flags)
  if(flag MATCHES "^-[IL](.*)$" AND NOT CMAKE_MATCH_1 MATCHES "^${prefix}/")
    message(FATAL_ERROR "pkg-config points outside the prefix: ${flag}")
  endif()
endforeach()
separate_arguments(cxx_flags UNIX_COMMAND "${CXX_FLAGS} ${LINKER_FLAGS}")
run(COMMAND ${CXX} -std=c++20 ${cxx_flags} ${SOURCE_DIR}/examples/project_points.cpp ${pc_flags}
            -o ${scratch}/project_points_pc)
check_example(${scratch}/project_points_pc "with pkg-config")

# ---- Menu entry, icon, metadata and man pages -----------------------------------------------
if(WITH_WINDOW)
  set(desktop ${prefix}/share/applications/weltnetz.desktop)
  file(STRINGS ${desktop} exec REGEX "^Exec=")
  file(STRINGS ${desktop} icon REGEX "^Icon=")
  string(REGEX REPLACE "^Exec=([^ ]+).*" "\\1" exec "${exec}")
  string(REGEX REPLACE "^Icon=" "" icon "${icon}")
  if(NOT EXISTS ${prefix}/bin/${exec})
    message(FATAL_ERROR "the menu entry starts '${exec}', which is not installed")
  endif()
  if(NOT EXISTS ${prefix}/share/icons/hicolor/scalable/apps/${icon}.svg)
    message(FATAL_ERROR "the menu entry's icon '${icon}' is not installed")
  endif()
  foreach(size IN LISTS ICON_SIZES)
    png_size(${prefix}/share/icons/hicolor/${size}x${size}/apps/${icon}.png width height)
    if(NOT width EQUAL size OR NOT height EQUAL size)
      message(FATAL_ERROR "the ${size}x${size} icon is ${width} x ${height}")
    endif()
  endforeach()

  file(READ ${prefix}/share/metainfo/${APP_ID}.metainfo.xml metainfo)
  if(NOT metainfo MATCHES "<id>${APP_ID}</id>"
     OR NOT metainfo MATCHES "<launchable type=\"desktop-id\">weltnetz.desktop</launchable>")
    message(FATAL_ERROR "the AppStream data does not name ${APP_ID} and weltnetz.desktop")
  endif()
  string(REGEX MATCHALL "<binary>[^<]+</binary>" binaries "${metainfo}")
  foreach(binary IN LISTS binaries)
    string(REGEX REPLACE "</?binary>" "" binary "${binary}")
    if(NOT EXISTS ${prefix}/bin/${binary})
      message(FATAL_ERROR "the AppStream data promises ${binary}, which is not installed")
    endif()
  endforeach()
endif()

# Every man page must render without a warning and name every option its
# program's installed --help names (the window's page is written by hand).
foreach(program IN LISTS programs)
  render_man_page(${prefix}/share/man/man1/${program}.1.gz page)
  run(COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${prefix}/bin/${program} --help
      WORKING_DIRECTORY ${run_dir} OUTPUT help ERROR help_err)
  string(REGEX MATCHALL "(^|[ \n])--?[a-z][-a-z0-9]*" options "${help}${help_err}")
  foreach(option IN LISTS options)
    string(STRIP "${option}" option)
    string(FIND "${page}" "${option}" at)
    if(at LESS 0)
      message(FATAL_ERROR "the man page of ${program} does not name ${option}:\n${page}")
    endif()
  endforeach()
endforeach()

file(REMOVE_RECURSE ${scratch})
