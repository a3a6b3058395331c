#!/usr/bin/env bash
# Runs the real program under valgrind's memcheck through start-up, scene set-up and some seconds
# of the show (offscreen OpenGL, silent audio, music off), ends it with SIGTERM as a desktop
# would, and fails on any invalid access or definite leak that the library suppressions in
# tests/hardening/valgrind.supp do not explain.
#   scripts/ci/valgrind.sh [SECONDS]     (default 20; valgrind makes everything 20-50x slower)
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-20}

cmake -S . -B build -DSWIRLBEAM_WERROR=ON >/dev/null
cmake --build build -j2 --target swirlbeam make_fixture_media >/dev/null

folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
build/tests/make_fixture_media "$folder"
printf '\x00\x00\x20\x00\x00\x00\x40\x01\x00\x00\xf0\x00\x00\x00\x00' >"$folder/config.dat"  # 320x240, music off
log=build/valgrind.log

(
  cd "$folder"
  exec env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy \
    valgrind --tool=memcheck --error-exitcode=99 --leak-check=full --show-leak-kinds=definite \
    --errors-for-leak-kinds=definite --keep-debuginfo=yes --num-callers=40 \
    --suppressions="$OLDPWD/tests/hardening/valgrind.supp" --log-file="$OLDPWD/$log" \
    "$OLDPWD/build/swirlbeam"
) &
pid=$!
start=$(date +%s)
# The settings are saved (the file replaced) just before the window, the pictures and the show.
inode=$(stat -c %i "$folder/config.dat")
while kill -0 "$pid" 2>/dev/null && [ "$(stat -c %i "$folder/config.dat")" = "$inode" ]; do
  sleep 0.2
done
echo "settings saved after $(($(date +%s) - start)) s; playing for $seconds s more"
for _ in $(seq "$seconds"); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 1
done
if kill -0 "$pid" 2>/dev/null; then kill -TERM "$pid"; fi
status=0
wait "$pid" || status=$?
echo "valgrind run: $(($(date +%s) - start)) s, exit status $status; log in $log"
grep -E "ERROR SUMMARY|definitely lost|indirectly lost|suppressed:" "$log" | sed 's/^==[0-9]*== *//'
if [ "$status" -ne 0 ]; then
  echo "valgrind.sh: the program ended with status $status (99: memcheck found errors)" >&2
  exit 1
fi
