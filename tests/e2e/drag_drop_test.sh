#!/usr/bin/env bash
# Drags one folder onto another with the real mouse in the real program, confirms the move,
# saves with the File menu and checks the structure of the saved data file.
#   drag_drop_test.sh PERCHLET_EXE ARTIFACTS_DIR
set -u
exe=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
artifacts=${2:-/tmp}
here=$(cd "$(dirname "$0")" && pwd)

. "$here/../wine_env.sh"
. "$here/e2e_lib.sh"
e2e_setup drag_drop
e2e_before_cleanup() { xdotool mouseup 1 >/dev/null 2>&1; }  # never leave the button held on a shared display

# root: Alpha (folder: alpha-link), Beta (folder), Gamma (link)
{
  data_file_header
  record $((0x10010001)) 0 VoZivoVaro ""
  record $((0x10020002)) $((0x10010001)) Alpha ""
  record $((0x00030003)) $((0x10020002)) alpha-link "http://alpha.example.com/"
  record $((0x10020004)) $((0x10010001)) Beta ""
  record $((0x00020005)) $((0x10010001)) Gamma "http://gamma.example.com/"
} > "$work/ListFile.dat"
printf '[Option]\r\nFileOpen=1\r\n' > "$work/inifile.ini"
cp "$work/ListFile.dat" "$work/original.dat"

(cd "$work" && exec wine "$exe") >/dev/null 2>&1 &
e2e_pids+=($!)

main_window() { xdotool search --name 'ListFile.dat - Perchlet' 2>/dev/null | head -n 1; }
has_main_window() { [ -n "$(main_window)" ]; }
wait_for 300 has_main_window || fail "the main window did not appear"
window=$(main_window)
sleep 1
eval "$(xdotool getwindowgeometry --shell "$window")"  # X, Y of the window's outer corner
import -window root "$artifacts/drag_drop_before.png"

# The loading reader selects and expands the root: find its highlighted row in a column
# through the item texts, and take the row pitch from the highlight's height.
column_x=$((X + 60))
find_tree_rows "$column_x" "$Y" || fail "no selected root row found in the tree view"
echo "window at $X,$Y; root row at $rows_top; row pitch $row_pitch"

# Rows: 0 root, 1 Alpha, 2 Beta, 3 Gamma. Drag Alpha onto Beta in small steps, as a hand would.
alpha_y=$(row_y 1)
beta_y=$(row_y 2)
xdotool mousemove "$column_x" "$alpha_y"
sleep 0.3
xdotool mousedown 1
for step in 2 4 6 8 10; do
  xdotool mousemove "$column_x" $((alpha_y + step))
  sleep 0.1
done
for y in $(seq $((alpha_y + 10)) 2 "$beta_y"); do
  xdotool mousemove "$column_x" "$y"
  sleep 0.05
done
xdotool mousemove $((column_x + 2)) "$beta_y"
sleep 0.3
xdotool mouseup 1

confirmation() { xdotool search --name '^Drag and Drop$' 2>/dev/null | head -n 1; }
has_confirmation() { [ -n "$(confirmation)" ]; }
wait_for 100 has_confirmation || fail "the move was not offered for confirmation"
import -window root "$artifacts/drag_drop_confirm.png"
xdotool key --window "$(confirmation)" Return 2>/dev/null  # the box is gone before the key is up
wait_for 100 eval '! has_confirmation' || fail "the confirmation did not close"
# The box went away between the key's press and release, so Wine never saw Return come up
# and would hold it down for every program after this one on the display: release it here.
xdotool keyup --window "$window" Return 2>/dev/null

# Save with the File menu's keys.
sleep 0.5
xdotool key --window "$window" alt+f
sleep 0.5
xdotool key --window "$window" s
saved() { ! cmp -s "$work/ListFile.dat" "$work/original.dat"; }
wait_for 100 saved || fail "the data file was not saved"
sleep 0.5
import -window root "$artifacts/drag_drop_after.png"

# Depth (bits 16-27 of ItemNum) and title of each record, in file order.
structure=$(LC_ALL=C awk -F= '
  /^ItemNum=/ { depth = int(($2 + 0) / 65536) % 4096 }
  /^TitleName=/ { sub(/\r$/, "", $2); print depth, $2 }' "$work/ListFile.dat")
expected=$'1 VoZivoVaro\n2 Beta\n3 Alpha\n4 alpha-link\n2 Gamma'
tool="$here/../../build/native/perchlet-tool"
[ -x "$tool" ] && "$tool" show "$work/ListFile.dat"
if [ "$structure" != "$expected" ]; then
  printf 'saved structure:\n%s\nexpected:\n%s\n' "$structure" "$expected" >&2
  fail "the saved file does not hold Alpha under Beta"
fi
echo "PASS: Alpha moved under Beta and saved"
