#!/bin/sh
# Studio's zip, unpacked into a new folder and opened from a plain static server in headless
# Chromium (tests/release/studio.mjs): no console error, and the first example checked and built.
#   tests/release/studio.sh ZIP
set -u
here=$(cd "$(dirname "$0")" && pwd)
zip=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && cmake -E tar xf "$zip") || { echo "studio: cannot unpack $zip"; exit 1; }
version=$(basename "$zip" | sed 's/^tunnelsmith-studio-\(.*\)\.zip$/\1/')
folder="$work/tunnelsmith-studio-$version"
[ -f "$folder/index.html" ] || { echo "FAILED: the zip has no tunnelsmith-studio-$version/index.html"; exit 1; }
node "$here/studio.mjs" "$folder" "$version"
