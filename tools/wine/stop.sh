#!/usr/bin/env bash
# Ends the Wine server and the Xvfb server of a build folder (run after the Wine tests).
# Wine takes only an absolute prefix: a relative build folder is made absolute first.
build=$(realpath -m "${1:?build folder}")
export WINEPREFIX=${HOSTKIT_WINEPREFIX:-$build/wineprefix}
wineserver -k >/dev/null 2>&1 || true
pid=$(cat "$build/wine-state/xvfb.pid" 2>/dev/null) && kill "$pid" 2>/dev/null
rm -f "$build/wine-state/display" "$build/wine-state/xvfb.pid"
exit 0
