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
# Files already there are never overwritten unless --existing says so; replace or keep both.
expect_exit 1 "already in $work/favorites (first: $work/favorites/" convert "$work/fav.dat" "$work/favorites"
"$tool" convert "$work/fav.dat" "$work/favorites" --existing replace || fail "replacing favorites exits non-zero"
"$tool" convert "$work/in.dat" "$work/favorites/" --existing keep-both || fail "keeping both exits non-zero"
[ -f "$work/favorites/VoZivoVaro/Tools/日本 (2).url" ] || fail "keep-both does not number the new shortcut"

# Names alike in any case are one name on Windows: the second of each pair is numbered.
printf '<DL><p>\n<DT><A HREF="http://1/">ＡＢＣ</A>\n<DT><A HREF="http://2/">ａｂｃ</A>\n<DT><A HREF="http://3/">ΑΛΦΑ</A>\n<DT><A HREF="http://4/">αλφα</A>\n</DL>\n' |
    iconv -f UTF-8 -t CP932 > "$work/pairs.html"
"$tool" convert "$work/pairs.html" "$work/pairs/" --from netscape || fail "case pairs to favorites exit non-zero"
[ "$(ls "$work/pairs/Perchlet" | LC_ALL=C sort | tr '\n' ' ')" = "ΑΛΦΑ.url αλφα (2).url ＡＢＣ.url ａｂｃ (2).url " ] ||
    fail "case pairs overwrite each other: $(ls "$work/pairs/Perchlet")"
grep -q 'http://2/' "$work/pairs/Perchlet/ａｂｃ (2).url" || fail "the numbered shortcut lost its address"

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
printf 'URL,Title,Selection,Folder\r\nhttps://a.example/,A,,Unread\r\n2024 plans,B,,Unread\r\n' > "$work/other.csv"
expect_exit 1 "is in this program's CSV layout" show "$work/other.csv"
# Blocks with no readable record are no empty document: a conversion would lose the file.
{
    head -c 45 "$work/in.dat"
    printf '[List]\r\nTitleName=a\r\nLocator=http://a/\r\n\r\n[List]\r\nParentNum=0\r\nTitleName=b\r\n\r\n'
} > "$work/keyless.dat"
expect_exit 1 "$work/keyless.dat has [List] blocks but no readable record" show "$work/keyless.dat"
expect_exit 1 "no readable record" convert "$work/keyless.dat" "$work/keyless-out.html"
[ -e "$work/keyless-out.html" ] && fail "a file without a readable record still wrote output"
# An address wrapped over lines, or holding a record of its own, stays one Locator line.
printf '<DL><p>\n<DT><A HREF="http://evil.example/\r\n[List]\r\nItemNum=1">Title</A>\n<DT><A HREF="http://example.com/a-\nwrapped">W</A>\n</DL>\n' \
    > "$work/broken-href.html"
"$tool" convert "$work/broken-href.html" "$work/broken-href.dat" --from netscape || fail "converting broken addresses fails"
[ "$(grep -c '^\[List\]' "$work/broken-href.dat")" -eq 3 ] || fail "an address added records of its own"
grep -q "^Locator=http://evil.example/\[List\]ItemNum=1.\$" "$work/broken-href.dat" || fail "a broken address is not one line"
grep -q "^Locator=http://example.com/a-wrapped.\$" "$work/broken-href.dat" || fail "a wrapped address is not joined"

# ---- hostile and unusual files, paths and encodings ----

signature() { printf '\202\261\202\352\202\315\216\251\223\256\220\266\220\254\r\n[Version]\r\nDataVersion=1.01\r\n'; }

# Several top-level items go out one after another at the top level, in every format.
{
    signature
    record 268500993 'First' ''
    record 131074 'a' 'http://a/'
    record 268500995 'Second' ''
    record 131076 'b' 'http://b/'
} > "$work/two.dat"
for to in netscape csv tree-html favorites; do
    "$tool" convert "$work/two.dat" "$work/two-$to" --to $to || fail "two top-level items to $to exit non-zero"
done
"$tool" show "$work/two-netscape" --from netscape | cut -f1 > "$work/two.txt"
printf 'Perchlet\n  First\n    a\n  Second\n    b\n' | cmp -s - "$work/two.txt" || fail "netscape output lacks a top-level item"
[ "$("$tool" show "$work/two-csv" --from csv | wc -l)" -eq 5 ] || fail "csv output lacks a top-level item"
grep -q 'http://b/' "$work/two-tree-html" || fail "tree page lacks a top-level item"
[ -f "$work/two-favorites/Second/b.url" ] || fail "favorites lack a top-level item"

