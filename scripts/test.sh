#!/usr/bin/env bash
# Builds everything and runs every test: the core's unit tests natively, then the window
# tests and the end-to-end tests under Wine in a virtual display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
jobs=$(nproc)

cmake -S . -B build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/native -j "$jobs"
cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/win -j "$jobs"

status=0
(cd build/native && ctest --output-on-failure) || status=1

# One display and one fresh Wine prefix for all Windows-side tests.
. tests/wine_env.sh
(cd build/win && ctest --output-on-failure) || status=1

# The release zip, unpacked and started as a Windows user would.
zip=$(bash scripts/package.sh | grep '\.zip$' | head -n 1)
bash tests/package/package_test.sh "$zip" build/win/package_tests.exe build/win/artifacts || status=1

# Screenshots of the running program, kept as artifacts.
for bmp in build/win/artifacts/*.bmp; do
  # /usr/bin: some machines put a stand-in convert earlier on the PATH.
  if [ -e "$bmp" ] && /usr/bin/convert "$bmp" "${bmp%.bmp}.png"; then rm -f "$bmp"; fi
done

if [ "$status" -ne 0 ]; then
  echo "Some tests failed."
fi
exit "$status"
