#!/usr/bin/env bash
# Installs the Debian packages the project needs, when any is missing.
set -euo pipefail
PACKAGES=(
  build-essential cmake ninja-build pkg-config
  libboost-thread-dev libboost-system-dev libboost-filesystem-dev libboost-program-options-dev
  libgoogle-glog-dev libgtest-dev libgmock-dev
  libavutil-dev libavcodec-dev libavformat-dev libswscale-dev
  # FFmpeg's libraries themselves, which the framework opens at run time.
  libavutil57 libavcodec59 libavformat59 libswscale6
  libopencv-dev libexiv2-dev zlib1g-dev
  qt6-base-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools qt6-translations-l10n libgl-dev
  libxcb1-dev xvfb xauth xdotool x11-apps desktop-file-utils python3
)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
