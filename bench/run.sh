#!/usr/bin/env bash
# Times the tunnelsmith executable on the largest maps against a baseline that reads the same
# map text and writes the same number of bytes with standard tools, and shows how the time grows
# with the map's squares, placed entries and trigger elements.
#
# baseline:        cat MAP > /dev/null; head -c OUTPUT_BYTES /dev/zero > FILE   (streams through
#                  small buffers; the target is tunnelsmith / baseline <= 2)
# in-memory:       the same with dd and one block the size of the map and of the output, so the
#                  whole text and the whole output each take fresh memory at once; for reference
#                  only (the compiler maps a large map file and writes large level files in
#                  blocks, so where fresh memory is costly it can beat this).
#
#   bench/run.sh [BUILD_DIR]      (default: build-bench beside this script's folder)
#
# BUILD_DIR must hold a Release build made with -DBUILD_BENCHMARKS=ON (the tunnelsmith and
# bench/tunnelsmith-mapgen executables). Environment: RUNS (timed runs per measurement, default
# 7; the median is printed), MAPS (folder for the generated maps and outputs, default
# /tmp/bench-maps). Targets: ratio at most 2, peak memory below 64 MiB.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=$(cd "${1:-$here/../build-bench}" && pwd)
runs=${RUNS:-7}
maps=${MAPS:-/tmp/bench-maps}
exe=$build/tunnelsmith
mapgen=$build/bench/tunnelsmith-mapgen
for tool in "$exe" "$mapgen"; do
  if [[ ! -x $tool ]]; then
    echo "missing $tool: configure with -DCMAKE_BUILD_TYPE=Release -DBUILD_BENCHMARKS=ON" \
      "and build" >&2
    exit 2
  fi
done
if ! grep -qiE '^CMAKE_BUILD_TYPE:[A-Z]*=Release$' "$build/CMakeCache.txt" 2>/dev/null; then
  echo "warning: $build is not a Release build; the times mean little" >&2
fi
mkdir -p "$maps"
maps=$(cd "$maps" && pwd)
work=$maps/out
mkdir -p "$work"

median() { printf '%s\n' "$@" | sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

# Peak resident memory of one run in KiB. Without GNU time the fallback reads the children's
# getrusage through python3; that figure cannot fall below the interpreter's own (about 10 MiB),
# so it is an upper bound.
peak_kib() {
  if [[ -x /usr/bin/time ]]; then
    { /usr/bin/time -v "$@" 2>&1 >/dev/null || true; } |
      awk -F: '/Maximum resident set size/ {gsub(/ /, "", $2); print $2}'
  else
    python3 - "$@" <<'EOF'
import resource, subprocess, sys
subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, check=False)
print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)
EOF
  fi
}

