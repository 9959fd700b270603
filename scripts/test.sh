#!/usr/bin/env bash
# Sets up a Debian machine, builds the presets and runs every test suite:
#   1. native tests (g++, against the simulated Windows);
#   2. the same native tests built with AddressSanitizer and UndefinedBehaviorSanitizer
#      (preset "sanitize"), leak checking on: any sanitizer report fails the run;
#   3. every libFuzzer target (clang) for a short fixed time on its seeds
#      (scripts/fuzz.sh): a crash, leak or hang fails the run and leaves the input that
#      shows it under build/fuzz/artifacts/;
#   4. the Windows test binary (mingw-w64) under Wine, in a throw-away prefix;
#   5. the GUI tests: norvik.exe driven from another process, in the same prefix and on
#      the same virtual display; their screenshots end up as PNG in build/screenshots/gui/.
#      Among them the release packages (scripts/package.sh, made before the suite): the
#      installer installed, upgraded by a newer package and removed, the zip unpacked and run.
# Ends with one line "N passed, N failed" over all suites; exits non-zero when a
# build fails, a suite fails or no test ran at all.
#
# NORVIK_BUILD_DIR    build root (default: <repo>/build; the presets' folders live under it)
# NORVIK_WINE_TIMEOUT seconds the Windows tests may take (default 900)
# NORVIK_GUI_TIMEOUT  seconds the GUI tests may take (default 1200)
# NORVIK_FUZZ_SECONDS seconds each fuzz target runs (default 20)
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ROOT"
source "$ROOT/scripts/lib/wine-prefix.sh"

BUILD_ROOT=${NORVIK_BUILD_DIR:-$ROOT/build}
JOBS=$(nproc)
WINE_TIMEOUT=${NORVIK_WINE_TIMEOUT:-900}
GUI_TIMEOUT=${NORVIK_GUI_TIMEOUT:-1200}
FUZZ_SECONDS=${NORVIK_FUZZ_SECONDS:-20}
SUITES=(native sanitize fuzz wine gui)
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
  cmake --preset "$preset" -B "$dir" -DNORVIK_SQLITE_DIR="$SQLITE_DIR" </dev/null &&
    cmake --build "$dir" -j "$JOBS" </dev/null
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

for suite in "${SUITES[@]}"; do
  PASSED[$suite]=0
  FAILED[$suite]=0
  STATE[$suite]="not run"
done

# The sanitizer build of the native tests. A report ends the test binary with a non-zero
# exit; the log is searched as well, so a report that did not end it still fails the suite.
run_sanitize_suite() {
  local log="$LOG_DIR/sanitize.log"
  ASAN_OPTIONS=detect_leaks=1 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    run_suite sanitize "$log" "$BUILD_ROOT/sanitize/tests/norvik_tests"
  if grep -q -E 'ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:' "$log"; then
    STATE[sanitize]="sanitizer report"
    ((FAILED[sanitize] > 0)) || FAILED[sanitize]=1
  fi
}

