#!/usr/bin/env bash
# Builds the release package: dist/perchlet-<version>-win32.zip and its SHA-256 file.
# Two runs from the same commit give the same bytes: fixed file times (the commit's time),
# a fixed order, and no build paths or link times in the programs.
# The zip never holds inifile.ini or a top-level ListFile.dat, so unpacking a new version over
# an old folder keeps the user's settings and bookmarks.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
build="$root/build/win"
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "$(nproc)" --target perchlet perchlet-tool perchlet_help

version=$(sed -n 's/^#define PERCHLET_VERSION_TEXT "\(.*\)"$/\1/p' "$build/generated/perchlet_version.h")
[ -n "$version" ] || { echo "package: no version in $build/generated/perchlet_version.h" >&2; exit 1; }
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 1767225600)}

stage=$(mktemp -d /tmp/perchlet-package.XXXXXX)
trap 'rm -rf "$stage"' EXIT
cp "$build/perchlet.exe" "$build/perchlet-tool.exe" "$build/perchlet.chm" "$stage/"
# Text for Windows users: Shift-JIS (the readme) and CR LF.
sed 's/$/\r/' packaging/readme-ja.txt | iconv -f UTF-8 -t CP932 > "$stage/はじめにお読みください.txt"
sed 's/$/\r/' LICENSE > "$stage/LICENSE.txt"
sed 's/$/\r/' packaging/third-party-notices.txt > "$stage/THIRD-PARTY-NOTICES.txt"
mkdir "$stage/sample"
python3 scripts/example_data.py "$stage/sample/ListFile.dat"

mkdir -p dist
zip="dist/perchlet-$version-win32.zip"
python3 scripts/make_zip.py "$stage" "$zip" "$SOURCE_DATE_EPOCH"
(cd dist && sha256sum "$(basename "$zip")" > "$(basename "$zip").sha256")
echo "$zip"
cat "$zip.sha256"
