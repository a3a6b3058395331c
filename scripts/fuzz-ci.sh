#!/usr/bin/env bash
# The brief fuzz runs of the test suite: each libFuzzer target for about a minute (FUZZ_SECONDS),
# from the committed seeds plus what earlier runs here found. Longer runs: fuzz/run.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
bash fuzz/run-all.sh "${FUZZ_SECONDS:-60}"
