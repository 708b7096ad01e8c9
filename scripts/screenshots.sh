#!/usr/bin/env bash
# Takes the pictures the README and the help show: the real program under Wine with the
# example data, each view cropped to its windows, written to docs/images/ as PNG.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
build="$root/build/win"
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "$(nproc)" --target perchlet screenshot_tour

export PERCHLET_OWN_XVFB=1
. tests/wine_env.sh
. tests/e2e/e2e_lib.sh
export WINEDLLOVERRIDES=mshtml=
work=$(mktemp -d /tmp/perchlet-shots.XXXXXX)
server_pid=""
trayer_pid=""
finish() {
  stop_processes "$server_pid" "$trayer_pid"
  rm -rf "$work"
  _perchlet_wine_cleanup
}
trap finish EXIT

python3 tests/servers/web_pages.py "$work/port" &
server_pid=$!
wait_for 50 test -s "$work/port"
trayer --edge bottom --align right --widthtype pixel --width 120 --heighttype pixel --height 28 \
  --SetDockType false --transparent false >/dev/null 2>&1 &
trayer_pid=$!

mkdir "$work/run" "$work/shots"
python3 scripts/example_data.py "$work/run/ListFile.dat" --check-port "$(cat "$work/port")"
printf '[Option]\r\nFileOpen=1\r\n' > "$work/run/inifile.ini"
status=0
(cd "$work/run" && wine "$build/screenshot_tour.exe" "$build/perchlet.exe" "$(winepath -w "$work/shots")") || status=1

mkdir -p docs/images
for bmp in "$work"/shots/*.bmp; do
  /usr/bin/convert "$bmp" "docs/images/$(basename "${bmp%.bmp}").png"
done
ls -l docs/images
[ "$status" -eq 0 ] || echo "screenshots: some views could not be taken" >&2
exit "$status"
