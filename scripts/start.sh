#!/usr/bin/env bash
# Builds the program and starts it against its built-in simulated transmitter.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup-deps.sh
cmake --preset release
cmake --build --preset release -j "$(nproc)" --target veld-konf veld-cli veld-sim
exec ./build/release/src/app/veld-konf --simulator "$@"
