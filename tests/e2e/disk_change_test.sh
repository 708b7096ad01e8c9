#!/usr/bin/env bash
# The data file changed behind the real program's back by perchlet-tool convert: when the
# window is activated again (another program's window had the focus, then a click on ours),
# the question comes, and each answer does what it says to the files on disk.
#   disk_change_test.sh PERCHLET_EXE PERCHLET_TOOL WINDOW_PROBE_EXE ARTIFACTS_DIR
# PERCHLET_TOOL is the native tool or the Windows one (run through wine).
set -u
exe=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
tool=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
probe_exe=$(cd "$(dirname "$3")" && pwd)/$(basename "$3")
artifacts=${4:-/tmp}
here=$(cd "$(dirname "$0")" && pwd)

. "$here/../wine_env.sh"
. "$here/e2e_lib.sh"
e2e_setup disk_change

# root: Alpha (folder), Beta (link)
{
  data_file_header
  record $((0x10010001)) 0 VoZivoVaro ""
  record $((0x10020002)) $((0x10010001)) Alpha ""
  record $((0x00020003)) $((0x10010001)) Beta "http://beta.example.com/"
} > "$work/ListFile.dat"
printf '[Option]\r\nFileOpen=1\r\n' > "$work/inifile.ini"

# Another program's version: a Netscape file with two links, converted into the data file.
change_behind_its_back() {
  printf '<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n<DT><A HREF="http://a.example.com/">%s-a</A>\n<DT><A HREF="http://b.example.com/">%s-b</A>\n</DL><p>\n' \
    "$1" "$1" > "$work/$1.html"
  local run=()
  case $tool in *.exe) run=(wine) ;; esac
  (cd "$work" && "${run[@]}" "$tool" convert "$1.html" ListFile.dat >/dev/null 2>&1) || fail "perchlet-tool could not convert"
}

titles_in() { LC_ALL=C sed -n 's/^TitleName=\(.*\)\r$/\1/p' "$1" | tr '\n' ' '; }

(cd "$work" && exec wine "$exe") >/dev/null 2>&1 &
e2e_pids+=($!)
main_window() { xdotool search --name 'ListFile.dat - Perchlet' 2>/dev/null | head -n 1; }
has_main_window() { [ -n "$(main_window)" ]; }
wait_for 300 has_main_window || fail "the main window did not appear"
window=$(main_window)
sleep 1

# Another program's window takes the focus; a click on the tree gives it back to ours.
xmessage -geometry 300x80+700+300 -name other-program "another program" >/dev/null 2>&1 &
e2e_pids+=($!)
other_window() { xdotool search --name '^other-program$' 2>/dev/null | head -n 1; }
wait_for 100 eval '[ -n "$(other_window)" ]' || fail "the other program's window did not appear"
activate_ours() {
  xdotool windowfocus "$(other_window)" 2>/dev/null
  sleep 0.5
  eval "$(xdotool getwindowgeometry --shell "$window")"
  xdotool mousemove $((X + 100)) $((Y + 300)) click 1
}

question() { xdotool search --name "^$1\$" 2>/dev/null | head -n 1; }
# Whether the open question captioned $1 has the button $2 (IDYES 6, IDNO 7, IDCANCEL 2).
has_button() { wine "$probe_exe" "$1" "$2" >/dev/null 2>&1; }
# Answers the question captioned $1, which offers the buttons $2 ("yes-no", "yes-no-cancel"
# or "ok"), with the keys in the remaining arguments.
answer() {
  local caption=$1 buttons=$2
  shift 2
  wait_for 100 eval '[ -n "$(question "$caption")" ]' || fail "no question \"$caption\""
  import -window root "$artifacts/disk_change_$n.png"
  case $buttons in
    yes-no) has_button "$caption" 7 && ! has_button "$caption" 2 || fail "question $n: not yes and no" ;;
    yes-no-cancel) has_button "$caption" 7 && has_button "$caption" 2 || fail "question $n: not yes, no and cancel" ;;
  esac
  xdotool key --window "$(question "$caption")" "$@" 2>/dev/null
  wait_for 100 eval '[ -z "$(question "$caption")" ]' || fail "the question \"$caption\" did not close"
  xdotool keyup Return Escape Tab 2>/dev/null
}
save_with_menu() {
  xdotool key --window "$window" alt+f
  sleep 0.5
  xdotool key --window "$window" s
  sleep 1
}
changed='データファイルが変更されました'

# 1. Nothing unsaved here: "load" (Yes) brings their version in; Save then needs no question.
n=1
change_behind_its_back Theirs1
activate_ours
answer "$changed" yes-no Return
save_with_menu
[ -z "$(question "$changed")" ] || fail "Save asked again after loading their version"
[ "$(titles_in "$work/ListFile.dat")" = "Perchlet Theirs1-a Theirs1-b " ] ||
  fail "their version was not loaded: $(titles_in "$work/ListFile.dat")"

# 2. An unsaved change here (Ctrl+Delete on the first item, which the loading selects and opens),
#    their change on disk: Yes keeps ours and overwrites theirs.
n=2
xdotool key --window "$window" Down
sleep 0.3
xdotool key --window "$window" ctrl+Delete
sleep 0.5
change_behind_its_back Theirs2
activate_ours
answer "$changed" yes-no-cancel Return
[ "$(titles_in "$work/ListFile.dat")" = "Perchlet Theirs1-b " ] ||
  fail "ours did not overwrite theirs: $(titles_in "$work/ListFile.dat")"

# 3. An unsaved change here, theirs on disk: No loads theirs and drops ours.
n=3
xdotool key --window "$window" Down
sleep 0.3
xdotool key --window "$window" ctrl+Delete
sleep 0.5
change_behind_its_back Theirs3
activate_ours
answer "$changed" yes-no-cancel Tab Return
save_with_menu
[ -z "$(question "$changed")" ] || fail "Save asked again after loading their version"
[ "$(titles_in "$work/ListFile.dat")" = "Perchlet Theirs3-a Theirs3-b " ] ||
  fail "their version was not loaded: $(titles_in "$work/ListFile.dat")"

# 4. The file removed: said once; Save writes it again where it was.
n=4
rm -f "$work/ListFile.dat"
activate_ours
answer 'データファイルがありません' ok Return
save_with_menu
[ -f "$work/ListFile.dat" ] || fail "Save did not write the data file again"
[ "$(titles_in "$work/ListFile.dat")" = "Perchlet Theirs3-a Theirs3-b " ] ||
  fail "the data file came back wrong: $(titles_in "$work/ListFile.dat")"
echo "PASS: each answer to a data file changed on disk did what it said"
