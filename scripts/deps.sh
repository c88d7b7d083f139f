#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Scrivlet needs.
# Safe to run again: packages already present are skipped.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev libxkbcommon-dev
  libqscintilla2-qt6-dev
  libsqlite3-dev libtinyxml-dev zlib1g-dev
  universal-ctags libvterm-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth
  libxml2-utils unrtf qpdf poppler-utils
  clang
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
