#!/usr/bin/env bash
# Installs what is missing, builds, and starts the editor with the given files.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$here/scripts/deps.sh"
"$here/scripts/build.sh" --target scrivlet marlin data_files
build="${SCRIVLET_BUILD_DIR:-$here/build}"
exec "$build/bin/scrivlet" "$@"
