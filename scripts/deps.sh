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
)

# Extra packages for one script (the fuzz script asks for clang) come as arguments.
PACKAGES+=("$@")

# One dpkg-query for all names: those not reported as installed are missing.
installed=$(dpkg-query -W -f='${Package} ${Status}\n' "${PACKAGES[@]}" 2>/dev/null \
  | awk '$NF == "installed" {print $1}' || true)
missing=()
for p in "${PACKAGES[@]}"; do
  if ! grep -qx "$p" <<<"$installed"; then
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
