#!/bin/sh
# Drives perchlet-tool find and duplicates on the real files of the corpus, in every format
# the tool reads.
# Usage: find_test.sh PATH_TO_PERCHLET_TOOL
set -u
tool=$1
corpus=$(cd "$(dirname "$0")/../data/corpus" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
tab=$(printf '\t')

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# same EXPECTED_FILE ACTUAL_FILE MESSAGE
same() {
    cmp -s "$1" "$2" || { fail "$3"; diff "$1" "$2" >&2; }
}

firefox="$corpus/html/firefox-2024_radam9_bookmarks_firefox.html"

# Every word in title, address or folder path; tree order; the folder path first.
cat > "$work/expected.txt" <<HITS
Perchlet/Bookmarks Toolbar${tab}Getting Started${tab}https://www.mozilla.org/en-US/firefox/central/
Perchlet/Bookmarks Toolbar${tab}Mozilla Firefox${tab}
Perchlet/Bookmarks Toolbar/Mozilla Firefox${tab}Help and Tutorials${tab}https://support.mozilla.org/en-US/products/firefox
Perchlet/Bookmarks Toolbar/Mozilla Firefox${tab}Customize Firefox${tab}https://support.mozilla.org/en-US/kb/customize-firefox-controls-buttons-and-toolbars?utm_source=firefox-browser&utm_medium=default-bookmarks&utm_campaign=customize
Perchlet/Bookmarks Toolbar/Mozilla Firefox${tab}Get Involved${tab}https://www.mozilla.org/en-US/contribute/
Perchlet/Bookmarks Toolbar/Mozilla Firefox${tab}About Us${tab}https://www.mozilla.org/en-US/about/
HITS
"$tool" find "$firefox" mozilla firefox > "$work/hits.txt" || fail "find with hits exits non-zero"
same "$work/expected.txt" "$work/hits.txt" "find mozilla firefox lists differently"
# Full-width letters and the ideographic space are the same words.
"$tool" find "$firefox" "ＭＯＺＩＬＬＡ　ｆｉｒｅｆｏｘ" > "$work/wide.txt"
same "$work/expected.txt" "$work/wide.txt" "full-width query finds differently"

# Japanese titles: kana and width do not count.
printf '<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<META CONTENT="text/html; charset=UTF-8">\n<DL><p>\n<DT><H3 ADD_DATE="1">ツール</H3>\n<DL><p>\n<DT><A HREF="http://example.com/">Example</A>\n<DT><A HREF="http://a.test/">ブックマーク</A>\n</DL><p>\n<DT><A HREF="http://b.test/">ﾌﾞｯｸﾏｰｸ</A>\n<DT><A HREF="http://c.test/">Example</A>\n</DL><p>\n' > "$work/jp.html"
"$tool" find "$work/jp.html" ぶっくまーく | cut -f1,2 > "$work/jp.txt"
printf 'Perchlet/ツール\tブックマーク\nPerchlet\tﾌﾞｯｸﾏｰｸ\n' > "$work/expected.txt"
same "$work/expected.txt" "$work/jp.txt" "find ぶっくまーく"
[ "$("$tool" find "$work/jp.html" ツール Example | cut -f1,3)" = "Perchlet/ツール${tab}http://example.com/" ] ||
    fail "find ツール Example"

# The same items from every format the tool reads (favorites list their folder by name).
"$tool" find "$firefox" support.mozilla.org | cut -f2,3 | sort > "$work/from-html.txt"
"$tool" convert "$firefox" "$work/f.dat" && "$tool" convert "$firefox" "$work/f.csv" &&
    "$tool" convert "$firefox" "$work/favorites/" || fail "corpus conversions fail"
for input in "$work/f.dat" "$work/f.csv" "$work/favorites"; do
    "$tool" find "$input" support.mozilla.org | cut -f2,3 | sort > "$work/from-other.txt"
    same "$work/from-html.txt" "$work/from-other.txt" "find in $(basename "$input") differs from the Netscape file"
done
[ "$(wc -l < "$work/from-html.txt")" -eq 2 ] || fail "find support.mozilla.org: not the two help pages"

# Nothing found: exit 1 and no output, as grep does. Unreadable input and usage.
"$tool" find "$firefox" mozilla nowhere-at-all > "$work/none.txt"
[ $? -eq 1 ] || fail "find without hits does not exit 1"
[ -s "$work/none.txt" ] && fail "find without hits prints something"
"$tool" find "$work/missing.html" word 2> "$work/err.txt"
[ $? -eq 1 ] && grep -q "cannot read" "$work/err.txt" || fail "find on a missing file"
"$tool" find "$firefox" 2> /dev/null
[ $? -eq 2 ] || fail "find without words does not exit 2"
"$tool" find "$firefox" "　" 2> /dev/null
[ $? -eq 2 ] || fail "find with a blank word does not exit 2"

# duplicates: the mozilla suite file keeps two pages twice each, in different folders.
cat > "$work/expected.txt" <<GROUPS
http://www.panix.com/~comdog
  Perchlet/Personal Toolbar Folder${tab}panix${tab}http://www.panix.com/~comdog/
  Perchlet/People${tab}panix${tab}http://www.panix.com/~comdog/

http://www.xray.mpe.mpg.de/cgi-bin/w3glimpse/modules
  Perchlet/Personal Toolbar Folder/Perl${tab}Xray module search${tab}http://www.xray.mpe.mpg.de/cgi-bin/w3glimpse/modules
  Perchlet/Languages${tab}Xray module search${tab}http://www.xray.mpe.mpg.de/cgi-bin/w3glimpse/modules
GROUPS
mozilla="$corpus/html/mozilla-suite_cpan_mozilla.html"
"$tool" duplicates "$mozilla" > "$work/groups.txt" || fail "duplicates exits non-zero"
same "$work/expected.txt" "$work/groups.txt" "duplicates of the mozilla suite file"
"$tool" convert "$mozilla" "$work/m.dat" && "$tool" duplicates "$work/m.dat" > "$work/groups-dat.txt"
same "$work/groups.txt" "$work/groups-dat.txt" "duplicates of the data file differ from the Netscape file"

# The large flat file: its addresses differ only by a trailing slash and by http or https,
# so counting by hand must agree with the tool, apart and joined.
flat="$corpus/html/large-flat10000_virtualtam_flat10000.htm"
# expected_counts SED_SCRIPT: "groups items" of the addresses that occur more than once.
expected_counts() {
    grep -o 'HREF="[^"]*"' "$flat" | sed 's/^HREF="//; s/"$//; s|/$||' | sed "$1" | sort | uniq -c |
        awk '$1 > 1 { groups++; items += $1 } END { print groups + 0, items + 0 }'
}
# tool_counts ARGS...: the same from the tool's listing.
tool_counts() {
    "$tool" duplicates "$flat" "$@" | awk '/^  / { items++ } /^[^ ]/ { groups++ } END { print groups + 0, items + 0 }'
}
apart=$(expected_counts 's/^x//')
joined=$(expected_counts 's|^https://|http://|')
[ "$(tool_counts)" = "$apart" ] || fail "duplicates of the large file: $(tool_counts), expected $apart"
[ "$(tool_counts --join-http-https)" = "$joined" ] ||
    fail "joined duplicates of the large file: $(tool_counts --join-http-https), expected $joined"
[ "$apart" != "$joined" ] || fail "the large file has no http and https pair to join"
"$tool" duplicates "$flat" --frob 2> /dev/null
[ $? -eq 2 ] || fail "duplicates with an unknown option does not exit 2"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "find and duplicates checks passed"
