#!/usr/bin/env bash
# Installs what the build and the tests need on a fresh Debian machine (run as root).
# Quick when everything is already there: it only calls apt when a tool is missing.
set -euo pipefail

need=()
have() { command -v "$1" >/dev/null 2>&1; }
have cmake || need+=(cmake)
have i686-w64-mingw32-g++ || need+=(g++-mingw-w64-i686)
have g++ || need+=(g++)
have Xvfb || need+=(xvfb)
have clang++ || need+=(clang)
# The format check of .ci/run uses the release's own clang-format, the version .clang-format is kept for.
have clang-format || need+=(clang-format)
[ -d /usr/src/googletest ] || need+=(googletest)
[ -e /usr/lib/llvm-14/lib/clang/14.0.6/lib/linux/libclang_rt.fuzzer-x86_64.a ] || need+=(libclang-rt-14-dev)
have convert || need+=(imagemagick)
# PCRE2 for the native benchmarks' comparison column only; the DLL never links it.
[ -e /usr/include/pcre2.h ] || need+=(libpcre2-dev)
have xwd || need+=(x11-apps)
# wine32 is the 32-bit loader; wine64 alone cannot run i686 programs.
[ -x /usr/lib/wine/wine ] || [ -x /usr/lib/i386-linux-gnu/wine/i386-unix/ntdll.so ] || dpkg -s wine32:i386 >/dev/null 2>&1 || need+=(wine wine32:i386)
have wine || need+=(wine)

if [ ${#need[@]} -gt 0 ]; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${need[@]}" >/dev/null
fi
