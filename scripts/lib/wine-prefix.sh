#!/usr/bin/env bash
# Makes the Wine prefix that the Windows build's checks and tests run in, unless it is there: the
# prefix lives on between builds, as making one takes a while.
#   bash scripts/lib/wine-prefix.sh PREFIX
set -euo pipefail
prefix=${1:?usage: wine-prefix.sh PREFIX}
[ -f "$prefix/system.reg" ] && exit 0
echo "wine-prefix: making the Wine prefix $prefix" >&2
rm -rf "$prefix"
# No Mono or Gecko: nothing here is .NET or HTML, and both would be downloaded.
WINEDEBUG=-all WINEPREFIX=$prefix WINEDLLOVERRIDES="mscoree,mshtml=" \
  /usr/lib/wine/wine64 wineboot -i
/usr/lib/wine/wineserver -w
