#!/usr/bin/env bash
# Makes the Debian package from a configured and built tree, with CPack:
# BUILD_DIR/swirlbeam_VERSION_ARCH.deb. Usage: scripts/package.sh [BUILD_DIR] (default: build)
# SWIRLBEAM_MAINTAINER="Name <address>" sets the Maintainer field and the changelog's signature
# (default: the project's placeholder, swirlbeam@invalid, which the package's lintian override names).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

rm -f "$build"/swirlbeam_*.deb
maintainer=()
[ -z "${SWIRLBEAM_MAINTAINER:-}" ] || maintainer=(-D "CPACK_DEBIAN_PACKAGE_MAINTAINER=$SWIRLBEAM_MAINTAINER")
(cd "$build" && cpack -G DEB "${maintainer[@]}" > cpack.log 2>&1) || {
  echo "package: cpack failed: $build/cpack.log" >&2; tail -n 20 "$build/cpack.log" >&2; exit 1; }
debs=("$build"/swirlbeam_*.deb)
[ -f "${debs[0]}" ] || { echo "package: cpack made no package: $build" >&2; exit 1; }
echo "package: ${debs[0]}, $(stat -c %s "${debs[0]}") bytes"
echo "package: Depends: $(dpkg-deb -f "${debs[0]}" Depends)"
