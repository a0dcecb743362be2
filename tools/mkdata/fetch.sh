#!/usr/bin/env bash
# Brings the two Natural Earth source files into a scratch folder, from the
# npm registry and Debian's archive; mkdata itself never touches the network.
#   tools/mkdata/fetch.sh [DIR]      (default: scratch/mkdata in the checkout)
# Prints the two paths, ready for mkdata's --land and --picture options.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
dir="${1:-$root/scratch/mkdata}"
mkdir -p "$dir"
cd "$dir"

land="$dir/package/land-50m.json"
if [ ! -f "$land" ]; then
  tarball="$(npm pack --silent world-atlas@2.0.2)"
  tar -xzf "$tarball" package/land-50m.json package/LICENSE package/package.json
fi

picture="$dir/usr/share/cartopy/data/raster/natural_earth/50-natural-earth-1-downsampled.png"
if [ ! -f "$picture" ]; then
  # apt-get download needs current package lists; we only read the archive.
  apt-get download python-cartopy-data >/dev/null 2>&1 || {
    apt-get update -qq
    apt-get download python-cartopy-data
  }
  deb="$(ls -t python-cartopy-data_*.deb | head -n 1)"
  dpkg-deb -x "$deb" "$dir"
fi

echo "--land $land"
echo "--picture $picture"
