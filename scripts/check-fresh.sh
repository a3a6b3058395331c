#!/usr/bin/env bash
# Proves the set-up on a minimal Debian 12, where CI's own machine cannot: makes a fresh root with
# mmdebstrap, copies the committed tree into it, runs the README's set-up there as a user would,
# then a short headless smoke run. With a built package (scripts/package.sh), also installs it into
# a second fresh root and starts the menu launcher there.
# Run as root: bash scripts/check-fresh.sh
set -euo pipefail
cd "$(dirname "$0")/.."
here=$(pwd)

say() { printf 'check-fresh: %s\n' "$*" >&2; }
fail() { say "FAILED: $*"; exit 1; }

[ "$(id -u)" -eq 0 ] || fail "must run as root (it builds a root file system and chroots into it)"
if ! command -v mmdebstrap >/dev/null; then
  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends mmdebstrap >/dev/null
fi

work=$(mktemp -d /var/tmp/swirlbeam-fresh.XXXXXX)
roots=()
cleanup() {
  for root in "${roots[@]}"; do
    umount -R "$root/dev" "$root/proc" 2>/dev/null || true
  done
  rm -rf --one-file-system "$work"
}
trap cleanup EXIT

# A root with only apt, as `mmdebstrap --variant=apt` leaves it, ready to chroot into.
make_root() {
  local root=$1
  mmdebstrap --quiet --variant=apt bookworm "$root" >/dev/null 2>"$work/mmdebstrap.log" ||
    { cat "$work/mmdebstrap.log" >&2; fail "mmdebstrap could not make $root"; }
  roots+=("$root")
  mount -t proc proc "$root/proc"
  mount --rbind /dev "$root/dev" && mount --make-rslave "$root/dev"
  cp /etc/resolv.conf "$root/etc/resolv.conf"
  # A dropped connection to the mirror should not fail the check.
  echo 'Acquire::Retries "3";' >"$root/etc/apt/apt.conf.d/80retries"
}

in_root() {
  local root=$1; shift
  chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 "$@"
}

start=$(date +%s)
elapsed() { echo "$(($(date +%s) - start)) s"; }

say "making a minimal Debian 12 root"
build_root="$work/build-root"
make_root "$build_root"
mkdir -p "$build_root/src/swirlbeam"
git archive HEAD | tar -x -C "$build_root/src/swirlbeam"
say "root ready after $(elapsed)"

# The README's quick start, without its last step (playing the whole show).
say "installing the dependencies and building, as scripts/run.sh does"
in_root "$build_root" bash -c 'cd /src/swirlbeam && bash scripts/install-deps.sh' \
  >"$work/install.log" 2>&1 || { tail -n 30 "$work/install.log" >&2; fail "scripts/install-deps.sh"; }
say "dependencies installed after $(elapsed)"
in_root "$build_root" bash -c 'cd /src/swirlbeam && cmake -S . -B build && cmake --build build -j "$(nproc)"' \
  >"$work/build.log" 2>&1 || { grep -m 20 -E 'Error|error:|Could not|not found' "$work/build.log" >&2 || tail -n 30 "$work/build.log" >&2; fail "configure and build"; }
say "built after $(elapsed)"

say "smoke run: media, captured frames, settings dialog, full-screen question"
in_root "$build_root" bash /src/swirlbeam/scripts/smoke.sh /src/swirlbeam/build >&2 ||
  fail "smoke run (see the lines above)"
say "smoke run passed after $(elapsed)"

if [ -x "$here/scripts/package.sh" ]; then
  in_root "$build_root" bash -c 'cd /src/swirlbeam && bash scripts/package.sh build' \
    >"$work/package.log" 2>&1 || { tail -n 30 "$work/package.log" >&2; fail "scripts/package.sh"; }
  deb=$(cd "$build_root/src/swirlbeam/build" && ls swirlbeam_*.deb | head -n 1)
  [ -n "$deb" ] || fail "scripts/package.sh made no swirlbeam_*.deb"
  say "package $deb built after $(elapsed)"

  say "installing the package into a second fresh root"
  user_root="$work/user-root"
  make_root "$user_root"
  cp "$build_root/src/swirlbeam/build/$deb" "$user_root/tmp/"
  cp "$here/scripts/smoke.sh" "$user_root/tmp/"
  in_root "$user_root" bash -c "apt-get update -qq && DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -qq --no-install-recommends /tmp/$deb xvfb xauth xdotool x11-utils" \
    >"$work/user-install.log" 2>&1 || { tail -n 30 "$work/user-install.log" >&2; fail "apt-get install ./$deb"; }
  in_root "$user_root" bash /tmp/smoke.sh --installed >&2 || fail "the installed launcher (see above)"
  say "installed package passed after $(elapsed)"
fi

say "all passed in $(elapsed)"
