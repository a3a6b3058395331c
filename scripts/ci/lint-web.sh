#!/usr/bin/env bash
# Lints the page's scripts with ESLint (eslint.config.js) and type-checks them with TypeScript's
# checker over their JSDoc (web/tsconfig.json, and web/tsconfig.workers.json for the service
# worker and the loader's workers), the inline scripts of web/index.html included. Tools from npm
# at pinned versions.
#   bash scripts/ci/lint-web.sh
set -euo pipefail
cd "$(dirname "$0")/../.."
tools=$(bash scripts/lib/js-tools.sh)/node_modules
export NODE_PATH=$tools  # eslint.config.js requires its packages from there

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# index.html's inline scripts, each line where it stands and the rest blank, so that a finding
# names the page's own line. A script opened and closed on one line would go unchecked: refused.
awk '/<script>/ && !/^[[:space:]]*<script>[[:space:]]*$/ {
       print "lint-web.sh: index.html:" NR ": put an inline script'\''s tags on lines of their own" >"/dev/stderr"
       exit 1 }
     /<\/script>/ { inline = 0 }
     { print inline ? $0 : "" }
     /<script>/ { inline = 1 }' web/index.html >"$work/index.html.js"

status=0
"$tools/.bin/eslint" --max-warnings 0 web eslint.config.js || status=1
"$tools/.bin/eslint" --max-warnings 0 --stdin --stdin-filename web/index.html.js \
  <"$work/index.html.js" || status=1
# The page's scripts and index.html's together, as the page runs them, in one program.
cat >"$work/tsconfig.json" <<JSON
{"extends": "$PWD/web/tsconfig.json",
 "include": ["$PWD/web/*.js", "$PWD/web/*.d.ts", "index.html.js"], "exclude": ["$PWD/web/sw.js", "$PWD/web/*_worker.js"]}
JSON
"$tools/.bin/tsc" -p "$work/tsconfig.json" | sed "s|^[^(]*index\.html\.js|web/index.html|" ||
  status=1
"$tools/.bin/tsc" -p web/tsconfig.workers.json || status=1
[ "$status" -eq 0 ] && echo "lint-web.sh: the page's scripts pass ESLint and the type check"
exit "$status"
