#!/usr/bin/env bash
# Runs a Windows program of the build under 32-bit Wine, quietly, on a virtual display.
# The build folder (the nearest parent of the program holding CMakeCache.txt) owns one Wine prefix
# and, when no DISPLAY is set, one Xvfb server; both are made on first use and reused afterwards.
set -euo pipefail

program=$1
dir=$(cd "$(dirname "$program")" && pwd)
build=$dir
while [ "$build" != / ] && [ ! -f "$build/CMakeCache.txt" ]; do build=$(dirname "$build"); done
[ "$build" = / ] && build=$dir

state=$build/wine-state
mkdir -p "$state"
export WINEPREFIX=${HOSTKIT_WINEPREFIX:-$build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export TZ=${TZ:-UTC}
# Wine's recycle bin is the desktop's trash under XDG_DATA_HOME: the tests' recycled files stay in the build.
export XDG_DATA_HOME=$state/data
mkdir -p "$XDG_DATA_HOME"

(
  flock 9
  if [ -z "${DISPLAY:-}" ]; then
    if [ ! -f "$state/display" ] || ! kill -0 "$(cat "$state/xvfb.pid" 2>/dev/null)" 2>/dev/null; then
      exec 8>"$state/displayfd"
      # -displayfd picks a free display number and writes it once the server is ready.
      setsid Xvfb -displayfd 8 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 </dev/null 9>&- &
      echo $! >"$state/xvfb.pid"
      exec 8>&-
      for _ in $(seq 100); do [ -s "$state/displayfd" ] && break; sleep 0.05; done
      echo ":$(tr -dc 0-9 <"$state/displayfd")" >"$state/display"
    fi
  fi
  if [ ! -f "$WINEPREFIX/.hostkit-ready" ]; then
    export DISPLAY=${DISPLAY:-$(cat "$state/display")}
    wineboot -i >/dev/null 2>&1 9>&- || true
    # Without a window manager, Wine waits ~2 s on every window close unless windows are unmanaged.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 9>&-
    wineserver -w 9>&-
    touch "$WINEPREFIX/.hostkit-ready"
  fi
) 9>"$state/lock"

export DISPLAY=${DISPLAY:-$(cat "$state/display")}
# (Every program started under the lock closes fd 9, or it would hold the lock for good.)
# Keep the wineserver warm between the many short test processes.
wineserver -p 30 >/dev/null 2>&1 || true
# A terminal on standard input makes Wine attach a console to the process; tests need a GUI process.
[ -t 0 ] && exec </dev/null
# Wine's own helper processes (wineserver, the desktop, services) start with the first program and outlive it,
# inheriting its output. Were that output CTest's pipe, CTest would wait for them; so the program writes to files
# that are passed on once it ends.
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
set +e
wine "$@" >"$out" 2>"$err"
status=$?
cat "$out"
cat "$err" >&2
exit $status