# UTF-8 that declares itself in lower case; a truncated character before markup; tags as
# other programs write them; & and characters outside Shift-JIS in addresses.
printf '<meta charset="utf-8">\n<dt><a href="http://a/?x=1&amp;y=2">t\343\201</a>\n<DT><A ID="i"\tHREF="http://cafe.example/Caf\303\251/\303\274">\344\272\214</A>\n' > "$work/hostile.htm"
"$tool" show "$work/hostile.htm" --from netscape | cut -f1 > "$work/hostile.txt"
printf 'Perchlet\n  t\n  \344\272\214\n' | cmp -s - "$work/hostile.txt" || { fail "hostile Netscape file lists differently"; cat "$work/hostile.txt" >&2; }
"$tool" convert "$work/hostile.htm" "$work/hostile.html" --from netscape || fail "hostile Netscape file does not convert"
grep -qF 'HREF="http://a/?x=1&amp;y=2"' "$work/hostile.html" || fail "& in an address is not written as &amp;"
grep -qF 'HREF="http://cafe.example/Caf%C3%A9/%C3%BC"' "$work/hostile.html" || fail "address loses characters outside Shift-JIS"

# An undeclared UTF-8 export converts on its own; characters Shift-JIS lacks become one
# mark a run, and stderr counts the items and names the first.
printf '<DL><p>\n<DT><H3>\346\226\260\351\227\273</H3>\n<DL><p>\n<DT><A HREF="http://a/">\360\237\230\200\360\237\230\201 smile</A>\n<DT><A HREF="mailto:me@example.jp">mail</A>\n</DL><p>\n</DL><p>\n' > "$work/emoji.html"
"$tool" show "$work/emoji.html" --from netscape 2> "$work/emoji.err" | cut -f1,2 > "$work/emoji.txt"
printf 'Perchlet\tfolder\n  \346\226\260\343\200\223\tfolder\n    \343\200\223 smile\tweb\n    mail\tmail\n' | cmp -s - "$work/emoji.txt" ||
    { fail "marked titles or the mail link list differently"; cat "$work/emoji.txt" >&2; }
grep -qF "2 item(s) held characters that Shift-JIS cannot hold" "$work/emoji.err" ||
    fail "stderr does not count the marked items: $(cat "$work/emoji.err")"

# CSV with LF line ends and a last row without one reads as the CR LF file does.
tr -d '\r' < "$work/flat.csv" | head -c -1 > "$work/flat-lf.csv"
[ "$("$tool" show "$work/flat-lf.csv" | wc -l)" -eq "$("$tool" show "$work/flat.csv" | wc -l)" ] ||
    fail "CSV with LF line ends reads differently"

# Paths never pass through Shift-JIS: a folder named Café or 😀 is the one written and read.
for name in 'Caf\303\251' '\360\237\230\200'; do
    folder="$work/paths/$(printf "$name")"
    "$tool" convert "$work/in.dat" "$folder/" || fail "favorites to $folder exit non-zero"
    [ -f "$folder/VoZivoVaro/Tools/日本.url" ] || fail "favorites to $folder miss it"
done
[ "$(ls "$work/paths")" = "$(printf 'Caf\303\251\n\360\237\230\200')" ] || fail "favorites written beside the chosen folder"
mkdir -p "$work/fav_in/$(printf '\360\237\230\200')"
printf '[InternetShortcut]\r\nURL=http://cafe/\r\n' > "$work/fav_in/$(printf 'Caf\303\251').url"
printf '[InternetShortcut]\r\nURL=http://inner/\r\n' > "$work/fav_in/$(printf '\360\237\230\200')/inner.url"
"$tool" convert "$work/fav_in" "$work/fav_in.html" || fail "favorites with such names do not convert"
[ "$(grep -c '<DT>' "$work/fav_in.html")" -eq 4 ] || fail "a folder named with an emoji is not read once"
grep -q "HREF=\"http://cafe/\".*>Caf$(printf '\201\254')</A>" "$work/fav_in.html" || fail "a shortcut named Café loses its address or its mark"
"$tool" show "$work/paths/$(printf 'Caf\303\251')" | grep -q "日本${tab}web" || fail "reading from a folder named Café"

