#!/usr/bin/env bash
# tools/setup.sh against a fake apt-get, dpkg and dpkg-query first on PATH (nothing is installed for real): a quick
# run without apt when everything is there, an update that a mirror mid-sync fails once or for good, an install
# that apt refuses, and a run after one that dpkg did not finish. The fakes log their calls; wine32:i386 is the one
# package they report missing, so every other tool must be installed (as it is once the set-up has run).
#   tests/setup/setup_test.sh
set -uo pipefail
setup=$(cd "$(dirname "$0")/../.." && pwd)/tools/setup.sh
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

mkdir -p "$tmp/bin"
cat >"$tmp/bin/dpkg-query" <<'FAKE'
#!/usr/bin/env bash
for package; do :; done
grep -qx "$package" "$FAKE_STATE/installed" 2>/dev/null || exit 1
printf 'install ok installed'
FAKE
cat >"$tmp/bin/dpkg" <<'FAKE'
#!/usr/bin/env bash
echo "dpkg $*" >>"$FAKE_STATE/log"
case "$1" in
  --print-foreign-architectures) cat "$FAKE_STATE/architectures" 2>/dev/null ;;
  --add-architecture) echo "$2" >>"$FAKE_STATE/architectures" ;;
  --audit) [ -e "$FAKE_STATE/interrupted" ] && echo "The following packages are only half configured:" ;;
  --configure) rm -f "$FAKE_STATE/interrupted" ;;
esac
exit 0
FAKE
# An update fails while update-failures counts down, as Debian 12's apt reports a mirror mid-sync: with exit code
# 100, or (update-mode quiet) with 0 and the same lines.
cat >"$tmp/bin/apt-get" <<'FAKE'
#!/usr/bin/env bash
echo "apt-get $*" >>"$FAKE_STATE/log"
[ -e "$FAKE_STATE/interrupted" ] && { echo "E: dpkg was interrupted, you must manually run 'dpkg --configure -a'"; exit 100; }
case " $* " in
  *" update "*)
    left=$(cat "$FAKE_STATE/update-failures" 2>/dev/null || echo 0)
    [ "$left" -gt 0 ] || exit 0
    echo $((left - 1)) >"$FAKE_STATE/update-failures"
    echo "E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (120796 != 120764). Mirror sync in progress? [IP: 151.101.2.132 80]"
    echo "   Hashes of expected file:"
    echo "    - Filesize:120764 [weak]"
    echo "E: Some index files failed to download. They have been ignored, or old ones used instead."
    [ "$(cat "$FAKE_STATE/update-mode" 2>/dev/null)" = quiet ] && exit 0
    exit 100 ;;
  *" install "*)
    echo "Reading package lists..."
    # With install-heals, only an install that reads other source lists succeeds: they are kept for the test.
    if [ -e "$FAKE_STATE/install-heals" ] && [[ " $* " == *" -o Dir::Etc::SourceParts="* ]]; then
      for option; do
        case $option in Dir::Etc::SourceList=*) cp "${option#*=}" "$FAKE_STATE/given.list" ;;
          Dir::Etc::SourceParts=*) cp -r "${option#*=}" "$FAKE_STATE/given.d" ;; esac
      done
    elif [ -e "$FAKE_STATE/install-fails" ] || [ -e "$FAKE_STATE/install-heals" ]; then
      echo "Some packages could not be installed. This may mean that you have"
      echo "The following packages have unmet dependencies:"
      echo " wine32:i386 : Depends: libwine:i386 (= 8.0~repack-4+deb12u1) but it is not going to be installed"
      echo "E: Error, pkgProblemResolver::Resolve generated breaks, this may be caused by held packages."
      exit 100
    fi
    echo wine32:i386 >>"$FAKE_STATE/installed"
    exit 0 ;;
esac
exit 0
FAKE
chmod +x "$tmp/bin/"*

failed=0
check() { # what, then a command that must succeed
  local what=$1
  shift
  if "$@"; then echo "ok   $scenario: $what"; else echo "FAIL $scenario: $what"; failed=$((failed + 1)); fi
}
has() { grep -qF -- "$2" "$1"; }
count() { grep -cF -- "$2" "$1"; }

# run SCENARIO: a fresh fake state, set up by the caller through the files named in the fakes
run() {
  scenario=$1
  state=$tmp/$scenario
  mkdir -p "$state" && : >"$state/log"
}
go() {
  status=0
  FAKE_STATE=$state PATH="$tmp/bin:$PATH" HOSTKIT_APT_RETRY_SECONDS=0 HOSTKIT_APT_ETC=$state/etc "$setup" \
    >"$state/out" 2>&1 || status=$?
}

