#!/usr/bin/env bash
# Lints and type-checks the page's scripts, then builds the browser site and tests it in Debian's
# Chromium (headless), Firefox and WebKitGTK (on a virtual X display), in real time, against the
# desktop build in build/ (its capture tool and media). Run after scripts/test.sh has built it:
#   bash scripts/ci/test-web.sh
set -euo pipefail
cd "$(dirname "$0")/../.."

[ -x build/tools/capture/swirlbeam-capture ] ||
  { echo "test-web.sh: no desktop build in build/ (scripts/test.sh makes it)" >&2; exit 1; }
bash scripts/ci/lint-web.sh
bash scripts/web.sh --build-only
# axe-core from npm, at its pinned version, for the accessibility checks.
SWIRLBEAM_AXE=$(bash scripts/lib/axe-core.sh)
export SWIRLBEAM_AXE
# Debian's selenium and pytest, whatever python3 comes first on PATH.
SWIRLBEAM_SITE=build-web/site SWIRLBEAM_BUILD=build xvfb-run -a -s "-screen 0 1280x1024x24" \
  /usr/bin/python3 -m pytest -q -p no:cacheprovider --durations=0 tests/web
