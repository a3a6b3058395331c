#!/usr/bin/env bash
# Installs what Swirlbeam needs to build, run and test, from Debian 12's packages; only what is
# missing. Given package names, installs those instead (scripts/lib/web-libs.sh does).
#   bash scripts/install-deps.sh [PACKAGE...]
set -euo pipefail

packages=(
  build-essential cmake pkg-config clang-format
  libsdl2-dev libsdl2-mixer-dev libpulse-dev libasound2-dev libopenmpt-dev libturbojpeg0-dev
  libglu1-mesa-dev libgl-dev
  libfltk1.3-dev libxrandr-dev libgtest-dev libcairo2-dev libfontconfig-dev libpng-dev
  libgl1-mesa-dri xvfb xauth xdotool x11-utils x11-xserver-utils
  xserver-xorg-core xserver-xorg-video-dummy openbox fonts-dejavu-core imagemagick espeak-ng
  weston xwayland ffmpeg
  pulseaudio pulseaudio-utils pipewire pipewire-pulse wireplumber dbus-daemon
  clang libclang-rt-14-dev valgrind
  desktop-file-utils appstream man-db dpkg-dev file
  chromium chromium-driver python3-selenium python3-pytest python3-pil
  firefox-esr webkit2gtk-driver python3-websocket
)
[ $# -gt 0 ] && packages=("$@")

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
