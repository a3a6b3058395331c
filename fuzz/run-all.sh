#!/usr/bin/env bash
# Runs every fuzz target in turn for SECONDS each and prints its figures; fails on a finding.
#   fuzz/run-all.sh SECONDS
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:?seconds}
mkdir -p build-fuzz
for target in settings jpeg sound; do
  echo "== fuzzing $target for $seconds s"
  log=build-fuzz/$target.log
  status=0
  bash fuzz/run.sh "$target" "$seconds" >"$log" 2>&1 || status=$?
  if [ "$status" -ne 0 ]; then
    tail -n 80 "$log"
    if [ "$status" -eq 3 ]; then
      echo "fuzz/run-all.sh: the $target target does not build" >&2
    else
      echo "fuzz/run-all.sh: $target found a fault; the input is in build-fuzz/findings/$target" >&2
    fi
    exit 1
  fi
  grep -E '^#[0-9]+[[:space:]]+(INITED|DONE)|^stat::(number_of_executed_units|peak_rss_mb|new_units_added)' "$log"
done
