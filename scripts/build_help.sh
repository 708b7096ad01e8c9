#!/usr/bin/env bash
# Compiles the help pages into perchlet.chm.
#   build_help.sh HELP_SOURCE_DIR OUTPUT_CHM
# The pages are UTF-8; the project and contents files are read in the help file's own
# language (Japanese, code page 932), so they are converted on the way.
set -euo pipefail
source_dir=$1
output=$2
work=$(mktemp -d /tmp/perchlet-help.XXXXXX)
trap 'rm -rf "$work"' EXIT
cp "$source_dir"/* "$work"/
# The pictures are the README's too: one copy, in docs/images.
mkdir "$work/images"
cp "$source_dir"/../docs/images/*.png "$work/images/"
for f in "$work"/*.hhp "$work"/*.hhc; do
  iconv -f UTF-8 -t CP932 "$f" > "$f.sjis"
  mv "$f.sjis" "$f"
done
if ! log=$(cd "$work" && chmcmd --verbosity 0 perchlet.hhp 2>&1); then
  echo "$log" >&2
  exit 1
fi
python3 "$(dirname "$0")/chm_fixed_time.py" "$work/perchlet.chm"
mv "$work/perchlet.chm" "$output"
