#!/usr/bin/env bash
# The package from an existing build, in a minimal fresh Debian 12 root: installed alone, so that
# nothing the X test tools bring can stand in for its dependencies; then the installed menu
# launcher under Xvfb (scripts/ci/smoke.sh --installed), and lintian there: any error or warning fails.
# scripts/ci/check-fresh.sh checks the same from nothing, with a fresh build; this one takes about a
# minute. Run as root, with mmdebstrap.
# Usage: scripts/ci/check-package.sh [BUILD_DIR] (default: build, configured and built)
#        scripts/ci/check-package.sh --deb FILE (a package made already)
set -euo pipefail
cd "$(dirname "$0")/../.."
me=check-package

[ "$(id -u)" -eq 0 ] || { echo "$me: must run as root (mmdebstrap, chroot): $0" >&2; exit 1; }
command -v mmdebstrap > /dev/null || { echo "$me: mmdebstrap is not installed" >&2; exit 1; }
if [ "${1:-}" = "--deb" ]; then
  debs=("${2:?usage: check-package.sh --deb FILE}")
  [ -f "${debs[0]}" ] || { echo "$me: no such package: ${debs[0]}" >&2; exit 1; }
else
  build=${1:-build}
  bash scripts/package.sh "$build"
  debs=("$build"/swirlbeam_*.deb)
fi

inside=$(mktemp)
trap 'rm -f "$inside"' EXIT
cat > "$inside" <<'INSIDE'
set -eu
fail() { echo "check-package: $*" >&2; tail -n 20 /tmp/apt.log >&2; exit 1; }
export DEBIAN_FRONTEND=noninteractive
cd /tmp
{ apt-get update -qq && apt-get install -y -qq --no-install-recommends ./swirlbeam_*.deb; } \
  > apt.log 2>&1 || fail "the package does not install with its dependencies"
# What the binaries do not link but open at run time: libGL and Mesa's GLX (SDL), a font (the
# dialog and message boxes).
ldconfig -p | grep -q 'libGL\.so\.1 ' || fail "libGL.so.1, which SDL opens, did not come with it"
ldconfig -p | grep -q 'libGLX_mesa\.so\.0 ' || fail "Mesa's GLX did not come with it"
[ -n "$(find /usr/share/fonts -name '*.ttf' | head -n 1)" ] || fail "no font came with it"
apt-get install -y -qq --no-install-recommends xvfb xauth xdotool x11-utils > apt.log 2>&1 ||
  fail "the X test tools do not install"
bash /tmp/smoke.sh --installed
# Debian 12's lintian: any error or warning fails; the one override allowed is the placeholder
# maintainer address's, where lintian finds it (Maintainer field, changelog signature).
apt-get install -y -qq --no-install-recommends lintian > apt.log 2>&1 || fail "lintian does not install"
lintian --fail-on none --show-overrides ./swirlbeam_*.deb > lintian.txt 2> lintian.err ||
  { cat lintian.err >&2; fail "lintian did not run"; }
sed 's/^/check-package: lintian: /' lintian.txt >&2
if grep -E '^[EWOX]: ' lintian.txt |
  grep -qvE '^O: swirlbeam: bogus-mail-host(-in-debian-changelog)? (Maintainer )?[^ ]+@invalid( |$)'; then
  echo "check-package: lintian found more than the placeholder maintainer address (above)" >&2
  exit 1
fi
INSIDE

start=$(date +%s)
mmdebstrap --quiet --variant=apt --aptopt='Acquire::Retries "3"' \
  --customize-hook="copy-in ${debs[0]} scripts/ci/smoke.sh $inside /tmp" \
  --customize-hook="chroot \"\$1\" sh /tmp/$(basename "$inside")" \
  bookworm /dev/null || { echo "$me: FAILED in the fresh root (see above)" >&2; exit 1; }
echo "$me: passed in $(($(date +%s) - start)) s"
