#!/bin/sh
# Compiles every example map with the Linux compiler and with the Windows one under Wine, each in
# a folder of its own, and compares what they print, their exit statuses and the files they
# write, byte for byte. Each map is also compiled by the Windows compiler with CR LF line ends
# from a path with non-ASCII characters, which must change nothing either.
#   tests/windows/compare_examples.sh LINUX_TUNNELSMITH WINDOWS_TUNNELSMITH_EXE [MAP...]
# Without maps, every examples/*.txt. Exit status 0 when everything is identical.
set -u
absolute() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
linux=$(absolute "$1")
windows=$(absolute "$2")
shift 2
[ $# -gt 0 ] || set -- "$(dirname "$0")/../../examples/"*.txt
wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export WINEDEBUG=-all
failures=0

# compile FOLDER PROGRAM... MAP: the console text goes to FOLDER.out, the status to FOLDER.status.
compile() {
  folder=$1
  shift
  mkdir -p "$folder"
  (cd "$folder" && "$@" >"$folder.out" 2>&1; echo $? >"$folder.status")
}

for map in "$@"; do
  name=$(basename "$map" .txt)
  map=$(absolute "$map")
  crlf="$work/ü Kart€ $name.txt"
  sed 's/$/\r/' "$map" >"$crlf"
  compile "$work/$name/linux" "$linux" "$map"
  compile "$work/$name/windows" "$wine" "$windows" "$map"
  compile "$work/$name/crlf" "$wine" "$windows" "$crlf"
  for run in windows crlf; do
    if ! diff -r "$work/$name/linux" "$work/$name/$run" >/dev/null ||
      ! cmp -s "$work/$name/linux.status" "$work/$name/$run.status" ||
      ! cmp -s "$work/$name/linux.out" "$work/$name/$run.out"; then
      echo "DIFFERENT: $name ($run)"
      diff "$work/$name/linux.out" "$work/$name/$run.out" | head -n 20
      diff -r "$work/$name/linux" "$work/$name/$run" | head -n 5
      failures=$((failures + 1))
    fi
  done
  echo "$name: $(ls "$work/$name/linux" | wc -l) files, status $(cat "$work/$name/linux.status")"
done
[ "$failures" -eq 0 ] && echo "identical: $# maps" && exit 0
echo "$failures comparisons differ"
exit 1
