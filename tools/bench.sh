#!/usr/bin/env bash
# Runs every benchmark: the native ones directly, the Wine ones (next to hostkit.dll) under Wine.
set -euo pipefail
native=${1:?native build folder}
win32=${2:?cross build folder}
for b in "$native"/bench/bench_*; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b") (native)"
  "$b"
done
for b in "$win32"/bench/bench_*.exe; do
  [ -e "$b" ] || continue
  cp -f "$win32/bin/hostkit.dll" "$win32/bench/"
  echo "== $(basename "$b" .exe) (Wine)"
  tools/wine/run.sh "$b"
done
