#!/usr/bin/env bash
# Builds the language-configuration fuzz target with clang's libFuzzer and
# runs it. Usage: scripts/fuzz-config.sh [seconds]   (default 120)
# New inputs go to a scratch folder; the small seed corpus in
# tests/fuzz/corpus stays as it is.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$here/scripts/deps.sh" clang
seconds="${1:-120}"
out="${SCRIVLET_BUILD_DIR:-$here/build}/fuzz"
mkdir -p "$out/corpus"
clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I"$here/src" \
  "$here/tests/fuzz/config_fuzz.cpp" "$here"/src/config/PropSetFile.cpp \
  "$here"/src/config/LanguageConfig.cpp "$here"/src/config/StyleSpec.cpp \
  -o "$out/config_fuzz"
"$out/config_fuzz" -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
  "$out/corpus" "$here/tests/fuzz/corpus"
