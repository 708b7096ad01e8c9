#!/usr/bin/env bash
# The window tests of every scale, under Wine set to one screen scale (LogPixels, 96 being
# 100 %) before the test program starts, in a fresh prefix. Screenshots of the panels land
# in the artifacts folder as scaled_<view>_<dpi>.png.
#   scale_test.sh WIN_TESTS_EXE LOG_PIXELS ARTIFACTS_DIR
set -u
# A prefix of its own even inside a whole test run, since Wine reads the scale at start.
unset PERCHLET_WINE_READY
tests=$1
export PERCHLET_LOG_PIXELS=$2
artifacts=$3
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$artifacts"
shots=$(mktemp -d /tmp/perchlet-scale.XXXXXX)
PERCHLET_SCALE_ARTIFACTS="Z:$shots" bash "$here/../wine_run.sh" "$tests" --gtest_filter='Scale.*:Manifest.*'
status=$?
for shot in "$shots"/*.bmp; do
  [ -e "$shot" ] || continue
  name=$(basename "$shot" .bmp)
  convert "$shot" "$artifacts/scaled_$name.png" 2>/dev/null || cp "$shot" "$artifacts/scaled_$name.bmp"
done
rm -rf "$shots"
exit $status
