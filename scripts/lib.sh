# Shared by scripts/run, scripts/test, scripts/screenshot and scripts/wine-run: finding
# Wine, a private Wine prefix and a private X display.
# shellcheck shell=bash

# varnite_wine_loader 32|64: prints the command that runs Windows programs of that width,
# or fails when there is none. Wine comes from PATH. The 32-bit loader is `wine` when it
# runs at all (Debian's `wine` is a wrapper that starts the 32-bit loader, which fails on a
# kernel that cannot execute i386 code). The 64-bit one is `wine64`, or Debian's loader
# beside the wrapper, or `wine` itself (a Wine built for WoW64 runs both widths).
varnite_wine_loader() {
  local wine candidate
  wine=$(command -v wine) || return 1
  if [ "$1" = 32 ]; then
    "$wine" --version >/dev/null 2>&1 || return 1
    echo "$wine"
    return 0
  fi
  for candidate in "$(command -v wine64)" "$(dirname "$wine")/../lib/wine/wine64" "$wine"; do
    if [ -n "$candidate" ] && [ -x "$candidate" ] && "$candidate" --version >/dev/null 2>&1; then
      echo "$candidate"
      return 0
    fi
  done
  return 1
}

# The Windows build this machine can run: the shipped 32-bit one where Wine runs 32-bit
# programs, otherwise its 64-bit twin built from the same sources.
varnite_windows_preset() {
  if varnite_wine_loader 32 >/dev/null; then
    echo windows
  else
    echo windows-x64
  fi
}

# Wine's own fonts (Debian's fonts-wine): stand-ins for Tahoma, MS Sans Serif and Marlett,
# which draws the title bar's buttons. Prints their folder, or nothing.
varnite_wine_fonts_dir() {
  local dir
  for dir in /usr/share/wine/fonts /usr/local/share/wine/fonts /opt/wine-stable/share/wine/fonts; do
    if [ -f "$dir/marlett.ttf" ]; then
      echo "$dir"
      return 0
    fi
  done
}

# varnite_start_wine PREFIX_DIR: makes (once) and starts a private Wine prefix, so C:\ is
# PREFIX_DIR/drive_c and never a real disk. One wineserver stays up until varnite_stop_wine.
# Sets VARNITE_WINE, the loader for the preset varnite_windows_preset names.
varnite_start_wine() {
  local fonts
  export WINEPREFIX=$1
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  if [ "$(varnite_windows_preset)" = windows ]; then
    export WINEARCH=win32
    VARNITE_WINE=$(varnite_wine_loader 32)
  else
    export WINEARCH=win64
    VARNITE_WINE=$(varnite_wine_loader 64) || { echo "wine: no 64-bit Wine found" >&2; return 1; }
    export WINELOADER=$VARNITE_WINE
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wine: creating a private prefix in $WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    "$VARNITE_WINE" wineboot --init >/dev/null 2>&1 </dev/null || true
    wineserver -w
  fi
  # Debian's Wine 8 does not read the fonts of fonts-wine from the folder that package puts
  # them in, so Marlett is missing (the title bar's buttons read "0 1 r") and so is Tahoma.
  # Wine always reads the prefix's own windows\Fonts: the fonts are copied there.
  fonts=$(varnite_wine_fonts_dir)
  if [ -n "$fonts" ] && [ -d "$WINEPREFIX/drive_c/windows/Fonts" ]; then
    cp -n "$fonts"/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  fi
  wineserver -p
  # Start Wine's services now, with their output away from the test runner's pipes.
  "$VARNITE_WINE" cmd /c exit >/dev/null 2>&1 </dev/null || true
}

varnite_stop_wine() {
  [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1 || true
}

# varnite_start_display: a private Xvfb display; sets DISPLAY and VARNITE_XVFB_PID. Xvfb
# picks a display number no other server holds and reports it (-displayfd) once it takes
# connections, so nothing guesses a number that may belong to someone else.
varnite_start_display() {
  local report number
  report=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$report" >/dev/null 2>&1 &
  VARNITE_XVFB_PID=$!
  for _ in $(seq 100); do
    # `read` succeeds only on a whole line: Xvfb writes the number and a line end at once.
    if read -r number <"$report" && [ -n "$number" ]; then
      rm -f "$report"
      export DISPLAY=":$number"
      return 0
    fi
    kill -0 "$VARNITE_XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  rm -f "$report"
  echo "Xvfb did not start" >&2
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