run everything-there
echo wine32:i386 >"$state/installed"
go
check "exit code 0" test "$status" -eq 0
check "no apt-get or dpkg call" test ! -s "$state/log"
check "nothing printed" test ! -s "$state/out"

run update-fails-once
echo 1 >"$state/update-failures"
go
check "exit code 0" test "$status" -eq 0
check "two updates" test "$(count "$state/log" "apt-get update")" -eq 2
check "says what it installs before apt starts" \
  test "$(head -n 1 "$state/out")" = "setup: installing with apt: wine wine32:i386"
check "says it tries again" has "$state/out" "trying once more"
check "no warning once the second update worked" test "$(count "$state/out" "warning")" -eq 0
check "i386 added once" test "$(count "$state/log" "dpkg --add-architecture i386")" -eq 1
check "installs wine32" has "$state/log" "wine32:i386"

run update-fails-twice-with-exit-code-0
echo 5 >"$state/update-failures"
echo quiet >"$state/update-mode"
go
check "exit code 0: the install goes on" test "$status" -eq 0
check "two updates, no more" test "$(count "$state/log" "apt-get update")" -eq 2
check "a warning" has "$state/out" "warning: apt-get update failed twice"
check "the warning names the index and apt's reason" \
  has "$state/out" "bookworm-security/main/binary-i386/Packages.xz  File has unexpected size"
check "the install ran" has "$state/log" "apt-get install"

run install-fails
echo 1 >"$state/update-failures"
touch "$state/install-fails"
go
check "exit code not 0" test "$status" -ne 0
check "names the packages" has "$state/out" "setup: could not install: wine wine32:i386"
check "gives apt's reason" has "$state/out" "pkgProblemResolver::Resolve generated breaks"
check "gives the unmet dependency" has "$state/out" "wine32:i386 : Depends: libwine:i386"
check "says a mirror mid-sync clears by itself" has "$state/out" "this clears by itself: try again later"
check "leaves apt's progress out" bash -c '! grep -q "Reading package lists" "$0"' "$state/out"

# The install breaks while the security suite's index failed, and works once apt reads lists without that suite,
# in both formats; /etc's own lists (here the fake's) are left as they were.
run install-heals-without-the-failed-suite
echo 5 >"$state/update-failures"
touch "$state/install-heals"
mkdir -p "$state/etc/sources.list.d"
cat >"$state/etc/sources.list.d/debian.sources" <<'LISTS'
Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main

Types: deb
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
LISTS
printf '%s\n' 'deb [arch=amd64,i386] http://deb.debian.org/debian-security bookworm-security main' \
  'deb http://deb.debian.org/debian bookworm-backports main' >"$state/etc/sources.list"
cp -r "$state/etc" "$state/etc.before"
go
check "exit code 0" test "$status" -eq 0
check "two installs" test "$(count "$state/log" " install ")" -eq 2
check "says which suite it left out" has "$state/out" "without that suite"
check "names the suite" has "$state/out" "bookworm-security"
check "says an upgrade brings its updates" has "$state/out" "apt-get upgrade"
check "the deb822 stanza of the suite is gone" bash -c '! grep -q security "$0"' "$state/given.d/debian.sources"
check "the other suites stay" has "$state/given.d/debian.sources" "Suites: bookworm bookworm-updates"
check "the one-line entry of the suite is gone" bash -c '! grep -q security "$0"' "$state/given.list"
check "other one-line entries stay" has "$state/given.list" "bookworm-backports"
check "/etc is unchanged" diff -r "$state/etc.before" "$state/etc"

run install-fails-without-the-failed-suite-too
echo 5 >"$state/update-failures"
touch "$state/install-fails"
go
check "exit code not 0" test "$status" -ne 0
check "tried twice" test "$(count "$state/log" " install ")" -eq 2
check "says the suite was left out too" has "$state/out" "That was without bookworm-security too"

run after-an-interrupted-run
echo i386 >"$state/architectures"
touch "$state/interrupted"
go
check "exit code 0" test "$status" -eq 0
check "dpkg finishes first" test "$(head -n 2 "$state/log" | tail -n 1)" = "dpkg --configure -a"
check "i386, already there, is not added again" bash -c '! grep -q -- "--add-architecture" "$0"' "$state/log"
check "the install completes what is missing" has "$state/log" "apt-get install -f"

[ "$failed" -eq 0 ] && echo "setup: all cases passed" || { echo "setup: $failed failed"; exit 1; }
