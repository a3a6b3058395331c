#!/usr/bin/env bash
# Builds the Windows program and its zip (scripts/windows.sh, warnings as errors) and runs their
# tests under Wine (tests/windows/), against the desktop build in build/ (its media, and its capture
# tool to compare with). Run after scripts/test.sh has built it:
#   bash scripts/ci/test-windows.sh
set -euo pipefail
cd "$(dirname "$0")/../.."

[ -x build/tools/capture/swirlbeam-capture ] ||
  { echo "test-windows.sh: no desktop build in build/ (scripts/test.sh makes it)" >&2; exit 1; }
bash scripts/windows.sh -DSWIRLBEAM_WERROR=ON
# Tests that need an X server of another kind start their own.
xvfb-run -a -s "-screen 0 1920x1200x24 -noreset" bash scripts/ci/ctest.sh build-win
