#!/usr/bin/env bash
# Installs what building, running and testing need on Debian 12. Idempotent and
# quiet when everything is already there.
set -euo pipefail

PKGS=(
  cmake ninja-build ccache g++ pkg-config clang libclang-rt-dev clang-format
  qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev qt6-translations-l10n
  libqt6multimedia6 gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  gstreamer1.0-libav gstreamer1.0-alsa
  libqt6opengl6-dev libgl-dev libxkbcommon-dev libxcb1-dev
  libjpeg62-turbo-dev libzip-dev libxlsxwriter-dev libexpat1-dev libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool x11-apps x11-utils imagemagick
  fonts-noto-cjk fonts-wqy-microhei fonts-wqy-zenhei
  dpkg-dev file desktop-file-utils appstream libxml2-utils librsvg2-bin lintian man-db
  x11-xserver-utils zbar-tools libfreexl-dev libqrencode-dev qt6-httpserver-dev qt6-websockets-dev
)

missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
