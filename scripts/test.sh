#!/usr/bin/env bash
# Builds and runs every test twice: a debug build with AddressSanitizer and
# UndefinedBehaviorSanitizer, and an optimized build as released (some warnings only show with
# optimization). Both builds treat warnings as errors; both test runs go to the end, and so do the
# Windows build of the libraries, fuzzing and the package check after them; the script fails if
# any had a failure.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup-deps.sh
export QT_QPA_PLATFORM=offscreen
jobs=2

failed=()
for preset in dev ci; do
  echo "== $preset: configure and build"
  cmake --preset "$preset"
  cmake --build --preset "$preset" -j "$jobs"
  echo "== $preset: test"
  ctest --preset "$preset" || failed+=("$preset")
done

echo "== mingw: the standard-library layers built for Windows"
./scripts/mingw-check.sh || failed+=("mingw")
echo "== fuzz: each target for a bounded time under AddressSanitizer and UndefinedBehaviorSanitizer"
./scripts/fuzz.sh || failed+=("fuzz")
echo "== package: the Debian package of the release build, its contents and its programs unpacked"
./scripts/package-check.sh || failed+=("package")

if [ ${#failed[@]} -gt 0 ]; then
  echo "Tests failed in: ${failed[*]}" >&2
  exit 1
fi
echo "All tests passed in the dev and ci builds, the Windows build of the libraries, fuzzing and"\
  "the package."
