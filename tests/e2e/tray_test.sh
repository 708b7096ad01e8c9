#!/usr/bin/env bash
# The real program beside a real notification area (trayer): opens the options panel from
# the Window menu, hides with the toolbar button and comes back from the screen's left
# edge, hides again and comes back through the tray menu, and ends through the tray menu.
# Screenshots of the open panel and the tray menu are kept.
#   tray_test.sh PERCHLET_EXE ARTIFACTS_DIR
set -u
exe=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
artifacts=${2:-/tmp}
here=$(cd "$(dirname "$0")" && pwd)

. "$here/../wine_env.sh"
. "$here/e2e_lib.sh"
# Keeps Wine from offering to download its HTML engine while nobody can answer.
export WINEDLLOVERRIDES=mshtml=
e2e_setup tray

# The notification area goes along the bottom edge, so the tray menu opens upwards.
trayer --edge bottom --align right --widthtype pixel --width 120 --heighttype pixel --height 28 \
  --SetDockType false --transparent false >/dev/null 2>&1 &
e2e_pids+=($!)
tray_panel() { xdotool search --name '^panel$' 2>/dev/null | head -n 1; }
has_tray_panel() { [ -n "$(tray_panel)" ]; }
wait_for 100 has_tray_panel || fail "trayer did not start"
eval "$(xdotool getwindowgeometry --shell "$(tray_panel)" | sed 's/^/TRAY_/')"

(cd "$work" && exec wine "$exe") >/dev/null 2>&1 &
perchlet_pid=$!
e2e_pids+=("$perchlet_pid")

main_window() { xdotool search --name '^Perchlet$' 2>/dev/null | head -n 1; }
has_main_window() { [ -n "$(main_window)" ]; }
wait_for 300 has_main_window || fail "the main window did not appear"
window=$(main_window)
main_shown() { xdotool search --onlyvisible --name '^Perchlet$' 2>/dev/null | grep -qx "$window"; }
main_hidden() { ! main_shown; }
width_of() { xdotool getwindowgeometry --shell "$1" | sed -n 's/^WIDTH=//p'; }

