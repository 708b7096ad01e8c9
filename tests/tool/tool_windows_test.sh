#!/usr/bin/env bash
# The Windows build of perchlet-tool under Wine: paths from the wide command line reach the
# file calls whole, files are replaced through a rename, and a link in a favorites target is
# never followed. Usage: tool_windows_test.sh PATH_TO_PERCHLET_TOOL_EXE
set -u
here=$(cd "$(dirname "$0")" && pwd)
tool=$1
. "$here/../wine_env.sh"
work=$(mktemp -d)
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
run() { (cd "$work" && wine "$tool" "$@"); }

cp "$here/../data/corpus/html/ie11_kafene_internet_explorer_11_nested.htm" "$work/in.htm"
odd=$(printf 'Caf\303\251\360\237\230\200')   # Café😀: neither character is in code page 932
mkdir -p "$work/$odd"
run convert in.htm "$odd/out.html" || fail "writing into $odd exits non-zero"
run convert in.htm "$odd/out.html" || fail "replacing a file in $odd exits non-zero"
[ -s "$work/$odd/out.html" ] || fail "nothing written into $odd"
run show "$odd/out.html" | grep -q "Comics.folder" || fail "reading from $odd"
run convert "$odd/out.html" "$odd/fav/" || fail "favorites into $odd exit non-zero"
[ -f "$work/$odd/fav/Perchlet/Perchlet/Comics/UserFriendly - Web Designer.url" ] || fail "favorites miss $odd"

mkdir -p "$work/outside" "$work/linked/Perchlet"
echo keep > "$work/outside/secret"
ln -s "$work/outside" "$work/linked/Perchlet/Comics"
run convert in.htm linked/ --from netscape --to favorites 2> "$work/err.txt"
[ $? -eq 1 ] || fail "favorites over a linked folder do not exit 1"
grep -q 'cannot write linked/Perchlet.Comics' "$work/err.txt" || fail "the linked folder is not named: $(cat "$work/err.txt")"
[ "$(ls "$work/outside")" = secret ] || fail "favorites written through a link: $(ls "$work/outside")"

rm -rf "$work"
if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "Windows tool checks passed"
