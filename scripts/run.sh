#!/usr/bin/env bash
# Builds Swirlbeam and plays the show in run/, on the project's default media.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build >/dev/null
cmake --build build -j "$(nproc)"

mkdir -p run
if [ -d build/media ]; then
  cp -n build/media/* run/ 2>/dev/null || true
else
  build/tests/make_fixture_media run
fi
cd run && exec ../build/swirlbeam
