#!/usr/bin/env bash
# Installs what the build and the tests need on a fresh Debian 12 or 13 machine (run as root).
# Quick when everything is already there: it only calls apt when a tool is missing.
# Packages are named as both releases name them; versioned tools (clang's runtime, Wine's files) are found by asking
# the release's own tools, not by paths of one release.
#
# A Debian mirror in the middle of a sync serves some index with the wrong size for a while ("File has unexpected
# size ... Mirror sync in progress?"): apt-get update then fails for that index, sometimes with exit code 100 and
# sometimes with 0 and an "E:" line, and the packages of that index cannot be installed until the mirror has caught
# up. The update is tried twice and then given up with a warning; a failed install ends with one message that says
# what could not be installed and why. Whatever stopped a run, the next run picks up from where it stopped.
#   HOSTKIT_APT_RETRY_SECONDS   the wait before the second update (default 20)
set -euo pipefail

need=()
have() { command -v "$1" >/dev/null 2>&1; }
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'ok installed'; }
say() { echo "setup: $*" >&2; }
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

# The indexes that an apt-get update could not fetch, one a line, with apt's reason ("E: Failed to fetch URL  reason"
# or "W: ..." in older releases). Empty when every index came.
failed_indexes() { sed -n 's/^[EW]: Failed to fetch //p' <<<"$1"; }

# apt-get update, twice at most. Its exit code alone does not tell: a failed index may leave it 0 with an
# "E: Some index files failed to download" line. Never fails itself: without the newest indexes the install may still
# find what it needs in the ones apt has.
update_indexes() {
  local output status attempt
  for attempt in 1 2; do
    status=0
    output=$(apt-get update -qq 2>&1) || status=$?
    if [ "$status" -eq 0 ] && ! grep -qE '^[EW]: (Failed to fetch|Some index files failed)' <<<"$output"; then
      return 0
    fi
    if [ "$attempt" -eq 1 ]; then
      say "apt-get update failed (exit code $status); trying once more in ${HOSTKIT_APT_RETRY_SECONDS:-20} s"
      sleep "${HOSTKIT_APT_RETRY_SECONDS:-20}"
    fi
  done
  local failed
  failed=$(failed_indexes "$output")
  say "warning: apt-get update failed twice (exit code $status); going on with the indexes apt has."
  if [ -n "$failed" ]; then
    say "warning: the index that could not be fetched, with apt's reason:"
    sed 's/^/    /' <<<"$failed" >&2
  else
    sed 's/^/    /' <<<"$output" >&2
  fi
}

# apt's reason for a failed install: its unmet dependencies and its error lines, without the progress it printed.
install_reason() {
  awk '/^The following packages have unmet dependencies:/ { unmet = 1; print; next }
       unmet && /^ / { print; next } { unmet = 0 } /^E: / { print }' <<<"$1"
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
# The command reference of a release is rendered to HTML by cmark-gfm: GitHub's Markdown, whose tables plain
# CommonMark lacks. (The headings' ids are added with perl, which every Debian system has.)
have cmark-gfm || need+=(cmark-gfm)
# wine32 is the 32-bit loader; wine64 alone cannot run i686 programs. Its files lie elsewhere in each release,
# so dpkg is asked whether it is installed.
installed wine32:i386 || need+=(wine wine32:i386)
have wine || need+=(wine)

if [ ${#need[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  # A run that was stopped while dpkg worked (a signal, a full disk, a closed terminal) leaves packages unpacked
  # but not configured, which apt refuses to build on until dpkg has finished them.
  if [ -n "$(dpkg --audit 2>/dev/null)" ]; then
    say "finishing what an earlier, interrupted installation left (dpkg --configure -a)"
    dpkg --configure -a
  fi
  # The i386 architecture only for wine32, added once: a run stopped after this line finds it there next time.
  if [[ " ${need[*]} " == *:i386* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  update_indexes
  status=0
  # -f completes the dependencies of packages that an earlier, interrupted run left without them.
  output=$(apt-get install -f -y -qq "${need[@]}" 2>&1) || status=$?
  if [ "$status" -ne 0 ]; then
    {
      echo "setup: could not install: ${need[*]}"
      echo "apt-get install ended with exit code $status; apt's reason:"
      install_reason "$output" | sed 's/^/    /'
      echo "When the Debian mirror is in the middle of a sync (apt-get update said \"Mirror sync in progress?\", or"
      echo "i386 packages are older than their amd64 twins), this clears by itself: try again later. The next"
      echo "run picks up from here."
    } >&2
    exit 1
  fi
fi
fuzzer_runtime || { say "clang++ finds no fuzzer runtime (libclang_rt.fuzzer)"; exit 1; }
