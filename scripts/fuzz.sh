#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while on a corpus seeded from
# tests/data/corpus. Usage: scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]
# Corpora grow in build/fuzz/corpus/<target>; findings land there as crash-*, leak-*, timeout-*.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
seconds=${1:-300}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(data_file utf8_data_file netscape csv encoding url_file settings title dde_reply chromium_bookmarks)

CC=clang CXX=clang++ cmake -S . -B build/fuzz -DPERCHLET_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/fuzz -j2 --target perchlet-tool $(printf '%s_fuzz ' "${targets[@]}")

corpus=build/fuzz/corpus
mkdir -p "$corpus"
seeds() {  # the folders of real files that feed each target
  case $1 in
    netscape|encoding|title) echo tests/data/corpus/html ;;
    csv) echo tests/data/corpus/csv ;;
    url_file) echo tests/data/corpus/url ;;
    settings) echo fuzz/seeds ;;
    dde_reply) echo fuzz/replies ;;
    chromium_bookmarks) echo fuzz/chromium_seeds ;;
    data_file) echo "$corpus/data_file_seeds" ;;
    utf8_data_file) echo "$corpus/utf8_data_file_seeds" ;;
  esac
}
dictionary() {
  case $1 in
    netscape|encoding) echo "-dict=fuzz/netscape.dict" ;;
    data_file|utf8_data_file) echo "-dict=fuzz/data_file.dict" ;;
  esac
}
# Data-file seeds are the Netscape files of the corpus converted by the tool.
if [[ " ${targets[*]} " == *" data_file "* ]]; then
  mkdir -p "$corpus/data_file_seeds"
  for html in tests/data/corpus/html/*; do
    build/fuzz/perchlet-tool convert "$html" "$corpus/data_file_seeds/$(basename "${html%.*}").dat" --to datafile ||
      echo "fuzz: $html makes no data-file seed"
  done
fi

# UTF-8 seeds are the same files converted with every character kept.
if [[ " ${targets[*]} " == *" utf8_data_file "* ]]; then
  mkdir -p "$corpus/utf8_data_file_seeds"
  for html in tests/data/corpus/html/*; do
    build/fuzz/perchlet-tool convert "$html" "$corpus/utf8_data_file_seeds/$(basename "${html%.*}").dat" --to datafile \
      --encoding utf-8 2>/dev/null || echo "fuzz: $html makes no UTF-8 data-file seed"
  done
fi

status=0
for target in "${targets[@]}"; do
  mkdir -p "$corpus/$target"
  echo "fuzz: $target for ${seconds}s"
  # Findings stay beside the corpus; the log ends with the execution count.
  (cd "$corpus" && nice -n 19 "../${target}_fuzz" "$target" "$root/$(seeds "$target")" $(dictionary "$target" | sed "s|=|=$root/|") \
      -max_total_time="$seconds" -max_len=20000 -timeout=10 -rss_limit_mb=2048 -artifact_prefix="$target-" \
      -print_final_stats=1 > "$target.log" 2>&1) || status=1
  grep -E "stat::number_of_executed_units|ERROR|SUMMARY" "$corpus/$target.log" || true
done
exit "$status"
