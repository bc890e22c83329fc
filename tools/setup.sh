#!/usr/bin/env bash
# Installs what the build and the tests need on a fresh Debian 12 or 13 machine (run as root).
# Quick when everything is already there: it only calls apt when a tool is missing.
# Packages are named as both releases name them; versioned tools (clang's runtime, Wine's files) are found by asking
# the release's own tools, not by paths of one release.
set -euo pipefail

need=()
have() { command -v "$1" >/dev/null 2>&1; }
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'ok installed'; }
# clang's fuzzer runtime comes with the release's LLVM (14 on Debian 12, 19 on 13) and sits in its resource folder:
# clang names the file it would link (x86_64-suffixed in Debian's layout, unsuffixed in LLVM's per-target one).
# (--print-runtime-dir is no help: LLVM 19 names the per-target folder even where Debian does not use it.)
fuzzer_runtime() {
  local name path
  have clang++ || return 1
  for name in libclang_rt.fuzzer-x86_64.a libclang_rt.fuzzer.a; do
    path=$(clang++ -print-file-name="$name")
    [[ $path == /* && -f $path ]] && return 0
  done
  return 1
}

have cmake || need+=(cmake)
# The posix thread model (std::thread in the tests); both releases package it apart from the win32 one.
have i686-w64-mingw32-g++-posix || need+=(g++-mingw-w64-i686-posix)
have g++ || need+=(g++)
have Xvfb || need+=(xvfb)
have clang++ || need+=(clang)
# The format check of .ci/run uses the release's own clang-format, the version .clang-format is kept for.
have clang-format || need+=(clang-format)
[ -d /usr/src/googletest ] || need+=(googletest)
# libclang-rt-dev is the runtime of the release's default clang.
fuzzer_runtime || need+=(libclang-rt-dev)
have convert || need+=(imagemagick)
# PCRE2 for the native benchmarks' comparison column only; the DLL never links it.
[ -e /usr/include/pcre2.h ] || need+=(libpcre2-dev)
have xwd || need+=(x11-apps)
# The command reference of a release is rendered to HTML by cmark (CommonMark).
have cmark || need+=(cmark)
# wine32 is the 32-bit loader; wine64 alone cannot run i686 programs. Its files lie elsewhere in each release,
# so dpkg is asked whether it is installed.
installed wine32:i386 || need+=(wine wine32:i386)
have wine || need+=(wine)

if [ ${#need[@]} -gt 0 ]; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${need[@]}" >/dev/null
fi
fuzzer_runtime || { echo "setup: clang++ finds no fuzzer runtime (libclang_rt.fuzzer)" >&2; exit 1; }
