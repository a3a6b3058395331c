#!/usr/bin/env bash
# Builds Swirlbeam for the browser into build-web/site/ (index.html, the program's .js, .wasm and
# .data with the default media) and serves it on 127.0.0.1 only, printing the address.
#   bash scripts/web.sh [--build-only] [--port N]
# --build-only leaves the folder for any static web host. The libraries for the web are built
# once from Debian's sources and cached (scripts/lib/web-libs.sh); the default media come from the
# desktop build's media maker.
set -euo pipefail
cd "$(dirname "$0")/.."

serve=1
port=8640
while [ $# -gt 0 ]; do
  case $1 in
    --build-only) serve=0 ;;
    --port) port=${2:?--port wants a number}; shift ;;
    *) echo "web.sh: unknown option: $1" >&2; exit 2 ;;
  esac
  shift
done

bash scripts/install-deps.sh
# The media maker is a desktop program: the default media are made as for the desktop.
cmake -S . -B build >/dev/null
cmake --build build -j "$(nproc)" --target media
mkdir -p build-web/defaults
cp build/media/{texture,smoke,logo,logo2,web,thanks}.jpg build/media/{strike,swirlbeam,thanks}.wav \
  build/media/music.dat build/default-settings/config.dat build-web/defaults/

prefix=$(bash scripts/lib/web-libs.sh | tail -n 1)
# shellcheck source=scripts/lib/web-env.sh
source scripts/lib/web-env.sh
emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=Release -DSWIRLBEAM_WEB_LIBS="$prefix" \
  -DSWIRLBEAM_WEB_MEDIA="$PWD/build-web/defaults" >/dev/null
cmake --build build-web -j "$(nproc)"
echo "web.sh: the site is in $PWD/build-web/site" >&2

[ "$serve" -eq 1 ] || exit 0
echo "Swirlbeam is at http://127.0.0.1:$port/ (Ctrl+C stops the server)"
exec python3 -m http.server --bind 127.0.0.1 --directory build-web/site "$port"
