#!/bin/bash
# Installs what is missing, builds every preset and runs every test.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash tools/setup.sh
jobs="$(nproc)"
for preset in native native-asan native-fuzz windows-x64 windows-x86 web; do
  echo "=== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs"
done
