#!/usr/bin/env bash
# Brings the two Natural Earth source files of mkdata into a scratch folder,
# from the npm registry and Debian's archive; mkdata itself never touches the
# network. Prints mkdata's input options:
#   tools/mkdata/fetch.sh [DIR]          (default: scratch/mkdata in the checkout)
#   build/bin/mkdata $(tools/mkdata/fetch.sh) --out resources
# The files are checked against the checksums of the files the committed data
# were made from, so a changed upstream shows at once.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
dir="${1:-$root/scratch/mkdata}"
mkdir -p "$dir"
cd "$dir"

land="$dir/package/land-50m.json"
land_sha256=619477ff690c086885e45cb91707d783805561bd75ae8e437b7d4694b0204e0f
picture="$dir/usr/share/cartopy/data/raster/natural_earth/50-natural-earth-1-downsampled.png"
picture_sha256=7234e0a8336b3ea113c06ad45d0ae182a2fbd1b5cb128c4cede22dc6fe3cfb35

if [ ! -f "$land" ]; then
  tarball="$(npm pack --silent world-atlas@2.0.2)"
  tar -xzf "$tarball" package/land-50m.json package/LICENSE package/package.json
fi

if [ ! -f "$picture" ]; then
  # Any version of the package carries the picture; the one the data were
  # made from is tried first. apt-get download needs current package lists.
  get() { apt-get download "$1" >/dev/null 2>&1; }
  get python-cartopy-data=0.21.1+dfsg-1 || get python-cartopy-data || {
    apt-get update -qq
    apt-get download python-cartopy-data
  }
  deb="$(ls -t python-cartopy-data_*.deb | head -n 1)"
  dpkg-deb -x "$deb" "$dir"
fi

check() {
  if ! echo "$2  $1" | sha256sum --check --status; then
    echo "fetch.sh: $1 differs from the file the committed data were made from" >&2
    echo "fetch.sh: mkdata will make different data; update resources/README.md" >&2
  fi
}
check "$land" "$land_sha256"
check "$picture" "$picture_sha256"

echo "--land $land"
echo "--picture $picture"
