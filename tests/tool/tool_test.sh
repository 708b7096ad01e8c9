#!/bin/sh
# Drives perchlet-tool on real files: listing, conversions between every format and back,
# the real-file corpus, errors and exit codes.
# Usage: tool_test.sh PATH_TO_PERCHLET_TOOL
set -u
tool=$1
corpus=$(cd "$(dirname "$0")/../data/corpus" && pwd)
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


# titles TREE_LISTING: the titles with their indentation, without kinds and numbers.
titles() { cut -f1 "$1"; }
# below_new_root LISTING: what a reader put under the new root, one level less indented.
below_new_root() { tail -n +2 "$1" | cut -f1 | sed 's/^  //'; }
hrefs() { grep -o 'HREF="[^"]*"' "$1"; }

# Data file -> Netscape -> data file: the same titles, addresses and nesting, one level
# deeper under the reader's new root.
"$tool" convert "$work/in.dat" "$work/net.html" || fail "datafile to netscape exits non-zero"
head -c 35 "$work/net.html" | grep -q '^<!DOCTYPE NETSCAPE-Bookmark-file-1>' || fail "netscape output lacks the doctype"
"$tool" convert "$work/net.html" "$work/net.dat" || fail "netscape to datafile exits non-zero"
"$tool" show "$work/net.dat" > "$work/net.txt"
titles "$work/shown.txt" > "$work/titles.txt"
below_new_root "$work/net.txt" | cmp -s - "$work/titles.txt" ||
    { fail "netscape round trip changes the tree"; below_new_root "$work/net.txt" | diff "$work/titles.txt" - >&2; }
"$tool" convert "$work/net.dat" "$work/net2.html" || fail "second netscape export exits non-zero"
hrefs "$work/net2.html" | cmp -s - "$(hrefs "$work/net.html" > "$work/hrefs.txt"; echo "$work/hrefs.txt")" ||
    fail "netscape round trip changes the addresses"
# Item numbers are given afresh by each reader; titles and kinds stay.
"$tool" show "$work/net.html" | cut -f1,2 | cmp -s - "$(cut -f1,2 "$work/net.txt" > "$work/kinds.txt"; echo "$work/kinds.txt")" ||
    fail "show of a netscape file differs from its conversion"

# Data file -> favorites folder -> data file: the same folders and links. A folder lists
# its entries by name, so the paths are compared as sets.
# paths LISTING: one line per item, its titles from the top joined by "/", and its kind
# reduced to folder or link.
paths() {
    awk -F'\t' '{
        match($1, /^ */); level = RLENGTH / 2; name[level] = substr($1, level * 2 + 1)
        path = name[0]; for (i = 1; i <= level; i++) path = path "/" name[i]
        print path "\t" ($2 == "folder" ? "folder" : "link")
    }' "$1" | sort
}
"$tool" convert "$work/in.dat" "$work/favorites/" || fail "datafile to favorites exits non-zero"
[ -f "$work/favorites/VoZivoVaro/Tools/日本.url" ] || fail "favorites lack VoZivoVaro/Tools/日本.url"
printf '[InternetShortcut]\r\nURL=http://example.com/\r\n' | cmp -s - "$work/favorites/VoZivoVaro/Tools/日本.url" ||
    fail "shortcut file content differs"
"$tool" convert "$work/favorites" "$work/fav.dat" || fail "favorites to datafile exits non-zero"
"$tool" show "$work/fav.dat" | tail -n +2 | sed 's/^  //' > "$work/fav.txt"
paths "$work/fav.txt" | cmp -s - "$(paths "$work/shown.txt" > "$work/paths.txt"; echo "$work/paths.txt")" ||
    { fail "favorites round trip changes the tree"; paths "$work/fav.txt" | diff "$work/paths.txt" - >&2; }
"$tool" convert "$work/fav.dat" "$work/favorites" || fail "writing into an existing favorites folder exits non-zero"

