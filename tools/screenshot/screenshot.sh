#!/usr/bin/env bash
# Starts Weltnetz under a virtual X server, waits for its first map and writes
# a PNG of the whole window (its client area: there is no window manager).
#
#   tools/screenshot/screenshot.sh [OUT.png]     default: weltnetz.png
#
# The program comes from build/bin/weltnetz, or from $WELTNETZ_BIN. Needs
# xvfb-run, xwd and ImageMagick's convert: tools/install-deps screenshot.
set -euo pipefail

if [ "${1:-}" = "--inside" ]; then
  # Runs under xvfb-run with DISPLAY set: $2 the program, $3 the PNG.
  bin=$2 out=$3
  work=$(mktemp -d)
  # Qt wants a private runtime folder; a bare container has none.
  export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$work}
  QT_QPA_PLATFORM=xcb "$bin" &
  pid=$!
  # shellcheck disable=SC2317  # runs through the EXIT trap
  cleanup() {
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    rm -rf "$work"
  }
  trap cleanup EXIT

  # The window is mapped only after its first drawing has ended.
  shown=no
  for _ in $(seq 1 600); do
    if xwd -name Weltnetz -silent >"$work/a.xwd" 2>/dev/null; then shown=yes; break; fi
    kill -0 "$pid" 2>/dev/null || { echo "screenshot: weltnetz ended before showing its window" >&2; exit 1; }
    sleep 0.1
  done
  [ "$shown" = yes ] || { echo "screenshot: no window after 60 s" >&2; exit 1; }

  # Painting follows the mapping: wait until two dumps in a row agree.
  for _ in $(seq 1 50); do
    sleep 0.2
    xwd -name Weltnetz -silent >"$work/b.xwd"
    if cmp -s "$work/a.xwd" "$work/b.xwd"; then break; fi
    mv "$work/b.xwd" "$work/a.xwd"
  done
  convert "xwd:$work/a.xwd" "png:$out"
  echo "screenshot: wrote $out"
  exit 0
fi

root=$(cd "$(dirname "$0")/../.." && pwd)
out=${1:-weltnetz.png}
case "$out" in /*) ;; *) out=$PWD/$out ;; esac
bin=${WELTNETZ_BIN:-$root/build/bin/weltnetz}

[ -x "$bin" ] || { echo "screenshot: $bin is missing; build it first (make build)" >&2; exit 1; }
for tool in xvfb-run xwd convert; do
  command -v "$tool" >/dev/null ||
    { echo "screenshot: $tool is missing; run tools/install-deps screenshot" >&2; exit 1; }
done

exec xvfb-run -a -s '-screen 0 1024x768x24' "$0" --inside "$bin" "$out"
