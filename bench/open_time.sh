#!/usr/bin/env bash
# Times the real perchlet.exe opening three data files at start-up under Wine in a virtual
# display: 12 items; 1,000 folders of 100 links; 100,000 links under the root.
# Run: bash bench/open_time.sh [perchlet.exe] [runs]   (builds build/win first when needed)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
if [ ! -e build/win/CMakeCache.txt ]; then
  cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build build/win -j2 --target perchlet open_time_bench >/dev/null
exe=$(realpath "${1:-build/win/perchlet.exe}")
runs=${2:-3}
. tests/wine_env.sh
wine build/win/open_time_bench.exe "Z:${exe//\//\\}" "$runs"
