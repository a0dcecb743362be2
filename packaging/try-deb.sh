#!/usr/bin/env bash
# Installs the program's Debian package the way a user would (apt, which
# pulls its dependencies), tries the installed programs from /usr/bin and the
# menu entry, then removes the package again, so that the machine is left as
# it was. Needs root or sudo; a package of Weltnetz already installed is left
# alone (the trial would replace it).
#   packaging/try-deb.sh [BUILD]        default: build
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb="$build/weltnetz_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { echo "try-deb: $deb is missing (make package)" >&2; exit 1; }

sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
if dpkg-query -W -f='${Status}' weltnetz 2>/dev/null | grep -q 'install ok installed'; then
  echo "try-deb: weltnetz is installed already; not replacing it" >&2
  exit 1
fi

# apt wants an absolute path to tell a file from a package name.
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$deb"

failed=0
fail() { echo "try-deb: $*" >&2; failed=1; }
work=$(mktemp -d)
trap 'cd /; rm -rf "$work"; $sudo env DEBIAN_FRONTEND=noninteractive apt-get remove -y -q weltnetz >/dev/null' EXIT

# Run from an empty folder, so nothing of the source or build tree can help.
cd "$work"
for program in weltnetz weltnetz-proj weltnetz-render; do
  [ "$(command -v "$program")" = "/usr/bin/$program" ] || fail "$program is not in /usr/bin"
  QT_QPA_PLATFORM=offscreen "/usr/bin/$program" --version | grep -qx "$program $version" ||
    fail "$program --version does not say $version"
  man -w "$program" >/dev/null 2>&1 || fail "no man page for $program"
done
[ "$(/usr/bin/weltnetz-proj --list | wc -l)" -eq 65 ] || fail "weltnetz-proj --list does not list the 65 kinds of its catalogue"
echo "10 50" | /usr/bin/weltnetz-proj --kind 42 >/dev/null || fail "weltnetz-proj cannot project a point"
QT_QPA_PLATFORM=offscreen /usr/bin/weltnetz-render --kind 42 -o map.png 2>/dev/null &&
  [ -s map.png ] || fail "weltnetz-render cannot draw a map"
desktop-file-validate --no-hints /usr/share/applications/weltnetz.desktop ||
  fail "the installed menu entry is not valid"
grep -Eq '^Exec=weltnetz( |$)' /usr/share/applications/weltnetz.desktop ||
  fail "the menu entry does not start weltnetz"

[ "$failed" -eq 0 ] && echo "try-deb: weltnetz $version installs and runs from the package"
exit "$failed"
