#!/usr/bin/env bash
# Installs the Debian packages the build needs, if any is missing (the last line: the icons, the
# Debian package and the checks of its menu entry and metainfo).
set -euo pipefail
packages=(
  g++ cmake make pkg-config
  qt6-base-dev qt6-serialport-dev qt6-charts-dev libqt6opengl6-dev libgl1-mesa-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  xvfb xauth clang-format qt6-translations-l10n
  clang-14 libclang-rt-14-dev g++-mingw-w64-x86-64
  librsvg2-bin dpkg-dev file desktop-file-utils appstream
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
