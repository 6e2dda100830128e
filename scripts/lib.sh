# Shared by scripts/run and scripts/test: a private Wine prefix and a private X display.
# shellcheck shell=bash

# The Windows build this machine can run: the shipped 32-bit one where the kernel runs
# i386 code, otherwise its 64-bit twin built from the same sources.
varnite_windows_preset() {
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo windows
  else
    echo windows-x64
  fi
}

# varnite_start_wine PREFIX_DIR: makes (once) and starts a private Wine prefix, so C:\ is
# PREFIX_DIR/drive_c and never a real disk. One wineserver stays up until varnite_stop_wine.
varnite_start_wine() {
  export WINEPREFIX=$1
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  if [ "$(varnite_windows_preset)" = windows ]; then
    export WINEARCH=win32
    VARNITE_WINE=wine
  else
    export WINEARCH=win64
    export WINELOADER=/usr/lib/wine/wine64
    VARNITE_WINE=/usr/lib/wine/wine64
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wine: creating a private prefix in $WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    "$VARNITE_WINE" wineboot --init >/dev/null 2>&1 </dev/null || true
    wineserver -w
  fi
  wineserver -p
  # Start Wine's services now, with their output away from the test runner's pipes.
  "$VARNITE_WINE" cmd /c exit >/dev/null 2>&1 </dev/null || true
}

varnite_stop_wine() {
  [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1 || true
}

# varnite_start_display: a private Xvfb display; sets DISPLAY and VARNITE_XVFB_PID.
varnite_start_display() {
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
  done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  VARNITE_XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 100); do
    [ -e "/tmp/.X11-unix/X$n" ] && return 0
    sleep 0.1
  done
  echo "Xvfb did not start on :$n" >&2
  return 1
}

varnite_stop_display() {
  [ -n "${VARNITE_XVFB_PID:-}" ] && kill "$VARNITE_XVFB_PID" 2>/dev/null || true
}

# varnite_set_dpi DPI: sets the display DPI that programs in the running prefix see
# (96, 120, 144...). Wine reads it when its wineserver starts, so the server is restarted.
varnite_set_dpi() {
  "$VARNITE_WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f \
    >/dev/null 2>&1 </dev/null || return 1
  wineserver -k
  wineserver -w
  wineserver -p
  "$VARNITE_WINE" cmd /c exit >/dev/null 2>&1 </dev/null || true
}
