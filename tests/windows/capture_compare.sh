#!/usr/bin/env bash
# swirlbeam-capture.exe under Wine against the Linux build's swirlbeam-capture, on the same media,
# seed and size: every 50th frame of the whole show (the contact sheet's frame of each stage 0..9
# among them) must be the same pixel for pixel, and the traces and soundtracks the same byte for
# byte. The Windows tool writes into a folder named in UTF-8 beyond ASCII. Then --video where no
# ffmpeg.exe is found: the one-line message and status 1; and with FFMPEG_DOUBLE.EXE beside it as
# ffmpeg.exe and ffprobe.exe (tests/windows/ffmpeg_double.cpp), every frame's bytes through the
# pipe, the mux and the check, into a folder whose name has a space; a failing ffmpeg's last line.
#   bash tests/windows/capture_compare.sh CAPTURE.EXE LINUX_BUILD MEDIA WINEPREFIX FFMPEG_DOUBLE.EXE
# Exits 77 (skipped) when LINUX_BUILD holds no Linux capture tool.
set -euo pipefail
exe=$(realpath "$1")
double=$(realpath "$5")
linux=${2:+$2/tools/capture/swirlbeam-capture}
media=$3
export WINEPREFIX=$4 WINEDEBUG=-all
if [ -z "$linux" ] || [ ! -x "$linux" ]; then
  echo "capture_compare: skipped: no Linux swirlbeam-capture (configure with" \
    "-DSWIRLBEAM_LINUX_BUILD=the Linux build folder, as scripts/windows.sh does)"
  exit 77
fi
# Wine draws through an X server's GLX: one of its own, of a depth that has one.
[ -n "${CAPTURE_COMPARE_X:-}" ] ||
  CAPTURE_COMPARE_X=1 exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" bash "$0" "$@"
wine=/usr/lib/wine/wine64

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "capture_compare: $*" >&2
  exit 1
}
cp -r "$media" "$work/media"
cd "$work"
args=(--media media --size 320x240 --seed 41 --every 50)
outputs() {
  echo --png "$1/png" --trace "$1/trace.jsonl" --audio "$1/sound.wav" --contact-sheet "$1/sheet.png"
}
win=windows-Grüße-例え
mkdir linux "$win"
SECONDS=0
# shellcheck disable=SC2046
"$linux" "${args[@]}" $(outputs linux) >linux/out.txt 2>&1 &
linux_pid=$!
# shellcheck disable=SC2046
"$wine" "$exe" "${args[@]}" $(outputs "$win") >"$win/out.txt" 2>&1 ||
  fail "swirlbeam-capture.exe failed: $(tr -d '\r' <"$win/out.txt")"
wait "$linux_pid" || fail "the Linux swirlbeam-capture failed: $(cat linux/out.txt)"
took=$SECONDS

# Every picture: its bytes, or where the two compressors part, its pixels.
count=0
for picture in linux/png/frame-*.png linux/sheet.png; do
  other=$win/${picture#linux/}
  [ -f "$other" ] || fail "swirlbeam-capture.exe wrote no $other"
  count=$((count + 1))
  cmp -s "$picture" "$other" && continue
  differing=$(compare -metric AE "$picture" "$other" null: 2>&1) ||
    fail "$other: $differing pixels differ from Linux's (greatest difference in a channel:" \
      "$(compare -metric PAE "$picture" "$other" null: 2>&1 || true))"
done
[ "$(find "$win/png" -name 'frame-*.png' | wc -l)" = "$(find linux/png -name 'frame-*.png' | wc -l)" ] ||
  fail "the two wrote different numbers of frames"
stages=$(grep -o '"stage":[0-9]*' linux/trace.jsonl | sort -u | wc -l)
[ "$stages" = 10 ] || fail "the frames compared cover $stages stages, not 10"
if ! cmp -s linux/trace.jsonl "$win/trace.jsonl"; then
  fail "the traces differ, first at: $(diff linux/trace.jsonl "$win/trace.jsonl" | head -n 3)"
fi
if ! cmp -s linux/sound.wav "$win/sound.wav"; then
  fail "the soundtracks differ in $(cmp -l linux/sound.wav "$win/sound.wav" | wc -l) of" \
    "$(stat -c %s linux/sound.wav) bytes"
fi

# Wine's PATH has no ffmpeg.exe, nor has the program's folder.
status=0
"$wine" "$exe" --media media --size 320x240 --frames 1 --video show.mp4 >refusal.txt 2>&1 ||
  status=$?
message=$(tr -d '\r' <refusal.txt)
[ "$status" = 1 ] || fail "--video without ffmpeg.exe ended with status $status, not 1: $message"
[ "$message" = "swirlbeam-capture: --video needs ffmpeg.exe and ffprobe.exe, which are neither\
 beside swirlbeam-capture.exe nor on PATH (https://ffmpeg.org/download.html)" ] ||
  fail "--video without ffmpeg.exe said: $message"
[ ! -e show.mp4 ] || fail "--video without ffmpeg.exe left show.mp4"

# ffmpeg.exe and ffprobe.exe beside the program.
mkdir beside "video é"
cp "$exe" beside/
cp "$double" beside/ffmpeg.exe
cp "$double" beside/ffprobe.exe
video=(--media media --size 64x48 --from 2500 --frames 30)
"$wine" beside/swirlbeam-capture.exe "${video[@]}" --video "video é/v.mp4" --audio "video é/v.wav" \
  >video.txt 2>&1 || fail "--video with the double failed: $(tr -d '\r' <video.txt)"
[ "$(cat "video é/v.mp4")" = "$(printf 'video,30\naudio,1')" ] ||
  fail "--video gave the double $(tr '\n' ' ' <"video é/v.mp4"), not 30 whole frames and the sound"
[ "$(ls "video é")" = "$(printf 'v.mp4\nv.wav')" ] || fail "--video left $(ls "video é")"
status=0
"$wine" beside/swirlbeam-capture.exe "${video[@]}" --video "video é/fail.mp4" >failed.txt 2>&1 ||
  status=$?
message=$(tr -d '\r' <failed.txt)
[ "$status" = 1 ] || fail "a failing ffmpeg.exe ended the capture with status $status, not 1"
case $message in
  *"no space left on the double's disk") ;;
  *) fail "a failing ffmpeg.exe's last line is not in the message: $message" ;;
esac
[ "$(ls "video é")" = "$(printf 'v.mp4\nv.wav')" ] || fail "a failed --video left $(ls "video é")"

echo "capture_compare: passed: $count pictures, the trace ($(wc -l <linux/trace.jsonl) lines)" \
  "and the soundtrack ($(stat -c %s linux/sound.wav) bytes) the same (both captures in ${took} s);" \
  "--video refused without ffmpeg.exe, through the double beside it, and its failure reported"
