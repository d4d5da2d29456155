#!/usr/bin/env bash
# Installs what is missing, builds a release build of the program alone, stages the program folder
# (build/release/program) and starts Crunchwise from it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh program
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DCRUNCHWISE_BUILD_TESTS=OFF >/dev/null
cmake --build build/release -j"$(nproc)"

program=build/release/program/crunchwise
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "crunchwise: no display found (set DISPLAY, or start Xvfb :99 and use DISPLAY=:99); built $program"
    exit 1
fi
exec "$program"
