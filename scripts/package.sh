#!/usr/bin/env bash
# Builds the three programs in the release preset, their manual pages and icons, and the Debian
# package build/package/veld_<version>_<arch>.deb (CPack; dependencies found by dpkg-shlibdeps).
# Prints the package's path last.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup-deps.sh

launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
fi
# Only what the package holds is built: the benchmarks of the release preset are not, neither
# here nor by CPack, whose install step would otherwise build everything first.
cmake --preset release -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON "${launcher[@]}" >/dev/null
cmake --build --preset release -j "$(nproc)" --target veld-konf veld-cli veld-sim veld_data
rm -f build/package/veld_*.deb
cpack --preset release >/dev/null
ls build/package/veld_*.deb
