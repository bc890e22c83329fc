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
# A failed index together with what a machine already has installed can also break the install itself (packages of
# that suite's other architecture newer than any twin it can fetch): the install is then tried once more with apt
# reading a copy of the source lists that leaves out the suites whose index failed (nothing under /etc changes).
#   HOSTKIT_APT_RETRY_SECONDS   the wait before the second update (default 20)
#   HOSTKIT_APT_ETC             the folder of apt's source lists (default /etc/apt; for the set-up's own tests)
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
# The indexes the last update_indexes could not fetch, as failed_indexes gives them.
failed_fetches=
update_indexes() {
  local output status attempt
  failed_fetches=
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
  failed_fetches=$(failed_indexes "$output")
  say "warning: apt-get update failed twice (exit code $status); going on with the indexes apt has."
  if [ -n "$failed_fetches" ]; then
    say "warning: the index that could not be fetched, with apt's reason:"
    sed 's/^/    /' <<<"$failed_fetches" >&2
  else
    sed 's/^/    /' <<<"$output" >&2
  fi
}

# apt's reason for a failed install: its unmet dependencies and its error lines, without the progress it printed.
install_reason() {
  awk '/^The following packages have unmet dependencies:/ { unmet = 1; print; next }
       unmet && /^ / { print; next } { unmet = 0 } /^E: / { print }' <<<"$1"
}

# The suites of the failed indexes, one a line: the path part after "/dists/" of each index's address.
failed_suites() { sed -n 's|^[^ ]*/dists/\([^/ ]*\)/.*|\1|p' <<<"$1" | sort -u; }

# Writes into folder $1 a copy of apt's source lists without the suites named in $2 (one a line): one-line entries
# ("deb [options] URI SUITE COMPONENTS") of such a suite are dropped; a deb822 stanza loses the suite from its
# Suites field, and the whole stanza when no suite is left.
reduced_sources() {
  local out=$1 suites=$2 etc=${HOSTKIT_APT_ETC:-/etc/apt} file
  mkdir -p "$out/sources.list.d"
  : >"$out/sources.list"
  for file in "$etc/sources.list" "$etc"/sources.list.d/*.list; do
    [ -f "$file" ] || continue
    local target=$out/sources.list.d/$(basename "$file")
    [ "$file" = "$etc/sources.list" ] && target=$out/sources.list
    awk -v drop="$suites" '
      BEGIN { n = split(drop, d, "\n"); for (i = 1; i <= n; i++) if (d[i] != "") skip[d[i]] = 1 }
      $1 == "deb" || $1 == "deb-src" {
        f = 2; if ($f ~ /^\[/) { while ($f !~ /\]$/ && f < NF) f++; f++ }
        if (($(f + 1)) in skip) next
      }
      { print }' "$file" >"$target"
  done
  for file in "$etc"/sources.list.d/*.sources; do
    [ -f "$file" ] || continue
    awk -v drop="$suites" '
      BEGIN { n = split(drop, d, "\n"); for (i = 1; i <= n; i++) if (d[i] != "") skip[d[i]] = 1; RS = ""; ORS = "\n\n" }
      {
        out = ""; lines = split($0, line, "\n")
        for (i = 1; i <= lines; i++) {
          if (line[i] ~ /^Suites:/) {
            m = split(substr(line[i], 8), s, /[ \t]+/); kept = ""
            for (j = 1; j <= m; j++) if (s[j] != "" && !(s[j] in skip)) kept = kept " " s[j]
            if (kept == "") { out = ""; break }
            line[i] = "Suites:" kept
          }
          out = out line[i] "\n"
        }
        if (out != "") printf "%s\n", out
      }' "$file" >"$out/sources.list.d/$(basename "$file")"
  done
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
# ImageMagick's convert, not a stand-in of the same name that some machines put first on PATH.
convert -version 2>/dev/null | grep -q ImageMagick || need+=(imagemagick)
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
  # apt prints nothing of its own here (-qq): say what comes before the wait starts.
  say "installing with apt: ${need[*]}"
  say "(this takes a while, a few minutes on a fresh machine; apt's output is shown only if it fails)"
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
  suites=$(failed_suites "$failed_fetches")
  if [ "$status" -ne 0 ] && [ -n "$suites" ]; then
    lists=$(mktemp -d)
    trap 'rm -rf "$lists"' EXIT
    reduced_sources "$lists" "$suites"
    say "the install failed while the index of $(echo $suites) could not be fetched; trying once more without" \
      "that suite (a later apt-get upgrade brings its updates)"
    status=0
    output=$(apt-get -o Dir::Etc::SourceList="$lists/sources.list" -o Dir::Etc::SourceParts="$lists/sources.list.d" \
      install -f -y -qq "${need[@]}" 2>&1) || status=$?
  fi
  if [ "$status" -ne 0 ]; then
    {
      echo "setup: could not install: ${need[*]}"
      echo "apt-get install ended with exit code $status; apt's reason:"
      install_reason "$output" | sed 's/^/    /'
      if [ -n "$suites" ]; then
        echo "That was without $(echo $suites) too: packages this machine already has from that suite need its"
        echo "index that could not be fetched."
      fi
      echo "When the Debian mirror is in the middle of a sync (apt-get update said \"Mirror sync in progress?\", or"
      echo "i386 packages are older than their amd64 twins), this clears by itself: try again later. The next"
      echo "run picks up from here."
    } >&2
    exit 1
  fi
fi
fuzzer_runtime || { say "clang++ finds no fuzzer runtime (libclang_rt.fuzzer)"; exit 1; }
