#!/usr/bin/env bash
# Sets up a Debian machine, builds both presets and runs every test suite:
#   1. native tests (g++, against the simulated Windows);
#   2. the Windows test binary (mingw-w64) under Wine, in a throw-away prefix.
# Ends with one line "N passed, N failed" over both suites; exits non-zero when a
# build fails, a suite fails or no test ran at all.
#
# NORVIK_BUILD_DIR   build root (default: <repo>/build; the presets' folders live under it)
# NORVIK_WINE_TIMEOUT seconds the Windows tests may take (default 900)
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ROOT"
source "$ROOT/scripts/lib/wine-prefix.sh"

BUILD_ROOT=${NORVIK_BUILD_DIR:-$ROOT/build}
JOBS=$(nproc)
WINE_TIMEOUT=${NORVIK_WINE_TIMEOUT:-900}
START=$SECONDS
LOG_DIR=$(mktemp -d /tmp/norvik-test-logs-XXXXXX)
WINE_ROOT=""

# shellcheck disable=SC2317  # called by the EXIT trap
cleanup() {
  if [[ -n "$WINE_ROOT" ]]; then
    norvik_wine_stop
    rm -rf "$WINE_ROOT"
  fi
  norvik_xvfb_stop
  rm -rf "$LOG_DIR"
}
trap cleanup EXIT

section() { printf '\n==== %s ====\n' "$*"; }

# Builds a preset into $BUILD_ROOT/<preset>. Returns non-zero on failure.
build_preset() {
  local preset=$1 dir="$BUILD_ROOT/$1"
  section "build $preset"
  cmake --preset "$preset" -B "$dir" </dev/null && cmake --build "$dir" -j "$JOBS" </dev/null
}

# count_results LOG EXIT_CODE: prints "passed failed" from a googletest log.
# Without gtest's closing lines (a crash or a time-out) the finished tests are
# counted one by one and the broken run counts as one more failure.
count_results() {
  local log=$1 rc=$2 passed failed
  passed=$(sed -n 's/^\[  PASSED  \] \([0-9][0-9]*\) tests\{0,1\}\..*/\1/p' "$log" | tail -n 1)
  failed=$(sed -n 's/^\[  FAILED  \] \([0-9][0-9]*\) tests\{0,1\}, listed below.*/\1/p' "$log" | tail -n 1)
  if [[ -z "$passed" ]]; then
    passed=$(grep -c '^\[       OK \]' "$log" || true)
    failed=$(grep -c '^\[  FAILED  \] .* ([0-9]* ms)$' "$log" || true)
  fi
  failed=${failed:-0}
  if [[ "$rc" -ne 0 && "$failed" -eq 0 ]]; then
    failed=1
  fi
  echo "$passed $failed"
}

# run_suite NAME LOG COMMAND...: runs a gtest binary, shows its output, records counts.
declare -A PASSED FAILED STATE
run_suite() {
  local name=$1 log=$2 rc=0
  shift 2
  set +e
  "$@" --gtest_color=no </dev/null 2>&1 | sed -u 's/\r$//' | tee "$log"
  rc=${PIPESTATUS[0]}
  set -e
  local counts
  counts=$(count_results "$log" "$rc")
  PASSED[$name]=${counts% *}
  FAILED[$name]=${counts#* }
  if [[ "$rc" -eq 124 || "$rc" -eq 137 ]]; then
    STATE[$name]="timed out"
  elif [[ "$rc" -ne 0 || "${FAILED[$name]}" -ne 0 ]]; then
    STATE[$name]="failed (exit $rc)"
  elif [[ "${PASSED[$name]}" -eq 0 ]]; then
    STATE[$name]="no test ran"
  else
    STATE[$name]="ok"
  fi
}

for suite in native wine; do
  PASSED[$suite]=0
  FAILED[$suite]=0
  STATE[$suite]="not run"
done

section "dependencies"
bash "$ROOT/scripts/install-deps.sh"
echo "all build and test packages present"

# --- native: g++ against the simulated Windows ---
if build_preset native; then
  section "native tests"
  run_suite native "$LOG_DIR/native.log" "$BUILD_ROOT/native/tests/norvik_tests"
else
  STATE[native]="build failed"
fi

# --- Windows build, run under Wine ---
if build_preset win64; then
  section "wine tests"
  WINE_ROOT=$(mktemp -d /tmp/norvik-wine-XXXXXX)
  norvik_wine_env "$WINE_ROOT/prefix" "$WINE_ROOT/home"
  # Always a virtual display of our own, even on a desktop: windows the tests open
  # (the folder picker now, the main window later) must not land on the user's screen.
  if norvik_xvfb_start && norvik_wine_init; then
    dest=$(norvik_wine_install "$BUILD_ROOT/win64/tests/norvik_wine_tests.exe")
    pushd "$dest" >/dev/null
    run_suite wine "$LOG_DIR/wine.log" \
      timeout --kill-after=10 "$WINE_TIMEOUT" wine norvik_wine_tests.exe
    popd >/dev/null
  else
    STATE[wine]="virtual display or prefix set-up failed"
  fi

  # GUI smoke tests under Xvfb go here: they reuse this prefix, start the program on
  # a virtual display, check control texts and save screenshots under build/.

  norvik_wine_stop
fi

section "summary"
total_passed=$((PASSED[native] + PASSED[wine]))
total_failed=$((FAILED[native] + FAILED[wine]))
printf 'native tests: %s passed, %s failed (%s)\n' "${PASSED[native]}" "${FAILED[native]}" "${STATE[native]}"
printf 'wine tests:   %s passed, %s failed (%s)\n' "${PASSED[wine]}" "${FAILED[wine]}" "${STATE[wine]}"
elapsed=$((SECONDS - START))
printf 'time: %dm%02ds\n' $((elapsed / 60)) $((elapsed % 60))

status=0
for suite in native wine; do
  [[ "${STATE[$suite]}" == ok ]] || status=1
done
if ((total_passed + total_failed == 0)); then
  echo "no test ran"
  status=1
fi
echo "$total_passed passed, $total_failed failed"
exit "$status"
