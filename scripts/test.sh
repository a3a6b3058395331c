#!/usr/bin/env bash
# Builds Swirlbeam twice (plain with warnings as errors, and with ASan+UBSan) and runs the whole
# test suite headless under Xvfb with Mesa's software OpenGL. The real display-mode tests start an
# Xorg server of their own (dummy driver, installed by install-deps.sh). Then the browser build is
# tested in Chromium, Firefox and WebKitGTK, and the Windows build under Wine.
#   bash scripts/test.sh            everything, as CI runs it
#   bash scripts/test.sh --quick    the plain build's unit tests alone, for everyday work: no
#                                   end-to-end, hardening or install cases, no browsers, no root
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)
if [ "${1:-}" = --quick ]; then
  cmake -S . -B build -DSWIRLBEAM_WERROR=ON >/dev/null
  cmake --build build -j "$jobs"
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
    ctest --test-dir build --output-on-failure -j "$jobs" -LE '^(e2e|hardening|install)$'
fi

bash scripts/install-deps.sh

# The Windows build's libraries take about ten minutes to build the first time: they build beside
# the suites, at the lowest priority, on what the suites leave of the cores.
# Their packages come first, so that no two package installs run at once.
bash scripts/lib/windows-libs.sh --packages-only
mkdir -p build-win
setsid -w nice -n 19 bash scripts/lib/windows-libs.sh >build-win/libraries.log 2>&1 &
windows_libs=$!
trap 'kill -- -$windows_libs 2>/dev/null || true' EXIT

run_suite() {
  local dir=$1; shift
  cmake -S . -B "$dir" -DSWIRLBEAM_WERROR=ON "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  # One X server for the whole suite; tests that need no display remove DISPLAY themselves.
  # -noreset: by default the server resets whenever its last client leaves, and drops every
  # connection made meanwhile (a window, a dialog or an xdotool key then goes missing).
  # ci/ctest.sh names every skipped test and every test that passed only on a retry.
  xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
    bash scripts/ci/ctest.sh "$dir" -j "$jobs"
}

run_suite build
ASAN_OPTIONS=detect_leaks=0 run_suite build-asan -DSWIRLBEAM_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug

# The browser build, in the three browser engines, against the plain build.
bash scripts/ci/test-web.sh

# The Windows build under Wine, once its libraries are there.
wait "$windows_libs" || { tail -n 30 build-win/libraries.log >&2; exit 1; }
bash scripts/ci/test-windows.sh

# Fuzz targets (libFuzzer, clang), a minute each (FUZZ_SECONDS); longer runs: fuzz/run.sh.
bash fuzz/run-all.sh "${FUZZ_SECONDS:-60}"
