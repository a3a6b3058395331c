#!/usr/bin/env bash
# A short headless smoke run of a built or installed Swirlbeam, on a private Xvfb display:
#   bash scripts/ci/smoke.sh BUILD_DIR    the media maker's files, a few captured frames, the settings
#                                      dialog answered with Return, the full-screen question
#   bash scripts/ci/smoke.sh --installed  the menu launcher of an installed copy: dialog, then the show
# Needs Xvfb, xdotool and x11-utils. Exits non-zero with a line saying what failed.
set -euo pipefail

say() { printf 'smoke: %s\n' "$*" >&2; }
fail() { say "FAILED: $*"; [ -s "${err:-/dev/null}" ] && sed 's/^/  stderr: /' "$err" >&2; exit 1; }

work=$(mktemp -d)
xvfb_pid=""
show_pid=""
cleanup() {
  set +e
  [ -n "$show_pid" ] && kill -9 "$show_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

for tool in Xvfb xdotool xwininfo xdpyinfo; do
  command -v "$tool" >/dev/null || fail "$tool is not installed"
done

# config.dat: full screen, music, colour bits, width, height, dither (15 bytes, little-endian).
write_settings() {
  local file=$1 fullscreen=$2 width=$3 height=$4
  le32() { printf "\\$(printf %03o $(($1 & 255)))\\$(printf %03o $((($1 >> 8) & 255)))\\000\\000"; }
  { printf "\\$(printf %03o "$fullscreen")\\000"; le32 32; le32 "$width"; le32 "$height"; printf '\001'; } >"$file"
}

start_display() {
  export DISPLAY=:77
  xdpyinfo >/dev/null 2>&1 && fail "display $DISPLAY is already taken"
  Xvfb "$DISPLAY" -screen 0 1280x1024x24 -noreset -nolisten tcp >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
  fail "Xvfb did not start: $(cat "$work/xvfb.log")"
}

# A top-level window with exactly this title (message boxes are not found by xdotool's search).
window_titled() {
  local title=$1
  for _ in $(seq 200); do
    wid=$(xwininfo -root -children 2>/dev/null | awk -v t="\"$title\":" '$0 ~ t && !/has no name/ {print $1; exit}')
    [ -n "$wid" ] && xwininfo -id "$wid" 2>/dev/null | grep -q 'IsViewable' && { echo "$wid"; return 0; }
    kill -0 "$show_pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

# The window may close on the press; the release then goes to the server, or it would hold the key.
press() {
  xdotool windowfocus --sync "$1" 2>/dev/null || true
  xdotool key --window "$1" "$2" 2>/dev/null || true
  xdotool keyup "$2"
}

wait_exit() {
  for _ in $(seq 200); do kill -0 "$show_pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$show_pid" 2>/dev/null && fail "the show did not end after Escape"
  local status=0
  wait "$show_pid" || status=$?
  show_pid=""
  [ "$status" -eq 0 ] || fail "the show ended with status $status"
}

# Starts the command in folder $1, answers the dialog with Return, waits for the show's window.
dialog_then_show() {
  local dir=$1; shift
  err="$work/stderr.txt"
  (cd "$dir" && exec "$@") >/dev/null 2>"$err" &
  show_pid=$!
  dialog=$(window_titled "Swirlbeam - Configuration") || fail "no settings dialog appeared"
  press "$dialog" Return
}

show_window() {
  for _ in $(seq 300); do
    wid=$(xdotool search --pid "$show_pid" 2>/dev/null | head -n 1) && [ -n "$wid" ] && { echo "$wid"; return 0; }
    kill -0 "$show_pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

if [ "${1:-}" = "--installed" ]; then
  start_display
  export HOME="$work/home" SDL_AUDIODRIVER=dummy
  mkdir -p "$HOME"
  # The menu entry's command, found as in a Debian session, whose PATH has the games folders.
  command=$(sed -n 's/^Exec=//p' /usr/share/applications/swirlbeam.desktop 2>/dev/null)
  launcher=$(PATH="$PATH:/usr/local/games:/usr/games" command -v "${command:-swirlbeam-play}") ||
    fail "the menu entry's command is not on a session's PATH: ${command:-no menu entry}"
  dialog_then_show "$HOME" "$launcher"
  wid=$(show_window) || fail "no show window after the dialog"
  press "$wid" Escape
  wait_exit
  [ -s "$HOME/.local/share/swirlbeam/config.dat" ] || fail "the launcher made no show folder"
  say "installed launcher: dialog, show window and Escape passed"
  exit 0
fi

build=$(cd "${1:?usage: smoke.sh BUILD_DIR | --installed}" && pwd)
for f in config.dat texture.jpg smoke.jpg logo.jpg logo2.jpg web.jpg thanks.jpg music.dat \
  strike.wav swirlbeam.wav thanks.wav; do
  [ -s "$build/media/$f" ] || fail "the media maker made no $build/media/$f"
done
say "default media present"

SDL_VIDEODRIVER=offscreen "$build/tools/capture/swirlbeam-capture" --media "$build/media" \
  --size 320x240 --from 6000 --frames 3 --png "$work/frames" 2>"$work/capture.txt" ||
  fail "capture: $(tail -n 3 "$work/capture.txt")"
[ "$(ls "$work/frames" | wc -l)" -eq 3 ] || fail "capture wrote $(ls "$work/frames" | wc -l) frames, not 3"
say "three frames captured"

start_display
export SDL_AUDIODRIVER=dummy
show="$work/show"
mkdir -p "$show"
cp "$build/media/"* "$show/"

write_settings "$show/config.dat" 0 320 240
dialog_then_show "$show" "$build/swirlbeam"
wid=$(show_window) || fail "no show window after the dialog"
press "$wid" Escape
wait_exit
say "settings dialog, show window and Escape passed"

# Xvfb offers only its screen size, so 640x480 full screen is refused and the question comes.
write_settings "$show/config.dat" 1 640 480
dialog_then_show "$show" "$build/swirlbeam"
box=$(window_titled "Swirlbeam") || fail "the full-screen question never appeared"
press "$box" Return
wid=$(show_window) || fail "no show window after answering Yes"
press "$wid" Escape
wait_exit
grep -q "answered Yes" "$err" || fail "the question was not answered Yes"
say "full-screen question seen and answered Yes"
