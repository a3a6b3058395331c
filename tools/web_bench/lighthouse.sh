#!/usr/bin/env bash
# Lighthouse's four scores for the page on the mobile preset, served by nginx as
# tools/web_bench/nginx.conf sets it up. Lighthouse comes from npm at a fixed version, kept in
# ~/.cache/swirlbeam/lighthouse; Chromium is Debian's. Writes the full report beside the scores.
#   bash tools/web_bench/lighthouse.sh [SITE] [REPORT.json]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
site=${1:-build-web/site}
out=${2:-${TMPDIR:-/tmp}/swirlbeam-lighthouse.json}
version=12.2.3
# A free port: other runs may be serving at the same time.
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')

bash "$here/../../scripts/install-deps.sh" chromium nginx
cache=${XDG_CACHE_HOME:-$HOME/.cache}/swirlbeam/lighthouse
if [ "$(cat "$cache/version" 2>/dev/null)" != "$version" ]; then
  npm install --prefix "$cache" --no-audit --no-fund --save-exact "lighthouse@$version" >&2
  echo "$version" >"$cache/version"
fi

setsid bash "$here/serve-nginx.sh" "$site" "$port" 2>/dev/null &
server=$!
trap 'kill -- -$server 2>/dev/null || true' EXIT
for _ in $(seq 50); do curl -sfo /dev/null "http://127.0.0.1:$port/" && break; sleep 0.1; done

CHROME_PATH=/usr/bin/chromium "$cache/node_modules/.bin/lighthouse" \
  "http://127.0.0.1:$port/index.html" --quiet --output=json --output-path="$out" \
  --chrome-flags="--headless=new --no-sandbox" --form-factor=mobile \
  --only-categories=performance,accessibility,best-practices,seo
node -e '
  const r = require(process.argv[1]);
  for (const c of Object.values(r.categories))
    console.log(`${c.title}: ${Math.round(c.score * 100)}`);
  for (const id of ["first-contentful-paint", "largest-contentful-paint", "total-blocking-time",
                    "cumulative-layout-shift", "speed-index"])
    console.log(`  ${r.audits[id].title}: ${r.audits[id].displayValue}`);' "$out"
echo "lighthouse.sh: the full report is $out" >&2
