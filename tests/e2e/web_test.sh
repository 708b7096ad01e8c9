#!/usr/bin/env bash
# The editor panel fetches a page's title, and the update check marks a folder of 20 links,
# all clicked with the real mouse and keys in the real program, against pages served on
# 127.0.0.1; the saved data file shows the marks.
#   web_test.sh PERCHLET_EXE WINDOW_PROBE_EXE ARTIFACTS_DIR
set -u
exe=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
probe_exe=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
artifacts=${3:-/tmp}
here=$(cd "$(dirname "$0")" && pwd)

. "$here/../wine_env.sh"
. "$here/e2e_lib.sh"
e2e_setup web

python3 "$here/../servers/web_pages.py" "$work/port" &
e2e_pids+=($!)
wait_for 100 test -s "$work/port" || fail "the page server did not start"
base="http://127.0.0.1:$(cat "$work/port")"

# root: Fetch me (link), Links (folder: 20 links to /page/1 .. /page/20)
{
  data_file_header
  record $((0x10010001)) 0 VoZivoVaro "" ""
  record $((0x00020002)) $((0x10010001)) "Fetch me" "$base/title" ""
  record $((0x10020003)) $((0x10010001)) Links "" ""
  for n in $(seq 1 20); do
    record $((0x00030003 + n)) $((0x10020003)) "page $n" "$base/page/$n" 1500000000
  done
} > "$work/ListFile.dat"
printf '[Option]\r\nFileOpen=1\r\n' > "$work/inifile.ini"

(cd "$work" && exec wine "$exe") >/dev/null 2>&1 &
e2e_pids+=($!)

title='ListFile.dat - Perchlet'
main_window() { xdotool search --name "$title" 2>/dev/null | head -n 1; }
has_main_window() { [ -n "$(main_window)" ]; }
wait_for 300 has_main_window || fail "the main window did not appear"
window=$(main_window)
sleep 1

# "x y left top text" of a control of a window, found by the window's title.
probe() {
  local found
  found=$(wine "$probe_exe" "$1" "$2" 2>/dev/null | tr -d '\r')
  [ -n "$found" ] && echo "$found"
}
click_control() {
  local x y
  read -r x y _ < <(probe "$1" "$2")
  [ -n "${x:-}" ] || fail "no control $2 in $1"
  xdotool mousemove "$x" "$y" click 1
  sleep 0.3
}
text_is() { [ "$(probe "$1" "$2" | cut -d' ' -f5-)" = "$3" ]; }
# Opens a menu with its Alt key, then types the keys that choose the item, until the check
# in $1 says the command ran (a busy machine may open the menu after the keys have come).
menu_command() {
  local check=$1 opener=$2
  shift 2
  for _ in 1 2 3; do
    xdotool key --window "$window" "$opener"
    sleep 1
    xdotool key --window "$window" "$@"
    wait_for 50 $check && return 0
    xdotool key --window "$window" Escape Escape
    sleep 0.5
  done
  return 1
}
panel_open() { probe "$title" 4; }
check_running() { probe "更新チェック" 801; }

# The Window menu's first item opens the editor panel.
menu_command panel_open alt+w Return || fail "the editor panel did not open"

# Type the page's address and fetch its title.
click_control "$title" 202
xdotool type --delay 20 "$base/title"
click_control "$title" 4
wait_for 100 text_is "$title" 201 "Fetched & shown" || fail "the fetched title did not reach the title field"
import -window root "$artifacts/web_title_fetched.png"

# Select the folder Links (root, Fetch me, Links) and run the update check from the Edit menu.
read -r _ _ tree_left tree_top _ < <(probe "$title" 90)
xdotool mousemove $((tree_left + 40)) $((tree_top + 9)) click 1
sleep 0.3
xdotool key Down Down
sleep 0.3
# The Edit menu opens on 元に戻す; やり直し and 表示中のURLを登録 come before the check.
menu_command check_running alt+e Down Down Down Return || fail "the update check did not start"
wait_for 300 text_is "更新チェック" 801 "閉じる" || fail "the update check did not finish"
text_is "更新チェック" 803 "更新チェックが終了しました。" || fail "the check did not say it had finished"
import -window root "$artifacts/web_update_check.png"
click_control "更新チェック" 801
wait_for 50 eval '! probe "更新チェック" 801' || fail "the update check dialog did not close"

# Save with the File menu's keys, and read the marks back from the file.
cp "$work/ListFile.dat" "$work/original.dat"
saved() { ! cmp -s "$work/ListFile.dat" "$work/original.dat"; }
menu_command saved alt+f s || fail "the data file was not saved"

marks=$(LC_ALL=C awk -F= '
  /^ItemNum=/ { kind = int(($2 + 0) / 268435456) % 16 }
  /^TitleName=page / { sub(/\r$/, "", $2); title = $2 }
  /^LastModified=/ { sub(/\r$/, "", $2); if (title != "") print title, kind, $2; title = "" }' "$work/ListFile.dat")
expected=""
for n in $(seq 1 20); do
  case $((n % 3)) in
    0) line="page $n 3 00" ;;
    1) line="page $n 2 1600000000" ;;
    2) line="page $n 0 944000000" ;;
  esac
  expected+="$line"$'\n'
done
if [ "$marks" != "${expected%$'\n'}" ]; then
  printf 'marks:\n%s\nexpected:\n%s' "$marks" "$expected" >&2
  fail "the saved links do not carry the marks of the check"
fi
echo "PASS: title fetched through the panel; 20 links checked and marked"
