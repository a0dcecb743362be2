# Debian packages, made by `make package` (cpack -G DEB in the build folder):
#   weltnetz                        the window and the two tools, with menu
#                                   entry, icons, AppStream data, man pages, docs
#   libweltnetz-projection<soname>  the shared engine
#   libweltnetz-projection-dev      headers, static library, CMake package,
#                                   pkg-config file
# dpkg-shlibdeps (dpkg-dev) finds the libraries the programs need (Qt 6,
# libjpeg, the C++ runtime) and declares their packages.
set(WELTNETZ_PACKAGE_MAINTAINER "Weltnetz maintainers <weltnetz@example.invalid>"
    CACHE STRING "Maintainer field of the Debian packages")

set(CPACK_PACKAGE_NAME weltnetz)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# Empty: each package's description below starts with its own summary line,
# which CPack would otherwise push down under the project's one.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL programs development)
if(TARGET weltnetz_engine_shared)
  list(APPEND CPACK_COMPONENTS_ALL library)
endif()

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${WELTNETZ_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Installed programs and libraries carry no symbols.
set(CPACK_STRIP_FILES ON)
# A shlibs file for the package of the shared library, so that packages
# linking it depend on it.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)

set(CPACK_DEBIAN_PROGRAMS_PACKAGE_NAME weltnetz)
set(CPACK_DEBIAN_PROGRAMS_PACKAGE_SECTION science)
# The window needs a platform plugin, which Qt loads at run time, so that
# dpkg-shlibdeps cannot see it; likewise Qt's own German, in which the
# German window's dialogs speak.
set(CPACK_DEBIAN_PROGRAMS_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n")
set(CPACK_COMPONENT_PROGRAMS_DESCRIPTION
  "viewer for cartographic map projections
Weltnetz shows the whole Earth in one of 62 map projections. It sets the
globe's radius, the central longitude, a tilt and the latitude parameters,
switches a re-projected picture of the Earth, the graticule and the
coastlines on and off, and saves the map as JPEG, bitmap or PNG.

weltnetz-proj projects points on the command line; weltnetz-render draws a
map into an image file without a window.")

set(CPACK_DEBIAN_LIBRARY_PACKAGE_NAME "libweltnetz-projection${WELTNETZ_SOVERSION}")
set(CPACK_DEBIAN_LIBRARY_PACKAGE_SECTION libs)
# The linker cache is renewed through dpkg's ldconfig trigger.
set(CPACK_DEBIAN_LIBRARY_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/deb/triggers)
set(CPACK_COMPONENT_LIBRARY_DESCRIPTION
  "projection engine of Weltnetz (shared library)
Forward (longitude and latitude to map pixels) and inverse transformations
for the 66 projection kinds of Weltnetz, with a small numerical library for
the ellipsoidal kinds. Plain C++, no user interface.")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libweltnetz-projection-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
# The static library alone needs only the C++ runtime.
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SHLIBDEPS OFF)
if(TARGET weltnetz_engine_shared)
  set(CPACK_COMPONENT_DEVELOPMENT_DEPENDS library)
endif()
set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION
  "projection engine of Weltnetz (headers and static library)
Headers, the static library, the CMake package (find_package(Weltnetz)) and
the pkg-config file (weltnetz) of the Weltnetz projection engine.")

include(CPack)
