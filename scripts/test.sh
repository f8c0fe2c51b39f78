#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup-deps.sh
export QT_QPA_PLATFORM=offscreen
cmake --preset dev
cmake --build --preset dev -j "$(nproc)"
ctest --preset dev