clean() { rm -f "$work"/*; }

# generate NAME ARGS...: writes $maps/NAME.txt, checked in memory by the generator.
generate() {
  local name=$1
  shift
  "$mapgen" --check --name "$name" "$@" "$maps/$name.txt"
}

# The suffixes of the six level files, in the order the compiler names them.
suffixes=(Map.kld Triggers.kld Things.kld Players.kld Variables.kld .kwd)

# validate NAME: the real executable prints the banner and the six "produced file" lines and
# nothing else, writes six files and exits with 1. Prints the total bytes of the six files.
validate() {
  local name=$1 map=$maps/$1.txt status=0 expected output total=0 f
  clean
  output=$(cd "$work" && "$exe" "$map") || status=$?
  expected=$(printf '%s\n' "$(head -n 1 <<<"$output" | grep '^Tunnelsmith version: ')"
             for f in "${suffixes[@]}"; do
               printf 'produced file : %s%s\n' "$name" "$f"
             done)
  if [[ $status -ne 1 || $output != "$expected" ]]; then
    echo "$name.txt is not a clean valid level (status $status):" >&2
    echo "$output" | head -20 >&2
    exit 1
  fi
  for f in "${suffixes[@]}"; do
    [[ -f $work/$name$f ]] || { echo "$name$f missing" >&2; exit 1; }
    total=$((total + $(stat -c %s "$work/$name$f")))
  done
  clean
  echo "$total"
}

# measure NAME TOTAL_BYTES: sets compiler_us, baseline_us, floor_us (medians) and
# peak_kib_value. The three kinds of run alternate, so that other work on the machine weighs on
# all of them alike.
measure() {
  local name=$1 total=$2 map=$maps/$1.txt size i t0 t1
  local -a compiler=() baseline=() floor=()
  size=$(stat -c %s "$map")
  # Times in microseconds from bash's own clock, so no process starts around a run.
  cd "$work"
  "$exe" "$map" >/dev/null || true  # warm the page cache
  clean
  for ((i = 0; i < runs; i++)); do
    t0=${EPOCHREALTIME//[!0-9]/}
    "$exe" "$map" >/dev/null || true
    t1=${EPOCHREALTIME//[!0-9]/}
    compiler+=($((t1 - t0)))
    clean
    t0=${EPOCHREALTIME//[!0-9]/}
    cat "$map" >/dev/null
    head -c "$total" /dev/zero >"$work/baseline.bin"
    t1=${EPOCHREALTIME//[!0-9]/}
    baseline+=($((t1 - t0)))
    clean
    t0=${EPOCHREALTIME//[!0-9]/}
    dd if="$map" of=/dev/null bs="$size" count=1 status=none
    dd if=/dev/zero of="$work/floor.bin" bs="$total" count=1 status=none
    t1=${EPOCHREALTIME//[!0-9]/}
    floor+=($((t1 - t0)))
    clean
  done
  compiler_us=$(median "${compiler[@]}")
  baseline_us=$(median "${baseline[@]}")
  floor_us=$(median "${floor[@]}")
  peak_kib_value=$(peak_kib "$exe" "$map")
  clean
  cd "$maps"
}

ms() { awk -v us="$1" 'BEGIN {printf "%.2f", us / 1000}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%5.2f", a / b}'; }
mib() { awk -v k="$1" 'BEGIN {printf "%.1f", k / 1024}'; }

echo "tunnelsmith: $exe"
echo "runs per measurement: $runs (median); maps in $maps"
echo

echo "Generating and checking the maps..."
generate BenchText --width 999 --height 1000
generate BenchGui --gui --width 499 --height 1000
generate BenchLists --width 200 --height 200 --entries 200000 --triggers 65535
generate BenchTiny --width 12 --height 8
generate BenchPlain200 --width 200 --height 200
for h in 250 500; do generate "BenchRows$h" --width 999 --height "$h"; done
for n in 50000 100000 200000; do
  generate "BenchEntries$n" --width 200 --height 200 --entries "$n"
done
for e in 16383 32767 65535; do
  generate "BenchTriggers$e" --width 200 --height 200 --triggers "$e"
done

printf '\n%-34s %7s %8s %11s %9s %6s %9s %6s %8s\n' "map" "in KiB" "out KiB" "tunnelsmith" \
  "baseline" "ratio" "in-memory" "ratio" "peak MiB"
fail=0
for shape in "BenchText:999 x 1000 text map" "BenchGui:499 x 1000 GUI map" \
            "BenchLists:200,000 entries + 65,535 triggers"; do
  name=${shape%%:*}
  label=${shape#*:}
  total=$(validate "$name")
  measure "$name" "$total"
  r=$(ratio "$compiler_us" "$baseline_us")
  verdict=ok
  if awk -v r="$r" -v p="$peak_kib_value" 'BEGIN {exit !(r > 2 || p >= 65536)}'; then
    verdict="MISSES TARGET"
    fail=1
  fi
  printf '%-34s %7d %8d %8s ms %6s ms %6s %6s ms %6s %8s  %s\n' "$label" \
    $(($(stat -c %s "$maps/$name.txt") / 1024)) $((total / 1024)) "$(ms "$compiler_us")" \
    "$(ms "$baseline_us")" "$r" "$(ms "$floor_us")" "$(ratio "$compiler_us" "$floor_us")" \
    "$(mib "$peak_kib_value")" "$verdict"
done
echo
echo "Scaling (median ms; the cost per unit is taken above a reference map's time):"

# reference NAME: sets reference_us to the compiler's time on that map.
reference() {
  local total
  total=$(validate "$1")
  measure "$1" "$total"
  reference_us=$compiler_us
  printf '  reference %s: %s ms (baseline %s ms)\n' "$1" "$(ms "$compiler_us")" \
    "$(ms "$baseline_us")"
}

# series TITLE UNIT (NAME:COUNT)...: times each map and its cost per unit above reference_us.
series() {
  local title=$1 unit=$2 item name count total
  shift 2
  echo "  $title"
  for item in "$@"; do
    name=${item%%:*}
    count=${item#*:}
    total=$(validate "$name")
    measure "$name" "$total"
    printf '    %9d %-8s %7s ms   baseline %6s ms   ratio %s   %7.1f ns per %s\n' "$count" "$unit" \
      "$(ms "$compiler_us")" "$(ms "$baseline_us")" "$(ratio "$compiler_us" "$baseline_us")" \
      "$(awk -v t="$compiler_us" -v z="$reference_us" -v n="$count" \
        'BEGIN {print (t - z) * 1000 / n}')" \
      "$unit"
  done
}
reference BenchTiny
series "grid squares (999 wide; 250, 500, 1000 rows)" square \
  BenchRows250:249750 BenchRows500:499500 BenchText:999000
reference BenchPlain200
series "placed entries (200 x 200 grid)" entry \
  BenchEntries50000:50000 BenchEntries100000:100000 BenchEntries200000:200000
series "trigger and action elements (200 x 200 grid)" element \
  BenchTriggers16383:16383 BenchTriggers32767:32767 BenchTriggers65535:65535

rm -rf "$work"
exit "$fail"
