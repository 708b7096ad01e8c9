#!/usr/bin/env bash
# Double-clicks links in the real program with auto-hide on: the first starts the test
# browser with the address and hides the window; the mouse at the screen's left edge brings
# it back; the second double click sends the address by DDE to the browser window that the
# first one opened. Keeps a screenshot of the wait dialog.
#   open_link_test.sh PERCHLET_EXE BROWSERS_DIR ARTIFACTS_DIR
set -u
exe=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
browsers=$(cd "$2" && pwd)
artifacts=${3:-/tmp}
here=$(cd "$(dirname "$0")" && pwd)

. "$here/../wine_env.sh"
. "$here/e2e_lib.sh"
e2e_setup open_link
# The test browsers this test's program started, found by this test's own folder.
e2e_before_cleanup() {
  for pid in $(pgrep -f "$(basename "$work")" 2>/dev/null); do kill "$pid" 2>/dev/null; done
}
e2e_before_failure() { [ -f "$work/browser.log" ] && cat "$work/browser.log" >&2; }

winpath() { printf 'Z:%s' "$1" | tr '/' '\\'; }

# root: First (http://a.example/), Second (http://b.example/)
{
  data_file_header
  record $((0x10010001)) 0 VoZivoVaro ""
  record $((0x00020002)) $((0x10010001)) First "http://a.example/"
  record $((0x00020003)) $((0x10010001)) Second "http://b.example/"
} > "$work/ListFile.dat"
cp "$browsers/firefox.exe" "$work/firefox.exe"
browser=$(winpath "$work/firefox.exe")
# Slot 2 (DefBrows=1): slot 1 comes from the registry, Wine's winebrowser.
crlf "[Option]" "FileOpen=1" "DefBrows=1" "BrowsPass2=$browser" "[Window]" "AutoHyde=1" "TopMost=1" \
     "MainXPos=0" "MainYPos=0" "MainWidth=264" "MainHight=600" > "$work/inifile.ini"
crlf "[Browser]" "Log=$(winpath "$work/browser.log")" "WindowDelayMs=1500" > "$work/testbrowser.ini"

(cd "$work" && exec wine "$exe") >/dev/null 2>&1 &
e2e_pids+=($!)

main_window() { xdotool search --name 'ListFile.dat - Perchlet' 2>/dev/null | head -n 1; }
has_main_window() { [ -n "$(main_window)" ]; }
main_visible() { [ -n "$(xdotool search --onlyvisible --name 'ListFile.dat - Perchlet' 2>/dev/null)" ]; }
wait_for 600 has_main_window || fail "the main window did not appear"
window=$(main_window)
sleep 1
eval "$(xdotool getwindowgeometry --shell "$window")"

# The loading reader selects the root: its highlighted row and height give the rows.
column_x=$((X + 70))
find_tree_rows "$column_x" "$Y" || fail "no selected root row found in the tree view"

double_click_row() {
  xdotool mousemove "$column_x" "$(row_y "$1")"
  sleep 0.3
  xdotool click --repeat 2 --delay 80 1
}

# The caption names the browser's service once the launch has begun.
wait_dialog() { xdotool search --onlyvisible --name 'ブラウザの起動（Firefox）' 2>/dev/null | head -n 1; }
has_wait_dialog() { [ -n "$(wait_dialog)" ]; }
logged() { grep -qF -- "$1" "$work/browser.log" 2>/dev/null; }

double_click_row 1
wait_for 100 has_wait_dialog || fail "the wait dialog did not show"
sleep 0.9  # the bar has stepped twice
import -window root "$artifacts/open_link_wait_dialog.png"
wait_for 300 logged "start $browser http://a.example/" || fail "the browser was not started with the address"
wait_for 300 logged "window http://a.example/" || fail "the browser window did not open"
wait_for 100 eval '! main_visible' || fail "the main window did not hide after opening the link"
wait_for 100 eval '! has_wait_dialog' || fail "the wait dialog did not close"
import -window root "$artifacts/open_link_hidden.png"

# Three edge-timer ticks with the cursor at the left edge bring the window back.
xdotool mousemove 0 300
wait_for 100 main_visible || fail "the screen edge did not bring the main window back"
sleep 0.5

# The context menu's second browser, new tab: the shortcut is typed into the running browser,
# then the address follows by DDE.
xdotool mousemove "$column_x" "$(row_y 2)"
sleep 0.3
xdotool click 3
sleep 0.8
# A key whose release went to a window that had gone (an earlier test's dialog) still counts
# as held; release the keys used here first.
xdotool keyup Return Down Right Control_L Alt_L Shift_L 2>/dev/null
# The pointer leaves the menu, so that only the keys choose in it.
xdotool mousemove $((X + 150)) $((Y + 580))
sleep 0.3
import -window root "$artifacts/open_link_context_menu.png"
# 開く, デフォルトブラウザ, セカンドブラウザ; into it: new window, placed window, new tab.
# Each step waits for the menu to follow, or a key can overtake the submenu's opening.
for key in Down Down Down Right Down Down Return; do
  xdotool key "$key"
  sleep 0.3
done
wait_for 300 logged "key ctrl+T" || fail "the new-tab shortcut did not reach the browser"
wait_for 300 logged 'dde WWW_OpenURL "http://b.example/"' || fail "the tab's address did not arrive by DDE"
wait_for 100 eval '! has_wait_dialog' || fail "the wait dialog did not close after the tab"
dde_before=$(grep -c ' dde ' "$work/browser.log")

double_click_row 2
item='dde WWW_OpenURL "http://b.example/",,0xFFFFFFFF,0x0,,,'
wait_for 300 eval '[ "$(grep -c " dde " "$work/browser.log")" -gt "$dde_before" ]' ||
  fail "the second double click sent nothing by DDE"
[ "$(tail -n 1 "$work/browser.log" | tr -d '\r' | cut -d' ' -f2-)" = "$item" ] || fail "the last DDE request was not the second address"
starts=$(grep -c ' start ' "$work/browser.log")
[ "$starts" -eq 1 ] || fail "the browser was started $starts times"
wait_for 100 eval '! main_visible' || fail "the main window did not hide after the second link"
cat "$work/browser.log"
echo "PASS: the first link started the browser and hid the window; a new tab from the context menu and the second link went by DDE"
