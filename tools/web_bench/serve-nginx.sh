#!/usr/bin/env bash
# Serves the built site with Debian's nginx as a user, with tools/web_bench/nginx.conf, until
# stopped.  bash tools/web_bench/serve-nginx.sh [SITE] [PORT]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(realpath "${1:-build-web/site}")
port=${2:-8641}
bash "$here/../../scripts/install-deps.sh" nginx
temp=$(mktemp -d)
trap 'rm -rf "$temp"' EXIT
sed -e "s|@ROOT@|$root|" -e "s|@PORT@|$port|" -e "s|@TEMP@|$temp|g" "$here/nginx.conf" \
  >"$temp/nginx.conf"
echo "serve-nginx: http://127.0.0.1:$port/" >&2
nginx -p "$temp" -c "$temp/nginx.conf" -e stderr
