#!/usr/bin/env bash
# Builds the standard-library layers (mathematics, link codec, model) for 64-bit Windows with
# MinGW-w64, warnings as errors, and links a small program that states the numeric assumptions
# (80-bit long double). Nothing is run: this only catches code that builds on Linux alone.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/mingw
if ! command -v x86_64-w64-mingw32-g++ >/dev/null; then
  echo "MinGW-w64 is missing: install g++-mingw-w64-x86-64 (scripts/setup-deps.sh does)" >&2
  exit 1
fi
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release \
  -DVELD_LIBS_ONLY=ON -DVELD_WERROR=ON >/dev/null
cmake --build "$build" -j "${JOBS:-2}" --target veld_libs_only_check
echo "MinGW-w64: veld_lin, veld_link_codec and veld_model built for Windows"
