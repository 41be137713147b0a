#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Quorlix needs.
# Does nothing when they are all present already.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-positioning-dev
  nlohmann-json3-dev libsodium-dev libicu-dev libfontconfig-dev libcanberra-dev libcanberra-pulse libpulse-dev
  pulseaudio pulseaudio-utils
  libgtest-dev libgmock-dev libbenchmark-dev locales-all
  fonts-inter fonts-quicksand fonts-jetbrains-mono fonts-material-design-icons-iconfont
  fonts-noto-core fonts-noto-cjk fonts-noto-color-emoji
  xvfb xauth xcompmgr xdotool x11-apps x11-utils scrot dbus trayer
  libxcb-xinput-dev libxcb-xfixes0-dev libxcb-record0-dev
  weston xwayland gnome-shell libgtk-3-dev xdg-utils libglib2.0-bin
  libudev-dev libglib2.0-dev gsettings-desktop-schemas
  libxcb1-dev libxcb-shape0-dev
  zlib1g-dev libecal2.0-dev evolution-data-server
  libarchive-dev openssl
  clang libclang-rt-14-dev clang-tidy
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
