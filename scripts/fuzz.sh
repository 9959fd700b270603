#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, address and undefined-behaviour sanitizers) in
# build/fuzz and runs each one for a fixed time, starting from the seeds in
# tests/fuzz/corpus/<target>/. New inputs go to build/fuzz/corpus/<target>/, crashes
# to build/fuzz/artifacts/; the seed folders in the repository are never written.
#
# usage: bash scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]
#   default 30 seconds, every target (each tests/fuzz/<name>_fuzz.cpp).
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ROOT"

SECONDS_PER_TARGET=${1:-30}
shift || true
if ! [[ "$SECONDS_PER_TARGET" =~ ^[0-9]+$ ]] || ((SECONDS_PER_TARGET == 0)); then
  echo "usage: bash scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]" >&2
  exit 2
fi
TARGETS=("$@")
if ((${#TARGETS[@]} == 0)); then
  for source in "$ROOT"/tests/fuzz/*_fuzz.cpp; do
    name=${source##*/}
    TARGETS+=("${name%.cpp}")
  done
fi

BUILD_DIR=${NORVIK_BUILD_DIR:-$ROOT/build}/fuzz
bash "$ROOT/scripts/install-deps.sh"

echo "building ${TARGETS[*]} in $BUILD_DIR"
cmake -S "$ROOT" -B "$BUILD_DIR" -DNORVIK_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ </dev/null >/dev/null
cmake --build "$BUILD_DIR" --target "${TARGETS[@]}" -j "$(nproc)" </dev/null

passed=0
failed=0
for target in "${TARGETS[@]}"; do
  seeds="$ROOT/tests/fuzz/corpus/$target"
  work="$BUILD_DIR/corpus/$target"
  artifacts="$BUILD_DIR/artifacts/$target/"
  log="$BUILD_DIR/$target.log"
  mkdir -p "$work" "$artifacts"
  args=(-max_total_time="$SECONDS_PER_TARGET" -timeout=10 -rss_limit_mb=2048 -max_len=65536
        -print_final_stats=1 -artifact_prefix="$artifacts")
  dict="$ROOT/tests/fuzz/$target.dict"
  [[ -f "$dict" ]] && args+=(-dict="$dict")

  echo "fuzzing $target for ${SECONDS_PER_TARGET}s (log: $log)"
  # The first folder receives new inputs; the seeds are only read.
  if "$BUILD_DIR/tests/fuzz/$target" "${args[@]}" "$work" "$seeds" </dev/null >"$log" 2>&1; then
    grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' "$log" | sed 's/^/  /' || true
    echo "  corpus: $(find "$work" -type f | wc -l) inputs"
    echo "PASSED: $target"
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: $target found a problem; the input that shows it is under $artifacts"
    tail -n 40 "$log"
  fi
done

# Read by scripts/test.sh.
echo "fuzz targets: $passed passed, $failed failed"
if ((failed)); then
  exit 1
fi
echo "fuzzing finished: no crash, leak or hang in ${TARGETS[*]}"
