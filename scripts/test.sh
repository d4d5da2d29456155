#!/usr/bin/env bash
# Installs what is missing, builds everything (with tests and the sanitizer
# fuzz target) and runs every test headless through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build/test -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/test -j"$(nproc)"

export QT_QPA_PLATFORM=offscreen
cd build/test
ctest --output-on-failure -j"$(nproc)" "$@"
