#!/usr/bin/env bash
# Runs a Windows program of the build under Wine on a display of two monitors: 1920x1080 (the primary) and
# 1280x1024, from Xvfb's Xinerama with RandR off (with RandR on, Wine sees one monitor). The monitors are written
# into the Wine prefix's registry, so this display has a prefix and a state folder of its own beside the build's
# ordinary ones. The prefix's screen is set to 144 DPI (a scale of 150 %), which Wine then reports for every
# monitor. Xvfb and the prefix's wineserver end with the program.
#   tools/wine/two-monitors.sh PROGRAM [ARGS...]
set -euo pipefail

program=$1
dir=$(cd "$(dirname "$program")" && pwd)
build=$dir
while [ "$build" != / ] && [ ! -f "$build/CMakeCache.txt" ]; do build=$(dirname "$build"); done
[ "$build" = / ] && build=$dir

state=$build/wine-state-two-monitors
mkdir -p "$state"
export HOSTKIT_WINEPREFIX=$build/wineprefix-two-monitors
export WINEPREFIX=$HOSTKIT_WINEPREFIX
export WINEDEBUG=${WINEDEBUG:--all}
# What the tests compare with: a display that fell back to one monitor or 96 DPI fails them.
export HOSTKIT_EXPECT_MONITORS=2 HOSTKIT_EXPECT_DPI=144

exec 9>"$state/lock"
flock 9
rm -f "$state/displayfd"
exec 8>"$state/displayfd"
setsid Xvfb -displayfd 8 +xinerama -extension RANDR -screen 0 1920x1080x24 -screen 1 1280x1024x24 -nolisten tcp \
  >/dev/null 2>&1 </dev/null 9>&- &
xvfb=$!
exec 8>&-
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
for _ in $(seq 100); do [ -s "$state/displayfd" ] && break; sleep 0.05; done
export DISPLAY=":$(tr -dc 0-9 <"$state/displayfd")"

if [ ! -f "$WINEPREFIX/.hostkit-ready" ]; then
  wineboot -i >/dev/null 2>&1 9>&- || true
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 9>&-
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1 9>&-
  wineserver -w 9>&-
  touch "$WINEPREFIX/.hostkit-ready"
fi

set +e
"$(dirname "$0")/run.sh" "$@" 9>&-
exit $?
