#!/usr/bin/env bash
# Installs the Debian packages that the build and the tests need, when they are missing.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config ccache
  qt6-base-dev libqt6opengl6-dev libxcb1-dev
  libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri
  xvfb xauth fonts-dejavu-core
  fonts-dejavu-extra xdotool
  libgtest-dev libgmock-dev libbenchmark-dev
  libzip-dev libexpat1-dev libisal-dev libxlsxwriter-dev libfast-float-dev
  libreoffice-calc libreoffice-dev python3-uno
  lintian desktop-file-utils appstream shared-mime-info libglib2.0-bin xdg-utils
  clang libclang-rt-14-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
