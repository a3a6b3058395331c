#!/usr/bin/env bash
# Builds the browser site and tests it in Debian's headless Chromium, in real time, against the
# desktop build in build/ (its capture tool and media). Run after scripts/test.sh has built it:
#   bash scripts/ci/test-web.sh
set -euo pipefail
cd "$(dirname "$0")/../.."

[ -x build/tools/capture/swirlbeam-capture ] ||
  { echo "test-web.sh: no desktop build in build/ (scripts/test.sh makes it)" >&2; exit 1; }
bash scripts/web.sh --build-only
# Debian's selenium and pytest, whatever python3 comes first on PATH.
SWIRLBEAM_SITE=build-web/site SWIRLBEAM_BUILD=build \
  /usr/bin/python3 -m pytest -q -p no:cacheprovider tests/web
