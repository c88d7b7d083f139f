#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test on the
# offscreen Qt platform. Exits non-zero when anything fails.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$here/scripts/deps.sh"
"$here/scripts/build.sh"
build="${SCRIVLET_BUILD_DIR:-$here/build}"
export QT_QPA_PLATFORM=offscreen
cd "$build"
ctest --output-on-failure -j2 "$@"
