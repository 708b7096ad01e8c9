# Sourced by the scripts that run Windows programs: gives them a display and a fresh
# Wine prefix of their own, and tears both down on exit. Leaves a caller's
# PERCHLET_WINE_READY environment alone, so one prefix serves a whole test run.
if [ -z "${PERCHLET_WINE_READY:-}" ]; then
  export WINEDEBUG=-all
  export LANG="${PERCHLET_LANG:-ja_JP.UTF-8}"
  export WINEARCH=win32
  _perchlet_tmp=$(mktemp -d /tmp/perchlet-wine.XXXXXX)
  export WINEPREFIX="$_perchlet_tmp/prefix"
  _perchlet_xvfb_pid=""
  if [ -z "${DISPLAY:-}" ] || [ -n "${PERCHLET_OWN_XVFB:-}" ]; then
    for n in $(seq 91 140); do
      [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ] && continue
      Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
      _perchlet_xvfb_pid=$!
      export DISPLAY=":$n"
      for _ in $(seq 1 50); do [ -e "/tmp/.X11-unix/X${n}" ] && break; sleep 0.1; done
      break
    done
  fi
  _perchlet_wine_cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    [ -n "$_perchlet_xvfb_pid" ] && kill "$_perchlet_xvfb_pid" 2>/dev/null
    rm -rf "$_perchlet_tmp"
  }
  trap _perchlet_wine_cleanup EXIT
  wineboot -i >/dev/null 2>&1 || true
  # Without a window manager Wine waits two seconds for each hidden window to be withdrawn;
  # unmanaged windows are drawn by Wine itself and need no such wait.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
  # What the tests open in the system's browser goes nowhere: winebrowser would start a real
  # browser of this machine, which outlives the test and keeps its output open.
  wine reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers /d true /f >/dev/null 2>&1 || true
  wine reg add 'HKCU\Software\Wine\WineBrowser' /v Mailers /d true /f >/dev/null 2>&1 || true
  # The screen's scale (96 is 100 %), which Wine reads when a program starts.
  if [ -n "${PERCHLET_LOG_PIXELS:-}" ]; then
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$PERCHLET_LOG_PIXELS" /f >/dev/null 2>&1 || true
  fi
  wineserver -w 2>/dev/null || true
  export PERCHLET_WINE_READY=1
fi
