#!/usr/bin/env bash
# Installs npm's ESLint and TypeScript at fixed versions into ~/.cache/swirlbeam/js-tools, once, and
# prints that folder, whose node_modules scripts/ci/lint-web.sh checks the page's scripts with.
#   bash scripts/lib/js-tools.sh
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# ESLint 9, not 10: Debian 12's Node.js is 18, which ESLint 10 no longer runs on.
packages=(eslint@9.39.5 @eslint/js@9.39.5 globals@17.15.0 typescript@5.9.3)

command -v npm >/dev/null || bash "$here/../install-deps.sh" npm >&2
cache=${XDG_CACHE_HOME:-$HOME/.cache}/swirlbeam/js-tools
if [ "$(cat "$cache/version" 2>/dev/null)" != "${packages[*]}" ] ||
   [ ! -x "$cache/node_modules/.bin/eslint" ] || [ ! -x "$cache/node_modules/.bin/tsc" ]; then
  npm install --prefix "$cache" --no-audit --no-fund --save-exact "${packages[@]}" >&2
  echo "${packages[*]}" >"$cache/version"
fi
echo "$cache"
