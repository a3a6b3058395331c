#!/usr/bin/env bash
# Gaps in the sound against the output's buffer size: plays 25 s of the show (two cues) into a
# private PulseAudio server's null sink with each buffer size, idle and beside two busy loops,
# records the sink and prints what swirlbeam-sound-check finds.
#   bash tools/sound_check/buffer_bench.sh BUILD_DIR [BUFFER...]   (default 1024 2048 4096)
# Needs pulseaudio and pulseaudio-utils. Takes about 40 s per run, six runs by default.
set -euo pipefail

build=$(cd "${1:?usage: buffer_bench.sh BUILD_DIR [BUFFER...]}" && pwd)
shift
buffers=("$@")
[ ${#buffers[@]} -gt 0 ] || buffers=(1024 2048 4096)
from=13300 frames=2500  # 133 s to 158 s: the cues at 135 s and 156 s, music between
capture=$build/tools/capture/swirlbeam-capture
check=$build/tools/sound_check/swirlbeam-sound-check

work=$(mktemp -d)
pids=()
cleanup() {
  set +e
  for pid in "${pids[@]}"; do kill -9 "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

export XDG_RUNTIME_DIR=$work/run
mkdir -m 700 "$XDG_RUNTIME_DIR"
pulseaudio --daemonize=no --exit-idle-time=-1 --disallow-exit --use-pid-file=no -n \
  --load="module-null-sink sink_name=bench" --load=module-native-protocol-unix \
  >"$work/server.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.05; done
pactl info >/dev/null || { echo "buffer_bench: pulseaudio did not start" >&2; exit 1; }

# The off-line soundtrack of the stretch, and the same with silent cues.
cp -r "$build/media" "$work/media"
cp -r "$build/media" "$work/music"
for cue in strike swirlbeam thanks; do
  python3 - "$work/media/$cue.wav" "$work/music/$cue.wav" <<'EOF'
import sys, wave
src = wave.open(sys.argv[1])
out = wave.open(sys.argv[2], "w")
out.setparams(src.getparams())
out.writeframes(bytes(src.getnframes() * src.getsampwidth() * src.getnchannels()))
out.close()
EOF
done
"$capture" --media "$work/media" --size 64x48 --from $from --frames $frames --audio "$work/soundtrack.wav"
"$capture" --media "$work/music" --size 64x48 --from $from --frames $frames --audio "$work/music.wav"

run() {  # BUFFER LOAD
  local buffer=$1 load=$2 busy=()
  for _ in $(seq "$load"); do
    sh -c 'while :; do :; done' &
    busy+=($!)
  done
  parecord -d bench.monitor --rate=44100 --channels=2 --format=s16le --file-format=wav \
    "$work/recording.wav" &
  local recorder=$!
  env -u SDL_AUDIODRIVER "$capture" --media "$work/media" --size 320x240 --from $from \
    --frames $frames --play --buffer "$buffer" >/dev/null
  kill -INT "$recorder"
  wait "$recorder" || true
  if [ ${#busy[@]} -gt 0 ]; then
    kill "${busy[@]}"
    wait "${busy[@]}" 2>/dev/null || true
  fi
  echo "== buffer $buffer frames, $load busy loops, load average $(cut -d' ' -f1 /proc/loadavg)"
  "$check" "$work/soundtrack.wav" "$work/music.wav" "$work/recording.wav"
}

for load in 0 2; do
  for buffer in "${buffers[@]}"; do run "$buffer" "$load"; done
done
