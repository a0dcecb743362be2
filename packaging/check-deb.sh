#!/usr/bin/env bash
# Checks the Debian packages that `make package` wrote into a build folder:
# their control data (dependencies on the Qt 6 and libjpeg runtime packages,
# the library packages' relation), their contents (programs, menu entry,
# icons, AppStream data, man pages, docs; headers, libraries, CMake package,
# pkg-config file) and, where lintian is there, Debian's policy.
#   packaging/check-deb.sh [BUILD]        default: build
set -euo pipefail
build=${1:-build}
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
arch=$(dpkg --print-architecture)
failed=0
fail() { echo "check-deb: $*" >&2; failed=1; }

# deb PACKAGE: the file of that package for this version.
deb() { echo "$build/$1_${version}_${arch}.deb"; }

# needs PACKAGE FIELD WORD...: the control field names every word.
needs() {
  local pkg=$1 field=$2 value
  shift 2
  value=$(dpkg-deb --field "$(deb "$pkg")" "$field")
  for word in "$@"; do
    grep -Eq "(^|[ ,])$word( |,|$)" <<<"$value" || fail "$pkg: $field lacks $word: $value"
  done
}

# holds PACKAGE PATH...: the package installs every path.
holds() {
  local pkg=$1 contents
  shift
  contents=$(dpkg-deb --contents "$(deb "$pkg")" | awk '{print $6}')
  for path in "$@"; do
    grep -qx "\./$path" <<<"$contents" || fail "$pkg does not install /$path"
  done
}

lib=libweltnetz-projection$(sed -n 's/^WELTNETZ_SOVERSION:INTERNAL=//p' "$build/CMakeCache.txt")
for pkg in weltnetz "$lib" libweltnetz-projection-dev; do
  [ -f "$(deb "$pkg")" ] || { fail "$(deb "$pkg") is missing"; continue; }
  dpkg-deb --info "$(deb "$pkg")"
done
[ "$failed" -eq 0 ] || exit 1

needs weltnetz Depends libqt6core6 libqt6gui6 libqt6widgets6 qt6-qpa-plugins qt6-translations-l10n \
  libjpeg62-turbo
needs weltnetz Section science
holds weltnetz usr/bin/weltnetz usr/bin/weltnetz-proj usr/bin/weltnetz-render \
  usr/share/applications/weltnetz.desktop \
  usr/share/icons/hicolor/scalable/apps/weltnetz.svg \
  usr/share/icons/hicolor/{48x48,64x64,128x128,256x256}/apps/weltnetz.png \
  "usr/share/metainfo/$(sed -n 's/^WELTNETZ_APP_ID:STRING=//p' "$build/CMakeCache.txt").metainfo.xml" \
  usr/share/man/man1/{weltnetz,weltnetz-proj,weltnetz-render}.1.gz \
  usr/share/doc/weltnetz/README.md
holds "$lib" "usr/lib/libweltnetz-projection.so.${version}"
needs libweltnetz-projection-dev Depends "$lib"
holds libweltnetz-projection-dev usr/include/weltnetz/projection/GxProjectionL.h \
  usr/include/weltnetz/Version.h usr/lib/libweltnetz-projection.a \
  usr/lib/libweltnetz-projection.so usr/lib/cmake/Weltnetz/WeltnetzConfig.cmake \
  usr/lib/pkgconfig/weltnetz.pc

# Debian's policy checks. The packages have no copyright file and no
# changelog yet: the project has no licence file to make them from.
if command -v lintian >/dev/null; then
  lintian --fail-on error --suppress-tags no-copyright-file,no-changelog \
    "$(deb weltnetz)" "$(deb "$lib")" "$(deb libweltnetz-projection-dev)" || failed=1
fi

[ "$failed" -eq 0 ] && echo "check-deb: the packages of Weltnetz $version are complete"
exit "$failed"
