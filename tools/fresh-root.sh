#!/usr/bin/env bash
# Tries the README's two commands as a new user of a fresh Debian machine would: makes a minimal root of RELEASE
# (bookworm, trixie, ...), installs what such a machine has (make, git, cmake, g++, googletest), clones this
# repository into it, and runs `make demo` and then `make test` there under chroot. Reports both exit codes and
# times. Takes 15-30 minutes on two cores; for people, not for CI. Run as root.
#
#   tools/fresh-root.sh [--ref REF] [--dir DIR] [--keep] [--host-sources] RELEASE
#     --ref REF       commit, branch or tag to try (default: HEAD, or $HOSTKIT_REF); only committed work is tried
#     --dir DIR       where the root is made (default: /var/tmp/hostkit-root-RELEASE); an old one there is removed
#     --keep          leave the root in place afterwards (the logs are kept beside it in any case)
#     --host-sources  the root reads this machine's own apt source lists (security suite included), not the
#                     single mirror line debootstrap writes: for a RELEASE that is this machine's own
set -euo pipefail

usage() { sed -n '7,12p' "$0" >&2; exit 2; }
ref=${HOSTKIT_REF:-HEAD}
dir=
keep=0
host_sources=0
while [ $# -gt 0 ]; do
  case $1 in
    --ref) ref=${2:?}; shift 2 ;;
    --dir) dir=${2:?}; shift 2 ;;
    --keep) keep=1; shift ;;
    --host-sources) host_sources=1; shift ;;
    -*) usage ;;
    *) break ;;
  esac
done
[ $# -eq 1 ] || usage
release=$1
dir=$(realpath -m "${dir:-/var/tmp/hostkit-root-$release}")
[ "$(id -u)" -eq 0 ] || { echo "fresh-root: run as root (debootstrap and chroot)" >&2; exit 2; }

repo=$(git -C "$(dirname "$0")" rev-parse --show-toplevel)
commit=$(git -C "$repo" rev-parse --verify "$ref^{commit}")
logs=$dir.logs
mounts=(proc sys dev dev/pts)

# The Debian mirror of this machine's apt sources (deb822 first, then the one-line format), security archive aside.
mirror() {
  local uri
  uri=$(sed -n 's/^URIs:[[:space:]]*//p' /etc/apt/sources.list.d/*.sources 2>/dev/null | tr ' ' '\n' |
    grep -v security | head -n1 || true)
  [ -n "$uri" ] || uri=$(awk '$1 == "deb" && $2 !~ /security/ && $2 ~ /^http/ {print $2; exit}' \
    /etc/apt/sources.list 2>/dev/null || true)
  echo "${uri:-http://deb.debian.org/debian}"
}

# Processes still running inside the root (the build's Xvfb or wineserver, or a command cut short) keep its
# mounts busy: end exactly those, found by their root folder.
end_root_processes() {
  local p pids=()
  for p in /proc/[0-9]*; do
    [ "$(readlink "$p/root" 2>/dev/null)" = "$dir" ] && pids+=("${p#/proc/}")
  done
  [ ${#pids[@]} -eq 0 ] && return 0
  kill "${pids[@]}" 2>/dev/null || true
  sleep 2
  kill -9 "${pids[@]}" 2>/dev/null || true
}

unmount_all() {
  local i
  end_root_processes
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
    if mountpoint -q "$dir/${mounts[i]}"; then
      umount "$dir/${mounts[i]}" 2>/dev/null || umount -l "$dir/${mounts[i]}"
    fi
  done
}

finish() {
  local status=$?
  unmount_all
  if [ "$keep" -eq 0 ] && [ -d "$dir" ]; then
    # Never remove through a mount that is still there.
    if findmnt -rn -o TARGET | grep -q "^$dir/"; then
      echo "fresh-root: $dir still has mounts; left in place" >&2
    else
      rm -rf "$dir"
    fi
  fi
  exit "$status"
}

in_root() {
  chroot "$dir" /usr/bin/env -i HOME=/root TERM=dumb LANG=C.UTF-8 \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin /bin/bash -c "$1"
}

# Runs one step with its output in a log of its own (and on the terminal), recording its exit code and time.
declare -A status seconds
step() {
  local name=$1 start rc
  shift
  echo "== $name" >&2
  start=$SECONDS
  set +e
  "$@" 2>&1 | tee "$logs/$name.log"
  rc=${PIPESTATUS[0]}
  set -e
  status[$name]=$rc
  seconds[$name]=$((SECONDS - start))
  return "$rc"
}

took() { printf '%dm%02ds' $(($1 / 60)) $(($1 % 60)); }

have_debootstrap() {
  command -v debootstrap >/dev/null 2>&1 && return 0
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap >/dev/null
}

make_root() {
  debootstrap --variant=minbase "$release" "$dir" "$(mirror)"
}

# This machine's one-line and deb822 lists replace the root's; keyrings they name come with the root's apt.
host_source_lists() {
  local file
  rm -f "$dir/etc/apt/sources.list" "$dir"/etc/apt/sources.list.d/*
  for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
    [ -f "$file" ] && cp "$file" "$dir${file}"
  done
  return 0
}

base_packages() {
  cp /etc/resolv.conf "$dir/etc/resolv.conf"
  [ "$host_sources" -eq 0 ] || host_source_lists
  for m in "${mounts[@]}"; do mount --bind "/$m" "$dir/$m"; done
  in_root 'export DEBIAN_FRONTEND=noninteractive; apt-get update -qq && apt-get install -y -qq make git cmake g++ googletest >/dev/null'
}

clone() {
  git clone --quiet --no-checkout "$repo" "$dir/root/hostkit"
  git -C "$dir/root/hostkit" checkout --quiet --detach "$commit"
}

# After each README command, its Wine and Xvfb servers are ended as a user would leave the machine.
readme_command() {
  in_root "cd /root/hostkit && make $1 </dev/null; rc=\$?; tools/wine/stop.sh build/win32; exit \$rc"
}

if findmnt -rn -o TARGET | grep -q "^$dir/"; then
  echo "fresh-root: $dir is in use (something is mounted in it)" >&2
  exit 1
fi
trap finish EXIT
trap 'exit 130' INT TERM
rm -rf "$dir" "$logs"
mkdir -p "$logs"
echo "fresh-root: $release in $dir, commit $commit; logs in $logs" >&2

have_debootstrap
step debootstrap make_root || { echo "fresh-root: debootstrap failed" >&2; exit 1; }
step packages base_packages || { echo "fresh-root: installing the base packages failed" >&2; exit 1; }
step clone clone
step demo readme_command demo || true
step test readme_command test || true

summary="fresh-root $release at ${commit:0:12}: make demo exited ${status[demo]} in $(took "${seconds[demo]}"),"
summary+=" make test exited ${status[test]} in $(took "${seconds[test]}")"
summary+=" (root made in $(took "${seconds[debootstrap]}"), base packages in $(took "${seconds[packages]}"))"
echo "$summary" | tee "$logs/summary.txt"
[ "${status[demo]}" -eq 0 ] && [ "${status[test]}" -eq 0 ]
