#!/usr/bin/env bash
# Builds the benchmarks and runs each one, printing its figures.
# Usage: scripts/bench.sh [name...]   (names are bench/*.cpp without .cpp)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$here/scripts/deps.sh"
build="${SCRIVLET_BUILD_DIR:-$here/build}"
names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for f in "$here"/bench/*.cpp; do names+=("$(basename "${f%.cpp}")"); done
fi
"$here/scripts/build.sh" --target "${names[@]}" data_files
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
for n in "${names[@]}"; do
  echo "== $n"
  "$build/bench/$n"
done
