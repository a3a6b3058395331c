#!/usr/bin/env bash
# Gaps in the sound and the cues against the music: plays 25 s of the show (two cues) into a
# private sound server's null sink with each buffer size, idle and beside two busy loops,
# records the sink and prints what swirlbeam-sound-check finds.
#   bash tools/sound_check/buffer_bench.sh BUILD_DIR [BUFFER...]   (default 1024 2048 4096)
# Variables choose the rest:
#   SERVER=pulseaudio|pipewire   RATE=44100|48000 (PipeWire's graph)   LOADS="0 2" (busy loops)
#   DRIVER=pipewire: SDL's own PipeWire driver (by default SDL's choice: PulseAudio's protocol)
#   OUTAGE=30: the server killed 5 s in and started again that many seconds later; the stretch
#   then runs from 88 s to 158 s (the cues at 90 s, 135 s and 156 s) and the recording after the
#   outage is the one checked.
# Needs pulseaudio and pulseaudio-utils (and pipewire, pipewire-pulse, wireplumber). Takes about
# 40 s per run, six runs by default.
set -euo pipefail

build=$(cd "${1:?usage: buffer_bench.sh BUILD_DIR [BUFFER...]}" && pwd)
shift
buffers=("$@")
[ ${#buffers[@]} -gt 0 ] || buffers=(1024 2048 4096)
server=${SERVER:-pulseaudio} rate=${RATE:-44100} driver=${DRIVER:-} outage=${OUTAGE:-0}
from=13300 frames=2500  # 133 s to 158 s: the cues at 135 s and 156 s, music between
if [ "$outage" -gt 0 ]; then from=8800 frames=7000; fi
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

export XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/conf
mkdir -m 700 "$XDG_RUNTIME_DIR"
mkdir -p "$XDG_CONFIG_HOME/pipewire/pipewire.conf.d"
printf '%s\n' \
  "context.properties = { default.clock.rate = $rate default.clock.allowed-rates = [ $rate ] }" \
  "context.objects = [ { factory = adapter args = { factory.name = support.null-audio-sink" \
  "  node.name = bench media.class = Audio/Sink object.linger = true" \
  "  audio.position = [ FL FR ] audio.rate = $rate } } ]" \
  >"$XDG_CONFIG_HOME/pipewire/pipewire.conf.d/bench.conf"

server_pids=()
start_server() {
  if [ "$server" = pipewire ]; then
    # WirePlumber, which links streams to the sink, needs a session bus.
    dbus-run-session -- sh -c 'pipewire & echo $! >"$XDG_RUNTIME_DIR/pids"
      for i in $(seq 200); do [ -S "$XDG_RUNTIME_DIR/pipewire-0" ] && break; sleep 0.05; done
      wireplumber & echo $! >>"$XDG_RUNTIME_DIR/pids"
      pipewire-pulse & echo $! >>"$XDG_RUNTIME_DIR/pids"; wait' >>"$work/server.log" 2>&1 &
  else
    pulseaudio --daemonize=no --exit-idle-time=-1 --disallow-exit --use-pid-file=no -n \
      --load="module-null-sink sink_name=bench" --load=module-native-protocol-unix \
      >>"$work/server.log" 2>&1 &
    echo $! >"$XDG_RUNTIME_DIR/pids"
  fi
  for _ in $(seq 200); do
    pactl info 2>/dev/null | grep -q 'Default Sink: bench' && break
    sleep 0.05
  done
  pactl info | grep -q 'Default Sink: bench' || { echo "buffer_bench: no $server" >&2; exit 1; }
  mapfile -t server_pids <"$XDG_RUNTIME_DIR/pids"
  pids+=("${server_pids[@]}")
}
stop_server() {
  kill -9 "${server_pids[@]}" 2>/dev/null || true
  sleep 0.5
}
record() {  # FILE; sets recorder
  # Through PipeWire parecord hands on a second at a time, and loses the last when stopped.
  local latency=()
  if [ "$server" = pipewire ]; then latency=(--latency-msec=50); fi
  parecord -d bench.monitor --rate=44100 --channels=2 --format=s16le --file-format=wav \
    "${latency[@]}" "$1" &
  recorder=$!
}
stop_recording() {
  kill -INT "$recorder"
  wait "$recorder" || true
}
start_server

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
  local buffer=$1 load=$2 busy=() recorder
  for _ in $(seq "$load"); do
    sh -c 'while :; do :; done' &
    busy+=($!)
  done
  record "$work/recording.wav"
  env -u SDL_AUDIODRIVER ${driver:+SDL_AUDIODRIVER=$driver} "$capture" --media "$work/media" \
    --size 320x240 --from $from --frames $frames --play --buffer "$buffer" >"$work/show.out" &
  local show=$!
  if [ "$outage" -gt 0 ]; then
    until grep -q 'playing from frame' "$work/show.out"; do sleep 0.05; done
    sleep 5  # the stretch's first cue
    stop_recording  # first: parecord loses its last second when its server dies
    stop_server
    sleep "$outage"
    start_server
    record "$work/recording.wav"
  fi
  wait "$show"
  stop_recording
  if [ ${#busy[@]} -gt 0 ]; then
    kill "${busy[@]}"
    wait "${busy[@]}" 2>/dev/null || true
  fi
  echo "== $server${driver:+ (SDL driver $driver)} at $rate Hz, buffer $buffer frames," \
    "$load busy loops, ${outage} s outage, load average $(cut -d' ' -f1 /proc/loadavg)"
  "$check" "$work/soundtrack.wav" "$work/music.wav" "$work/recording.wav"
}

for load in ${LOADS:-0 2}; do
  for buffer in "${buffers[@]}"; do run "$buffer" "$load"; done
done
