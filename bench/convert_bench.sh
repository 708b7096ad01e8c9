#!/usr/bin/env bash
# Whole-process figures of perchlet-tool convert, against cp of the same file in the same run:
# a data file of 100,000 items to a data file (Shift-JIS and UTF-8), best of the runs each;
# and the peak memory of converting 100,000 Netscape links to a data file.
# Run: bash bench/convert_bench.sh [build folder] [runs] [tool]   (after building the native
# targets; tool, another build's perchlet-tool to time on the same files, defaults to the build's)
set -euo pipefail
build=${1:-build/native}
runs=${2:-5}
tool=$(realpath "${3:-$build/perchlet-tool}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/data_file_bench" --sample "$work/items.dat"
"$tool" convert "$work/items.dat" "$work/items-utf8.dat" --encoding utf-8
"$build/netscape_bench" --sample "$work/links.html"

# Best wall-clock seconds of a command over the runs.
best_of() {
  local best="" start end t
  for _ in $(seq "$runs"); do
    start=$(date +%s.%N)
    "$@" >/dev/null
    end=$(date +%s.%N)
    t=$(echo "$end - $start" | bc -l)
    if [ -z "$best" ] || [ "$(echo "$t < $best" | bc -l)" = 1 ]; then best=$t; fi
  done
  echo "$best"
}

echo "(best of $runs runs)"
for input in items.dat items-utf8.dat; do
  copy=$(best_of cp "$work/$input" "$work/copy.dat")
  convert=$(best_of "$tool" convert "$work/$input" "$work/out.dat" --encoding $([ "$input" = items.dat ] && echo shift-jis || echo utf-8))
  printf '%-15s %9d bytes: cp %6.3f s, convert %6.3f s (%.1fx the cp)\n' "$input" "$(stat -c %s "$work/$input")" \
    "$copy" "$convert" "$(echo "$convert / $copy" | bc -l)"
done
peak=$(/usr/bin/time -f %M "$tool" convert "$work/links.html" "$work/links.dat" 2>&1 >/dev/null | tail -1)
printf 'Netscape file of 100,000 links (%d bytes) to a data file (%d bytes): peak memory %d KiB (%.1f MiB)\n' \
  "$(stat -c %s "$work/links.html")" "$(stat -c %s "$work/links.dat")" "$peak" "$(echo "$peak / 1024" | bc -l)"