# The fuzz targets, counted one test per target.
run_fuzz_suite() {
  local log="$LOG_DIR/fuzz.log" rc=0 counts
  section "fuzz targets (${FUZZ_SECONDS}s each)"
  set +e
  NORVIK_BUILD_DIR="$BUILD_ROOT" bash "$ROOT/scripts/fuzz.sh" "$FUZZ_SECONDS" </dev/null 2>&1 | tee "$log"
  rc=${PIPESTATUS[0]}
  set -e
  counts=$(sed -n 's/^fuzz targets: \([0-9]*\) passed, \([0-9]*\) failed$/\1 \2/p' "$log" | tail -n 1)
  PASSED[fuzz]=${counts% *}
  FAILED[fuzz]=${counts#* }
  if [[ -z "$counts" ]]; then
    PASSED[fuzz]=0
    FAILED[fuzz]=1
    STATE[fuzz]="build failed (exit $rc)"
  elif [[ "$rc" -ne 0 || "${FAILED[fuzz]}" -ne 0 ]]; then
    STATE[fuzz]="failed (exit $rc)"
  elif [[ "${PASSED[fuzz]}" -eq 0 ]]; then
    STATE[fuzz]="no target ran"
  else
    STATE[fuzz]="ok"
  fi
}

# The release packages for the GUI suite: build/dist's, and the same at the next patch
# version to upgrade to. The installers go to C:\NorvikPackages, the zip is unpacked into
# C:\NorvikPortable; NORVIK_MSI, NORVIK_MSI_NEWER and NORVIK_PORTABLE name them.
make_packages() {
  local version newer packages="$WINEPREFIX/drive_c/NorvikPackages" portable="$WINEPREFIX/drive_c/NorvikPortable"
  section "packages"
  version=$(bash "$ROOT/scripts/package.sh" --version)
  newer="${version%.*}.$((${version##*.} + 1))"
  NORVIK_BUILD_DIR="$BUILD_ROOT" bash "$ROOT/scripts/package.sh" </dev/null || return 1
  NORVIK_BUILD_DIR="$BUILD_ROOT" NORVIK_PACKAGE_VERSION="$newer" NORVIK_DIST_DIR="$WINE_ROOT/newer" \
    bash "$ROOT/scripts/package.sh" </dev/null >/dev/null || return 1
  rm -rf "$packages" "$portable"
  mkdir -p "$packages"
  cp "$BUILD_ROOT/dist/norvik-$version.msi" "$WINE_ROOT/newer/norvik-$newer.msi" "$packages/"
  unzip -q "$BUILD_ROOT/dist/norvik-$version-portable.zip" -d "$portable" || return 1
  export NORVIK_MSI="C:\\NorvikPackages\\norvik-$version.msi"
  export NORVIK_MSI_NEWER="C:\\NorvikPackages\\norvik-$newer.msi"
  export NORVIK_PORTABLE='C:\NorvikPortable\Norvik Cleaner'
}

# The GUI suite, in the Wine suite's prefix and virtual display: norvik_gui_tests.exe
# starts copies of norvik.exe and drives them from outside. Windows open inside a Wine
# virtual desktop, so that they have frames in the screenshots.
run_gui_suite() {
  local exe="$BUILD_ROOT/win64/src/ui/norvik.exe" tests="$BUILD_ROOT/win64/tests/norvik_gui_tests.exe"
  local shots="$WINEPREFIX/drive_c/NorvikShots" out="$BUILD_ROOT/screenshots/gui" dest bmp png
  section "gui tests"
  if [[ ! -f "$exe" || ! -f "$tests" ]]; then
    STATE[gui]="not built"
    return
  fi
  norvik_wine_stop  # the desktop setting takes effect with a fresh wineserver
  norvik_wine_desktop 1024x768 || echo "gui: no virtual desktop, windows will have no frames"
  rm -rf "$shots" "$out"
  mkdir -p "$shots" "$out"
  norvik_wine_install "$exe" >/dev/null
  dest=$(norvik_wine_install "$tests")
  pushd "$dest" >/dev/null
  NORVIK_EXE='C:\Norvik\norvik.exe' NORVIK_SHOT_DIR='C:\NorvikShots' \
    run_suite gui "$LOG_DIR/gui.log" timeout --kill-after=10 "$GUI_TIMEOUT" wine norvik_gui_tests.exe
  popd >/dev/null
  norvik_wine_stop
  for bmp in "$shots"/*.bmp; do
    [[ -f "$bmp" ]] || continue
    png="$out/$(basename "${bmp%.*}").png"
    if convert "$bmp" "$png"; then
      echo "screenshot: $png"
    else
      echo "gui: could not convert $bmp"
    fi
  done
}

section "dependencies"
bash "$ROOT/scripts/install-deps.sh"
echo "all build and test packages present"
# The Windows build's SQLite, made once from Debian's source package and cached.
SQLITE_DIR="$BUILD_ROOT/sqlite"
bash "$ROOT/scripts/sqlite-amalgamation.sh" "$SQLITE_DIR"

# --- native: g++ against the simulated Windows ---
if build_preset native; then
  section "native tests"
  run_suite native "$LOG_DIR/native.log" "$BUILD_ROOT/native/tests/norvik_tests"
else
  STATE[native]="build failed"
fi

# --- native again, under the sanitizers ---
if build_preset sanitize; then
  section "sanitizer tests"
  run_sanitize_suite
else
  STATE[sanitize]="build failed"
fi

# --- fuzz targets ---
run_fuzz_suite

# --- Windows build, run under Wine ---
if build_preset win64; then
  section "wine tests"
  WINE_ROOT=$(mktemp -d /tmp/norvik-wine-XXXXXX)
  norvik_wine_env "$WINE_ROOT/prefix" "$WINE_ROOT/home"
  # Always a virtual display of our own, even on a desktop: windows the tests open
  # (the folder picker now, the main window later) must not land on the user's screen.
  if norvik_xvfb_start && norvik_wine_init; then
    norvik_wine_links
    dest=$(norvik_wine_install "$BUILD_ROOT/win64/tests/norvik_wine_tests.exe")
    pushd "$dest" >/dev/null
    run_suite wine "$LOG_DIR/wine.log" \
      timeout --kill-after=10 "$WINE_TIMEOUT" wine norvik_wine_tests.exe
    popd >/dev/null
    if make_packages; then
      run_gui_suite
    else
      STATE[gui]="packages not built"
    fi
  else
    STATE[wine]="virtual display or prefix set-up failed"
    STATE[gui]=${STATE[wine]}
  fi
  norvik_wine_stop
else
  STATE[wine]="build failed"
  STATE[gui]="build failed"
fi

section "summary"
total_passed=0
total_failed=0
for suite in "${SUITES[@]}"; do
  total_passed=$((total_passed + PASSED[$suite]))
  total_failed=$((total_failed + FAILED[$suite]))
  printf '%-16s %s passed, %s failed (%s)\n' "$suite tests:" "${PASSED[$suite]}" "${FAILED[$suite]}" "${STATE[$suite]}"
done
elapsed=$((SECONDS - START))
printf 'time: %dm%02ds\n' $((elapsed / 60)) $((elapsed % 60))

status=0
for suite in "${SUITES[@]}"; do
  [[ "${STATE[$suite]}" == ok ]] || status=1
done
if ((total_passed + total_failed == 0)); then
  echo "no test ran"
  status=1
fi
echo "$total_passed passed, $total_failed failed"
exit "$status"