# Data file -> CSV -> data file: every item comes back as a link row with the same fields
# (the reader's new root adds the first row, and the row numbers move by one).
# rows CSV SKIP: the data rows after SKIP of them, without their row numbers.
rows() { awk -v skip="$2" 'BEGIN { RS = "\r\n" } NR > 2 + skip && $0 != "" { sub(/^[0-9]+,/, ""); print }' "$1"; }
"$tool" convert "$work/in.dat" "$work/flat.csv" || fail "datafile to csv exits non-zero"
"$tool" convert "$work/flat.csv" "$work/flat.dat" || fail "csv to datafile exits non-zero"
"$tool" convert "$work/flat.dat" "$work/flat2.csv" || fail "second csv export exits non-zero"
[ "$(rows "$work/flat.csv" 0 | wc -l)" -ge 5 ] || fail "csv export lacks rows"
rows "$work/flat2.csv" 1 | cmp -s - "$(rows "$work/flat.csv" 0 > "$work/rows.txt"; echo "$work/rows.txt")" ||
    { fail "csv round trip changes the rows"; rows "$work/flat2.csv" 1 | diff "$work/rows.txt" - >&2; }
[ "$("$tool" show "$work/flat.dat" | grep -c '^  [^ ]')" -eq 5 ] || fail "csv rows are not read as a flat list"

"$tool" convert "$work/in.dat" "$work/page.out" --to tree-html || fail "datafile to tree-html exits non-zero"
head -c 8 "$work/page.out" | grep -q '^<HTML>' || fail "tree page lacks its head"

# UTF-8 that says so is converted to the program's Shift-JIS.
printf '<!doctype netscape-bookmark-file-1>\n<META CONTENT="text/html; charset=UTF-8">\n<DL><p>\n<DT><A HREF="http://example.jp/">日本語</A>\n</DL><p>\n' > "$work/utf8.htm"
"$tool" show "$work/utf8.htm" | grep -q "^  日本語${tab}web" || fail "UTF-8 Netscape file is not converted"

# Every real bookmark file of the corpus converts, and reads back with as many items.
for file in "$corpus"/html/*; do
    name=$(basename "$file")
    "$tool" convert "$file" "$work/corpus.dat" 2> "$work/err.txt" || { fail "corpus $name: $(cat "$work/err.txt")"; continue; }
    [ "$("$tool" show "$file" | wc -l)" -eq "$("$tool" show "$work/corpus.dat" | wc -l)" ] ||
        fail "corpus $name: the converted file lists differently"
    [ "$("$tool" show "$file" | wc -l)" -gt 1 ] || fail "corpus $name: nothing read"
done

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
expect_exit 1 "perchlet-tool: $work/plain.txt is not a data file" show "$work/plain.txt" --from datafile
expect_exit 1 "perchlet-tool: cannot tell the format of $work/plain.txt (give --from)" convert "$work/plain.txt" "$work/out.dat"
[ -e "$work/out.dat" ] && fail "a rejected input still wrote output"
expect_exit 1 "perchlet-tool: cannot write $work/no/such/dir.dat: " convert "$work/in.dat" "$work/no/such/dir.dat"
expect_exit 2 "usage:"
expect_exit 2 "unknown command" frobnicate "$work/in.dat"
expect_exit 2 "show takes one file" show
expect_exit 2 "convert takes two files" convert "$work/in.dat"
expect_exit 2 "cannot read format tree-html" convert "$work/in.dat" "$work/out.dat" --from tree-html
expect_exit 2 "cannot write format opml" convert "$work/in.dat" "$work/out.dat" --to opml
expect_exit 2 "cannot tell which format to write $work/out.txt in from its name (give --to)" convert "$work/in.dat" "$work/out.txt"
expect_exit 1 "cannot list the folder $work/in.dat" show "$work/in.dat" --from favorites
expect_exit 2 "--to needs a format" convert "$work/in.dat" "$work/out.dat" --to
# Another program's CSV (Pocket's "title,url,time_added,tags,status") is refused, not read as nothing.
expect_exit 1 "no row of $corpus/csv/pocket_wallabag_pocket.csv is in this program's CSV layout" \
    show "$corpus/csv/pocket_wallabag_pocket.csv"
expect_exit 1 "is in this program's CSV layout" convert "$corpus/csv/pocket_wallabag_pocket.csv" "$work/pocket.dat"
[ -e "$work/pocket.dat" ] && fail "a CSV in another layout still wrote output"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "tool checks passed"
