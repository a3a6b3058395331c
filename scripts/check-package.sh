#!/usr/bin/env bash
# Makes the Debian package from a built tree, installs it into a minimal fresh Debian 12 root,
# and there runs its menu entry as a player would, under Xvfb: the settings dialog must show,
# and after Return the show's window. Needs root and mmdebstrap; the root is thrown away after.
# Usage: scripts/check-package.sh [BUILD_DIR]   (default: build, configured and built)
set -euo pipefail
cd "$(dirname "$0")/.."
me=check-package
build=${1:-build}

[ "$(id -u)" -eq 0 ] || { echo "$me: must run as root (mmdebstrap, chroot): $0" >&2; exit 1; }
command -v mmdebstrap > /dev/null || { echo "$me: mmdebstrap is not installed" >&2; exit 1; }
rm -f "$build"/swirlbeam_*.deb
(cd "$build" && cpack -G DEB > cpack.log 2>&1) || {
  echo "$me: cpack failed: $build/cpack.log" >&2; tail -20 "$build/cpack.log" >&2; exit 1; }
debs=("$build"/swirlbeam_*.deb)
deb=${debs[0]}
echo "$me: $(basename "$deb"), $(stat -c %s "$deb") bytes"
echo "$me: $(dpkg-deb -f "$deb" Depends | sed 's/^/Depends: /')"

# What runs inside the fresh root, as root there, after the package is copied to /tmp.
inside=$(mktemp)
trap 'rm -f "$inside"' EXIT
cat > "$inside" <<'EOF'
set -eu
fail() { echo "check-package: $*" >&2; for f in /tmp/*.log; do echo "== $f" >&2; tail -20 "$f" >&2; done; exit 1; }
export DEBIAN_FRONTEND=noninteractive
cd /tmp
apt-get update -qq > apt-update.log 2>&1 || fail "apt-get update failed"
apt-get install -y -qq --no-install-recommends ./swirlbeam_*.deb > apt-deb.log 2>&1 ||
  fail "the package does not install with its dependencies"
# What the binaries do not link but open at run time (SDL: libGL and Mesa's GLX; the dialog: a
# font) must come with the package too, before Xvfb's own dependencies could bring them.
ldconfig -p | grep -q 'libGL\.so\.1 ' || fail "libGL.so.1, which SDL opens, did not come with the package"
ldconfig -p | grep -q 'libGLX_mesa\.so\.0 ' || fail "Mesa's GLX did not come with the package"
[ -n "$(find /usr/share/fonts -name '*.ttf' 2> /dev/null | head -1)" ] ||
  fail "no font for the settings dialog came with the package"
# The X test tools come only after the package, so they cannot stand in for its dependencies.
apt-get install -y -qq --no-install-recommends xvfb xdotool > apt-x.log 2>&1 ||
  fail "xvfb and xdotool do not install"

echo 'player:x:1000:1000::/home/player:/bin/sh' >> /etc/passwd
echo 'player:x:1000:' >> /etc/group
mkdir -p /home/player && chown 1000:1000 /home/player

# -displayfd: the server picks a free display itself (X sockets are shared with the host).
# Nothing may outlive the check: mmdebstrap waits for every holder of the hook's output.
pid= xvfb=
trap 'kill $pid $xvfb 2> /dev/null || true' EXIT
Xvfb -displayfd 3 -screen 0 1280x1024x24 -noreset -nolisten tcp 3> display > xvfb.log 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -s display ] && break; sleep 0.1; done
[ -s display ] || fail "Xvfb did not start"
export DISPLAY=":$(cat display)"

# wait_for WHAT COMMAND...: up to a minute for COMMAND to print a window id.
wait_for() {
  what=$1; shift
  for _ in $(seq 300); do
    wid=$("$@" 2> /dev/null | head -1) && [ -n "$wid" ] && return 0
    kill -0 "$pid" 2> /dev/null || fail "the program ended before the $what showed"
    sleep 0.2
  done
  fail "no $what within a minute"
}

exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/swirlbeam.desktop)
[ -n "$exec_line" ] || fail "the desktop entry has no Exec line"
# shellcheck disable=SC2086  # the Exec line is a plain command with no quoting
setpriv --reuid=1000 --regid=1000 --clear-groups env -i PATH=/usr/local/bin:/usr/bin:/bin \
  HOME=/home/player DISPLAY="$DISPLAY" SDL_AUDIODRIVER=dummy $exec_line > play.log 2>&1 &
pid=$!
wait_for "settings dialog" xdotool search --onlyvisible --name '^Swirlbeam - Configuration$'
xdotool windowfocus --sync "$wid" 2> /dev/null || true
# The dialog closes on the key press, so sending the release may find it gone already.
xdotool key --window "$wid" Return 2> /dev/null || true
wait_for "show's window" xdotool search --onlyvisible --name '^Swirlbeam$'
[ -s /home/player/.local/share/swirlbeam/music.dat ] || fail "the player's show folder was not filled"
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
pid=
[ "$status" -eq 0 ] || fail "the show ended with status $status after SIGTERM"
echo "check-package: installed package: the menu entry showed the dialog, then the show's window"
EOF

start=$(date +%s)
mmdebstrap --quiet --variant=apt \
  --customize-hook="copy-in $deb /tmp" \
  --customize-hook="copy-in $inside /tmp" \
  --customize-hook="chroot \"\$1\" sh /tmp/$(basename "$inside")" \
  bookworm /dev/null || { echo "$me: the package check in a fresh root failed" >&2; exit 1; }
echo "$me: passed in $(($(date +%s) - start)) s"
