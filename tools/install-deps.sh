#!/usr/bin/env bash
# Installs every build and test dependency of Calixo from Debian's packages.
# Quick when everything is already there.
set -euo pipefail
packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libjpeg62-turbo-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libshp-dev
  liberfa-dev
  libxcb-shape0-dev libx11-xcb-dev libxcb-damage0-dev libfontconfig-dev
  xvfb xauth x11-utils xdotool imagemagick faketime
  libcanberra-dev sound-theme-freedesktop python3-dbusmock dbus-daemon libglib2.0-bin
  dbus-x11 fcitx5 fcitx5-chinese-addons fcitx5-frontend-qt6
  fonts-wqy-microhei fonts-dejavu-core fonts-urw-base35
  python3 python3-icu python3-lunardate python3-ephem python3-gi gir1.2-lunardate-3.0
  libkf5holidays5 python3-workalendar
  clang-14 libclang-rt-14-dev
  dpkg-dev lintian appstream desktop-file-utils
  libical-dev python3-icalendar
  qtkeychain-qt6-dev radicale python3-caldav curl
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y "${missing[@]}"