# A link standing in the target folder is never followed: a link to a file is replaced by the
# shortcut, a link to a folder is refused and named. A FIFO among favorites is not read.
mkdir -p "$work/outside" "$work/linked/VoZivoVaro/Tools"
echo keep > "$work/outside/secret"
ln -s "$work/outside/secret" "$work/linked/VoZivoVaro/Tools/日本.url"
"$tool" convert "$work/in.dat" "$work/linked/" --existing replace || fail "favorites over a link to a file exit non-zero"
[ -L "$work/linked/VoZivoVaro/Tools/日本.url" ] && fail "a link to a file is not replaced"
rm -rf "$work/linked/VoZivoVaro/Tools"
ln -s "$work/outside" "$work/linked/VoZivoVaro/Tools"
expect_exit 1 "cannot write $work/linked/VoZivoVaro/Tools" convert "$work/in.dat" "$work/linked/" --existing replace
[ "$(ls "$work/outside")" = secret ] && [ "$(cat "$work/outside/secret")" = keep ] || fail "favorites written through a link"
mkdir -p "$work/fifo_in" && mkfifo "$work/fifo_in/pipe.url"
timeout 60 "$tool" show "$work/fifo_in" | grep -q "^  pipe${tab}web" || fail "a FIFO among favorites is read or hangs"

# Favorites deeper than the level limit: written as far as it goes, and the tool says so.
{
    signature
    depth=1
    while [ "$depth" -le 17 ]; do record $((268435456 + depth * 65536 + depth)) 'd' ''; depth=$((depth + 1)); done
    record $((18 * 65536 + 18)) 'deep' 'http://deep/'
} > "$work/deep.dat"
expect_exit 1 "1 item(s) in 1 folder(s) more than 16 levels deep left out" convert "$work/deep.dat" "$work/deepfav/"

# A file deeper than item numbers count comes back cut into top-level trees: every one is
# written, and the tool says the depth limit cut it.
{
    signature
    i=1
    while [ "$i" -le 4097 ]; do record $((268435456 + i % 4096 * 65536 + i)) 'f' ''; i=$((i + 1)); done
} > "$work/wrapped.dat"
"$tool" convert "$work/wrapped.dat" "$work/wrapped.html" --to tree-html 2> "$work/err.txt" || fail "a cut tree does not convert"
grep -qF "deeper than the 4095 levels a data file can count; it was cut there into 2 top-level trees" "$work/err.txt" ||
    fail "the depth cut is not told: $(cat "$work/err.txt")"
[ "$(grep -c '<A ' "$work/wrapped.html")" -eq 4097 ] || fail "the tree page lacks the cut-off tree"

# A write that fails half way (a file size limit stands in for a full disk) leaves the old
# file whole and no temporary file behind.
{
    signature
    record 268500993 'VoZivoVaro' ''
    i=0
    while [ "$i" -lt 300 ]; do record $((131072 + i + 2)) "link $i" "http://example.com/$i"; i=$((i + 1)); done
} > "$work/big.dat"
for out in kept.html kept.dat kept.csv; do
    "$tool" convert "$work/in.dat" "$work/$out" || fail "writing $out exits non-zero"
    cp "$work/$out" "$work/$out.before"
    (trap '' XFSZ; ulimit -f 8; "$tool" convert "$work/big.dat" "$work/$out" 2> "$work/err.txt")
    [ $? -eq 1 ] || fail "a failed write of $out does not exit 1"
    cmp -s "$work/$out" "$work/$out.before" || fail "a failed write truncates the old $out"
    [ -z "$(ls "$work" | grep "^$out\.tmp")" ] || fail "a failed write of $out leaves a temporary file"
done

# show of a very deep tree streams its listing; indentation stops at 64 levels.
awk 'BEGIN { print "<!DOCTYPE NETSCAPE-Bookmark-file-1>"; for (i = 0; i < 100000; i++) print "<DT><H3>f</H3><DL><p>" }' > "$work/deep.html"
(ulimit -v 600000; "$tool" show "$work/deep.html" > "$work/deep.txt") || fail "show of a deep tree fails within 600 MB"
[ "$(wc -l < "$work/deep.txt")" -eq 100001 ] || fail "show of a deep tree lists $(wc -l < "$work/deep.txt") lines"
[ "$(awk '{ match($0, /^ */); if (RLENGTH > m) m = RLENGTH } END { print m }' "$work/deep.txt")" -eq 128 ] ||
    fail "show of a deep tree does not cap its indentation"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "tool checks passed"
