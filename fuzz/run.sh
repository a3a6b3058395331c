#!/usr/bin/env bash
# Builds the fuzz targets with clang into build-fuzz and runs one of them.
#   fuzz/run.sh TARGET SECONDS [extra libFuzzer options]     TARGET: settings, jpeg or sound
# The working corpus grows in build-fuzz/corpus/TARGET, seeded from fuzz/corpus/TARGET and, when
# the main build has made them, from the small files of build/media. A finding is kept in
# build-fuzz/findings/TARGET and ends the script with a non-zero status.
set -euo pipefail
cd "$(dirname "$0")/.."

target=${1:?target: settings, jpeg or sound}
seconds=${2:?seconds}
shift 2
leak_check=1
case $target in
  settings) max_len=64 ;;
  jpeg) max_len=65536 ;;
  # Songs and samples are kept in batches, so a per-input leak check would scan the heap after
  # every input; leaks still show in the check at exit.
  sound) max_len=65536 leak_check=0 ;;
  *) echo "unknown target: $target" >&2; exit 2 ;;
esac

if [ ! -f build-fuzz/CMakeCache.txt ]; then
  CC=clang CXX=clang++ cmake -S fuzz -B build-fuzz >/dev/null
fi
if ! cmake --build build-fuzz -j2 --target "${target}_fuzz" >build-fuzz/$target.build.log 2>&1; then
  cat build-fuzz/$target.build.log >&2
  echo "fuzz/run.sh: the $target target does not build" >&2
  exit 3
fi

corpus=build-fuzz/corpus/$target
findings=build-fuzz/findings/$target
mkdir -p "$corpus" "$findings"
cp -n fuzz/corpus/"$target"/* "$corpus"/
seed_media() {  # small files of the project's own media, by kind
  [ -d build/media ] || return 0
  find build/media -maxdepth 1 -type f -size -64k -name "$1" -exec cp -n {} "$corpus"/ \;
}
case $target in
  jpeg) seed_media '*.jpg' ;;
  sound) seed_media '*.wav' ;;
esac

options=(-max_total_time="$seconds" -max_len="$max_len" -timeout=30 -rss_limit_mb=2560
  -detect_leaks="$leak_check" -print_final_stats=1 -artifact_prefix="$findings"/)
[ -f fuzz/"$target".dict ] && options+=(-dict=fuzz/"$target".dict)

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export SDL_AUDIODRIVER=dummy
status=0
build-fuzz/"${target}_fuzz" "${options[@]}" "$@" "$corpus" &
pid=$!
wait "$pid" || status=$?
rm -f /dev/shm/swirlbeam-fuzz-*-"$pid" /tmp/swirlbeam-fuzz-*-"$pid"  # left when a finding ends it
exit "$status"
