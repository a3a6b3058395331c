#!/usr/bin/env bash
# The Windows show's sound under Wine, on a headless PulseAudio of its own (a null sink "ci" in a
# private runtime folder, found as a desktop session's is): the sink's monitor is recorded over
# the show's first 54 s, music and the cue at 50 s, and held against the off-line soundtrack as
# the desktop's sound server test does: two thirds of the music-only quarter seconds without a
# gap within -60 dB, the cue within 50 ms of where the music around it has it.
#   bash tests/windows/sound_e2e.sh ZIP WINEPREFIX CAPTURE_TOOL SOUND_CHECK_TOOL MEDIA
# CAPTURE_TOOL and SOUND_CHECK_TOOL are the desktop build's swirlbeam-capture and
# swirlbeam-sound-check. Exits 77 (skipped) without them or PulseAudio, or where Wine does not
# reach the server.
set -euo pipefail
zip=$(realpath "$1")
export WINEPREFIX=$2
capture=$3 check=$4 media=$5
[ -n "${DISPLAY:-}" ] || exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" bash "$0" "$@"
name=sound_e2e
# shellcheck source=tests/windows/lib.sh
source "$(dirname "$0")/lib.sh"

skip() {
  echo "$name: skipped: $*"
  exit 77
}
for tool in pulseaudio pactl parecord; do
  command -v "$tool" >/dev/null || skip "needs $tool (pulseaudio, pulseaudio-utils)"
done
if [ ! -x "$capture" ] || [ ! -x "$check" ]; then
  skip "needs the desktop build's swirlbeam-capture and swirlbeam-sound-check ($capture, $check)"
fi

work=$(mktemp -d)
server='' recorder=''
trap 'kill $server $recorder 2>/dev/null; wait
  "$wineserver" -k 2>/dev/null || true; rm -rf "$work"' EXIT
unset PULSE_SERVER
export XDG_RUNTIME_DIR=$work/run
mkdir -m 700 "$XDG_RUNTIME_DIR"
pulseaudio --daemonize=no --exit-idle-time=-1 --disallow-exit --use-pid-file=no -n \
  --load="module-null-sink sink_name=ci" --load=module-native-protocol-unix >"$work/pa.log" 2>&1 &
server=$!
for _ in $(seq 200); do
  pactl info 2>/dev/null | grep -q 'Default Sink: ci' && break
  sleep 0.05
done
pactl info 2>/dev/null | grep -q 'Default Sink: ci' ||
  fail "PulseAudio did not start: $(cat "$work/pa.log")"

# The off-line soundtrack of the first 56 s, and the same with the cues silent: from the media
# with each WAV's sound data zeroed.
mkdir "$work/music"
cp "$media"/* "$work/music/"
for cue in strike swirlbeam thanks; do
  wav=$work/music/$cue.wav
  at=$(grep -obUa -m1 data "$media/$cue.wav" | head -n1 | cut -d: -f1)
  head -c $((at + 8)) "$media/$cue.wav" >"$wav"
  tail -c +$((at + 9)) "$media/$cue.wav" | LC_ALL=C tr -c '\000' '\000' >>"$wav"
done
reference() {
  "$capture" --media "$1" --size 64x48 --from 0 --frames 5600 --audio "$work/$2.wav" >/dev/null ||
    fail "the capture tool could not make $2.wav"
}
reference "$media" soundtrack
reference "$work/music" music

unpack "$zip" "$work/zip"
out=$work/program.out
write_settings 0 1 400 300
parecord -d ci.monitor --rate=44100 --channels=2 --format=s16le --file-format=wav \
  "$work/recording.wav" &
recorder=$!
start Return
show=$(window Swirlbeam 60) || fail "no show window: $(cat "$out")"
sleep 5
pactl list clients | grep -q 'application.process.binary = "wine64"' ||
  skip "Wine did not reach the test's PulseAudio (no client of it there)"
pactl list sink-inputs | grep -q 'application.name = "Swirlbeam"' ||
  fail "the show plays no stream into the test's PulseAudio: $(cat "$out")"
sleep 49
kill -INT "$recorder" # parecord then completes the WAV header
wait "$recorder" || true
recorder=''
press "$show" Escape
ended
[ "$status" = 0 ] || fail "Escape ended the show with status $status, not 0"

"$check" "$work/soundtrack.wav" "$work/music.wav" "$work/recording.wav" --windows >"$work/match"
# Music-only windows without a gap ("12.25 s: lag 148600, -66.4 dB"), and those within -60 dB.
read -r clean matching < <(awk '/ dB$/ { n++; if ($5 + 0 < -60) m++ } END { print n + 0, m + 0 }' \
  "$work/match")
cues=$(grep '^cue at' "$work/match" || true)
figures="$matching of $clean music-only quarter seconds without a gap within -60 dB; \
$(grep '^gaps' "$work/match"); ${cues:-no cue}"
[ "$clean" -ge 2 ] || fail "too few stretches without a gap to compare: $figures"
[ $((matching * 3)) -ge $((clean * 2)) ] || fail "the recording does not match: $figures"
[ -n "$cues" ] || fail "the cue at 50 s was not heard with music around it: $figures"
# A cue with no gap near it sits where the soundtrack has it, within 50 ms.
awk '/^cue at/ && !/gap/ { ms = $8 + 0; if (ms <= -50 || ms >= 50) bad = 1 } END { exit bad }' \
  "$work/match" || fail "a cue is off the music: $figures"
echo "$name: passed ($figures)"
