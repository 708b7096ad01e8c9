#!/usr/bin/env bash
# The release zip as a Windows user uses it: unpacked in a fresh Wine prefix into a folder
# whose name holds Japanese characters and a blank, started with nothing else there, then
# unpacked again over the same folder after the user saved settings and data.
#   package_test.sh ZIP PACKAGE_TESTS_EXE ARTIFACTS_DIR
set -u
zip=$(realpath "$1")
checker=$(realpath "$2")
artifacts=$3
here=$(cd "$(dirname "$0")" && pwd)
unset PERCHLET_WINE_READY  # a prefix of its own: nothing from other tests is there
. "$here/../wine_env.sh"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

folder="$WINEPREFIX/drive_c/ツール/Perchlet 2"
mkdir -p "$folder"
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$folder"
for name in perchlet.exe perchlet-tool.exe perchlet.chm LICENSE.txt THIRD-PARTY-NOTICES.txt "はじめにお読みください.txt" sample/ListFile.dat; do
  [ -f "$folder/$name" ] || fail "the package lacks $name"
done
for name in inifile.ini ListFile.dat; do
  [ ! -e "$folder/$name" ] || fail "the package holds $name, which would replace the user's"
done

version=$(sed -n 's/^#define PERCHLET_VERSION_TEXT "\(.*\)"$/\1/p' "$(dirname "$checker")/generated/perchlet_version.h")
printed=$(cd "$folder" && wine perchlet-tool.exe --version 2>/dev/null | tr -d '\r')
[ "$printed" = "perchlet-tool $version" ] || fail "perchlet-tool --version prints '$printed', not 'perchlet-tool $version'"

wine "$checker" '--perchlet=C:\ツール\Perchlet 2\perchlet.exe' "--artifacts=$artifacts" || fail "the package's window checks"

# The user's own files, then the same zip unpacked over them, as an update would be.
cp "$folder/sample/ListFile.dat" "$folder/ListFile.dat"
printf '[Option]\r\nFileOpen=1\r\n' > "$folder/inifile.ini"
before=$(cd "$folder" && sha256sum ListFile.dat inifile.ini)
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$folder"
after=$(cd "$folder" && sha256sum ListFile.dat inifile.ini)
[ "$before" = "$after" ] || fail "unpacking again changed the user's settings or data"

if [ "$failures" -ne 0 ]; then
  echo "$failures package check(s) failed" >&2
  exit 1
fi
echo "package checks passed"
