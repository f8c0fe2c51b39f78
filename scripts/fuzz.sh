#!/usr/bin/env bash
# Builds the fuzz targets with clang under AddressSanitizer and UndefinedBehaviorSanitizer and
# runs each for a bounded time (VELD_FUZZ_SECONDS, default 60) on a copy of its corpus, so the
# repository's corpus stays small. Fails when any target finds a crash, a leak, a time-out or a
# broken property; the input that did it is kept in build/fuzz/findings/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${VELD_FUZZ_SECONDS:-60}"
build=build/fuzz
targets=(reply_decoder link config_file point_file)

launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
fi

start=$(date +%s)
CC=clang-14 CXX=clang++-14 cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVELD_FUZZ=ON -DVELD_BUILD_TESTS=OFF -DVELD_BUILD_BENCH=OFF -DVELD_BUILD_UI=OFF \
  "${launcher[@]}" >/dev/null
cmake --build "$build" -j 2 --target veld_fuzzers
echo "fuzz: built in $(($(date +%s) - start)) s"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"

failed=()
summary=()
for target in "${targets[@]}"; do
  work="$build/corpus/$target"
  findings="$build/findings/$target"
  log="$build/$target.log"
  rm -rf "$work" "$findings"
  mkdir -p "$work" "$findings"
  cp fuzz/corpus/"$target"/* "$work"/
  echo "== fuzz: $target for $seconds s"
  dict=()
  [ -f "fuzz/$target.dict" ] && dict=(-dict="fuzz/$target.dict")
  status=0
  "$build/fuzz/${target}_fuzz" "$work" "${dict[@]}" -max_total_time="$seconds" -timeout=5 \
    -rss_limit_mb=2048 -max_len=8192 -print_final_stats=1 -artifact_prefix="$findings/" \
    >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  if [ "$status" -ne 0 ] || [ -z "$runs" ]; then
    failed+=("$target")
    summary+=("$target: FAILED (exit $status), see $log and $findings")
    grep -E "property broken|ERROR: |SUMMARY: |runtime error" "$log" | head -n 20 >&2 || true
  else
    summary+=("$target: $runs executions, $rate per second")
  fi
done

echo "== fuzz: results after $(($(date +%s) - start)) s"
printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: findings in ${failed[*]}" >&2
  exit 1
fi
