#!/bin/sh
# Drives perchlet-tool on real files: listing, conversion round trip, errors and exit codes.
# Usage: tool_test.sh PATH_TO_PERCHLET_TOOL
set -u
tool=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# record NUMBER TITLE LOCATOR: one record with CR LF line ends.
record() {
    printf '[List]\r\nItemNum=%s\r\nTestNum=0\r\nParentNum=0\r\nTitleName=%b\r\nLocator=%s\r\n' "$1" "$2" "$3"
    printf 'Comment=first\nsecond\r\nLastModified=000000\r\nLastVisit=\r\nAddDate=1700000000\r\n'
    printf 'RcRight=0\r\nRcLeft=0\r\nRcTop=0\r\nRcBottom=0\r\nBrowser=0\r\nMark=0\r\n\r\n'
}

# The signature is the Shift-JIS bytes of the header's first seven characters.
{
    printf '\202\261\202\352\202\315\216\251\223\256\220\266\220\254\r\n[Version]\r\nDataVersion=1.01\r\n'
    record 268500993 'VoZivoVaro' ''
    record 268566530 'Tools' ''
    record 196611 '\223\372\226\173' 'http://example.com/'   # "日本" in Shift-JIS
    record 1342373892 'mail' 'mailto:a@example.com'
    record -1878917115 'odd' 'x'
} > "$work/in.dat"

tab=$(printf '\t')
cat > "$work/expected.txt" <<LISTING
VoZivoVaro${tab}folder${tab}10010001
  Tools${tab}folder${tab}10020002
    日本${tab}web${tab}00030003
    mail${tab}mail${tab}50030004
  odd${tab}kind9${tab}90020005
LISTING

"$tool" show "$work/in.dat" > "$work/shown.txt"
[ $? -eq 0 ] || fail "show exits non-zero"
cmp -s "$work/shown.txt" "$work/expected.txt" || { fail "show listing differs"; diff "$work/expected.txt" "$work/shown.txt" >&2; }

"$tool" convert "$work/in.dat" "$work/once.dat" || fail "convert exits non-zero"
"$tool" convert "$work/once.dat" "$work/twice.dat" --from datafile --to datafile || fail "second convert exits non-zero"
cmp -s "$work/once.dat" "$work/twice.dat" || fail "converting twice changes the bytes"
"$tool" show "$work/once.dat" | cmp -s - "$work/expected.txt" || fail "converted file lists differently"
[ "$(head -c 14 "$work/once.dat" | od -An -tx1)" = "$(head -c 14 "$work/in.dat" | od -An -tx1)" ] ||
    fail "converted file lacks the signature"

# expect_exit CODE MESSAGE_PART ARGS...: exit code and the one-line message on stderr.
expect_exit() {
    code=$1
    message=$2
    shift 2
    "$tool" "$@" > /dev/null 2> "$work/err.txt"
    got=$?
    [ "$got" -eq "$code" ] || fail "perchlet-tool $*: exit $got, expected $code"
    grep -qF -- "$message" "$work/err.txt" || fail "perchlet-tool $*: stderr lacks '$message': $(cat "$work/err.txt")"
}

printf 'just some text\r\n' > "$work/plain.txt"
expect_exit 1 "perchlet-tool: cannot read $work/missing.dat: " show "$work/missing.dat"
expect_exit 1 "perchlet-tool: $work/plain.txt is not a data file" show "$work/plain.txt"
expect_exit 1 "perchlet-tool: $work/plain.txt is not a data file" convert "$work/plain.txt" "$work/out.dat"
[ -e "$work/out.dat" ] && fail "a rejected input still wrote output"
expect_exit 1 "perchlet-tool: cannot write $work/no/such/dir.dat: " convert "$work/in.dat" "$work/no/such/dir.dat"
expect_exit 2 "usage:"
expect_exit 2 "unknown command" frobnicate "$work/in.dat"
expect_exit 2 "show takes one file" show
expect_exit 2 "convert takes two files" convert "$work/in.dat"
expect_exit 2 "cannot read format netscape" convert "$work/in.dat" "$work/out.dat" --from netscape
expect_exit 2 "--to needs a format" convert "$work/in.dat" "$work/out.dat" --to

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "tool checks passed"
