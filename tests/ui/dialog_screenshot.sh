#!/usr/bin/env bash
# Takes docs/dialog.png: the settings dialog as it opens on the test fixtures' config.dat, under
# Xvfb. Usage: bash tests/ui/dialog_screenshot.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=$(realpath "${1:-build}")
out=$(pwd)/docs/dialog.png
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT

"$build/tests/make_fixture_media" "$folder"
xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" bash -c '
  cd "$1"
  SDL_AUDIODRIVER=dummy "$2" >/dev/null 2>&1 &
  pid=$!
  wid=$(timeout 30 xdotool search --sync --onlyvisible --name "^Swirlbeam - Configuration$")
  xdotool windowfocus --sync "$wid"
  sleep 0.5
  import -window "$wid" "$3"
  kill -TERM "$pid"
  wait "$pid"
' screenshot "$folder" "$build/swirlbeam" "$out"
echo "wrote $out"
