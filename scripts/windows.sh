#!/usr/bin/env bash
# Builds Swirlbeam for 64-bit Windows with Debian's MinGW-w64 into build-win/: swirlbeam.exe,
# swirlbeam-capture.exe and the zip that carries them with the default media,
# swirlbeam-<version>-windows-x64.zip.
#   bash scripts/windows.sh [CMAKE_OPTION...]     e.g. -DSWIRLBEAM_WERROR=ON
# The libraries are built once from Debian's sources and cached (scripts/lib/windows-libs.sh); the
# default media come from the desktop build's media maker. Programs and tests run under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
# The media maker is a desktop program: the default media are made as for the desktop. The Linux
# capture and sound-check tools are what the Windows tests compare with.
cmake -S . -B build >/dev/null
cmake --build build -j "$(nproc)" --target media swirlbeam-capture swirlbeam-sound-check

prefix=$(bash scripts/lib/windows-libs.sh | tail -n 1)
bash scripts/lib/wine-prefix.sh "$(dirname "$prefix")/wine"
cmake -S . -B build-win -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DSWIRLBEAM_WINDOWS_PREFIX="$prefix" \
  -DSWIRLBEAM_WINEPREFIX="$(dirname "$prefix")/wine" -DSWIRLBEAM_MEDIA="$PWD/build/media" \
  -DSWIRLBEAM_DEFAULT_SETTINGS="$PWD/build/default-settings/config.dat" \
  -DSWIRLBEAM_LINUX_BUILD="$PWD/build" "$@" >/dev/null
cmake --build build-win -j "$(nproc)"
cmake --build build-win --target windows-zip
echo "windows.sh: the zip is $(ls "$PWD"/build-win/swirlbeam-*-windows-x64.zip)" >&2
