#!/usr/bin/env bash
# Installs npm's axe-core at a fixed version into ~/.cache/swirlbeam/axe-core, once, and prints the
# path of its axe.min.js, which the browser tests load into the page to check its accessibility.
#   bash scripts/lib/axe-core.sh
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
version=4.10.3

command -v npm >/dev/null || bash "$here/../install-deps.sh" npm >&2
cache=${XDG_CACHE_HOME:-$HOME/.cache}/swirlbeam/axe-core
script=$cache/node_modules/axe-core/axe.min.js
if [ "$(cat "$cache/version" 2>/dev/null)" != "$version" ] || [ ! -s "$script" ]; then
  npm install --prefix "$cache" --no-audit --no-fund --save-exact "axe-core@$version" >&2
  echo "$version" >"$cache/version"
fi
echo "$script"
