#!/bin/sh
# The Windows zip as a designer uses it: unpacked into a folder whose name holds non-ASCII
# characters, it holds the programs, the README, the guide and the changes and nothing else, and
# its tunnelsmith-build.exe, run under Wine from that folder, builds every example into the same
# console text, exit status and level files as the Linux build command.
#   tests/release/windows_zip.sh ZIP LINUX_TUNNELSMITH_BUILD
# Exit status 0 when everything is identical.
set -u
here=$(cd "$(dirname "$0")" && pwd)
source=$(cd "$here/../.." && pwd)
zip=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
linux=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
export WINEDEBUG=-all
. "$here/checks.sh"

folder="$work/Ünterwelt Ä€"
mkdir -p "$folder"
(cd "$folder" && cmake -E tar xf "$zip") || { echo "windows zip: cannot unpack $zip"; exit 1; }
top=$(cd "$folder" && ls)
[ "$(echo "$top" | wc -l)" = 1 ] || fail "the zip holds more than one top folder: $top"
unpacked="$folder/$top"
contents=$(cd "$unpacked" && find . -type f | sed 's|^\./||' | sort | tr '\n' ' ')
want="CHANGELOG.md README.md map-format.md tunnelsmith-build.exe tunnelsmith-check.exe \
tunnelsmith-decompile.exe tunnelsmith-docgen.exe tunnelsmith-inspect.exe tunnelsmith-lsp.exe \
tunnelsmith.exe "
[ "$contents" = "$want" ] || fail "the zip holds: $contents
expected: $want"

# Static programs: nothing but Windows' own libraries is imported.
for exe in "$unpacked"/*.exe; do
  if command -v x86_64-w64-mingw32-objdump >/dev/null 2>&1; then
    dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\tDLL Name: //p' | tr 'A-Z' 'a-z' |
      grep -v -E '^(kernel32|msvcrt|advapi32|user32|shell32|ws2_32|api-ms-win-.*|ucrtbase)\.dll$')
    [ -z "$dlls" ] || fail "$(basename "$exe") needs $dlls"
  fi
done

# The examples, each built by both from a copy beside the other, with the same relative paths.
mkdir -p "$work/linux" "$work/windows"
for map in "$source"/examples/*.txt; do
  name=$(basename "$map")
  cp "$map" "$work/linux/$name"
  cp "$map" "$work/windows/$name"
  (cd "$work/linux" && "$linux" -o "out-${name%.txt}" "$name" >"$name.out" 2>&1; echo $? >"$name.status")
  (cd "$work/windows" && "$wine" "$unpacked/tunnelsmith-build.exe" -o "out-${name%.txt}" "$name" \
    >"$name.out" 2>&1; echo $? >"$name.status")
  if ! diff -r "$work/linux" "$work/windows" >/dev/null; then
    fail "$name: the Windows build command's output differs"
    diff -r "$work/linux" "$work/windows" | head -n 10
  fi
  echo "windows zip: $name: $(cat "$work/windows/$name.out")"
done
version=$(basename "$zip" | sed 's/^tunnelsmith-\(.*\)-windows-x86_64\.zip$/\1/')
out=$("$wine" "$unpacked/tunnelsmith-check.exe" --version | tr -d '\r')
[ "$out" = "tunnelsmith-check $version" ] || fail "tunnelsmith-check.exe --version printed '$out'"
[ "$failures" -eq 0 ] && echo "windows zip: the examples built alike from $top in a non-ASCII folder" && exit 0
exit 1