# Wine docks the icon as a small window inside trayer's panel.
tray_icon() {
  local w
  for w in $(xdotool search --onlyvisible --name '' 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$w" 2>/dev/null | sed 's/^/ICON_/')"
    [ "${ICON_WIDTH:-0}" -le 32 ] && [ "${ICON_HEIGHT:-0}" -le 32 ] && [ "${ICON_WIDTH:-0}" -ge 8 ] || continue
    [ "$ICON_X" -ge "$TRAY_X" ] && [ "$ICON_X" -lt $((TRAY_X + TRAY_WIDTH)) ] || continue
    [ "$ICON_Y" -ge "$TRAY_Y" ] && [ "$ICON_Y" -lt $((TRAY_Y + TRAY_HEIGHT)) ] || continue
    echo "$((ICON_X + ICON_WIDTH / 2)) $((ICON_Y + ICON_HEIGHT / 2))"
    return 0
  done
  return 1
}
wait_for 100 tray_icon || fail "the tray icon did not dock in the notification area"
read -r icon_x icon_y < <(tray_icon)
echo "tray icon at $icon_x,$icon_y"

# Windows of the program's process that show: the main window, and a menu while it is open.
popup_menu() {
  local w
  for w in $(xdotool search --onlyvisible --name '^$' 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$w" 2>/dev/null | sed 's/^/MENU_/')"
    # A small window that is neither the icon nor the screen: a menu.
    [ "$MENU_WIDTH" -gt 40 ] && [ "$MENU_WIDTH" -lt 500 ] && [ "$MENU_HEIGHT" -gt 20 ] && [ "$MENU_HEIGHT" -lt 400 ] || continue
    [ "$MENU_Y" -lt "$TRAY_Y" ] || continue
    echo "$w"
    return 0
  done
  return 1
}
# Clicks the menu item that the keyboard highlighted: keys alone are not enough, since a
# Return that an earlier program on this display never saw come up stays down for Wine.
click_highlighted_item() {
  local menu_x menu_y spot
  eval "$(xdotool getwindowgeometry --shell "$1" | sed 's/^/HL_/')"
  spot=$(import -window root -crop "${HL_WIDTH}x${HL_HEIGHT}+${HL_X}+${HL_Y}" +repage -depth 8 txt:- 2>/dev/null |
    awk -F'[,: ]+' '/#3096FA/ { sx += $1; sy += $2; c++ } END { if (c) print int(sx / c), int(sy / c) }')
  [ -n "$spot" ] || return 1
  read -r menu_x menu_y <<< "$spot"
  xdotool mousemove $((HL_X + menu_x)) $((HL_Y + menu_y)) click 1
}
# The toolbar's last button, a navy bar, found on the screen.
click_hide_button() {
  local spot hide_x hide_y
  eval "$(xdotool getwindowgeometry --shell "$window" | sed 's/^/MW_/')"
  spot=$(import -window root -crop "${MW_WIDTH}x140+${MW_X}+${MW_Y}" +repage -depth 8 txt:- 2>/dev/null |
    awk -F'[,: ]+' '/#000080/ { x[n] = $1; y[n] = $2; n++; if ($1 > maxx) maxx = $1 }
      END { for (i = 0; i < n; i++) if (x[i] > maxx - 30) { sx += x[i]; sy += y[i]; c++ }
            if (c) print int(sx / c), int(sy / c) }')
  [ -n "$spot" ] || return 1
  read -r hide_x hide_y <<< "$spot"
  xdotool mousemove $((MW_X + hide_x)) $((MW_Y + hide_y)) click 1
}
has_popup_menu() { [ -n "$(popup_menu)" ]; }

# 1. The options panel from the Window menu's second item, "環境設定".
sleep 1
width_before=$(width_of "$window")
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove $((X + 60)) $((Y + 300)) click 1  # the keys go to the active window
sleep 0.3
xdotool key --window "$window" alt+w
wait_for 50 has_popup_menu || fail "the Window menu did not open"
xdotool key --window "$window" Down
sleep 0.5
click_highlighted_item "$(popup_menu)" || fail "no highlighted item in the Window menu"
panel_open() { [ "$(width_of "$window")" -gt $((width_before + 100)) ]; }
wait_for 50 panel_open || fail "the options panel did not open (window width $(width_of "$window"))"
sleep 0.5
import -window root "$artifacts/tray_options_panel.png"
echo "options panel open: window $width_before -> $(width_of "$window") pixels wide"

# 2. Hide with the toolbar's hide button.
click_hide_button || fail "no hide button found on the toolbar"
wait_for 50 main_hidden || fail "the hide button did not hide the window"
echo "hidden by the toolbar button"

# 3. The pointer at x = 2 brings it back (third tick of the 300 ms edge timer).
xdotool mousemove 2 500
wait_for 50 main_shown || fail "the window did not come back from the left edge"
echo "shown again from the left edge"

# 4. Hide again, then the tray menu's "ウィンドウを復元する".
sleep 0.5
click_hide_button || fail "no hide button found on the toolbar the second time"
wait_for 50 main_hidden || fail "the hide button did not hide the window the second time"
xdotool mousemove "$icon_x" "$icon_y" click 1
wait_for 50 has_popup_menu || fail "a click on the tray icon showed no menu"
sleep 0.3
import -window root "$artifacts/tray_menu.png"
menu=$(popup_menu)
eval "$(xdotool getwindowgeometry --shell "$menu")"
echo "tray menu at $X,$Y, ${WIDTH}x$HEIGHT"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 4)) click 1
wait_for 50 main_shown || fail "the tray menu's first item did not bring the window back"
echo "shown again from the tray menu"

# 5. The tray menu's "終了" ends the program (nothing unsaved, so no question).
sleep 0.5
xdotool mousemove "$icon_x" "$icon_y" click 1
wait_for 50 has_popup_menu || fail "the tray menu did not open a second time"
eval "$(xdotool getwindowgeometry --shell "$(popup_menu)")"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT * 3 / 4)) click 1
ended() { ! kill -0 "$perchlet_pid" 2>/dev/null; }
wait_for 100 ended || fail "the tray menu's exit did not end the program"
echo "PASS: panel, hide, edge, tray menu restore and exit"
