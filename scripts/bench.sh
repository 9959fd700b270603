#!/usr/bin/env bash
# Builds and runs the benchmarks (never part of the tests):
#   1. native, optimised, against the simulated Windows: a Clean against `rm -rf` and a
#      Test against `find` over 100,000 files in 1,000 folders; listing a 50 MB index.dat
#      against one sequential read of it (the ratio is printed); the registry scan of a
#      generated subtree of 50,000 keys and 100,000 values against a raw walk;
#   2. native: the Firefox history item on a 100 MB places.sqlite against the sqlite3
#      command-line tool running the same statements on a copy (the database is made
#      once and kept as bench-native/places-100MB.sqlite);
#   3. the Windows build under Wine, in a throw-away prefix without Z:: a Clean and a Test
#      through the real API against plain DeleteFileW / FindFirstFileW loops, on two tree
#      shapes; the registry scan of a generated subtree against a raw walk through the same API;
#   4. under Wine too: saving settings over a 10 MB damaged options.ini in one pass against
#      one WritePrivateProfileString call per key; listing a 50 MB index.dat against one
#      sequential read of it through ReadFile (median ratios of 5 runs, listing into fresh
#      memory and again into the last listing's buffers);
#   5. under Wine on a virtual display: start-up of norvik.exe to its visible main window
#      against a minimal window program, with the libraries each has loaded by then (21
#      starts of each in alternating order: single starts vary by 2x on a shared machine).
# Every figure is a ratio of two sides run in turn in the same run (median of 5); the
# machine's load is printed beside each Wine section, since the machine may be shared.
#
# NORVIK_BUILD_DIR         build root (default: <repo>/build); uses bench-native and bench-win64
# NORVIK_WINE_BENCH_SHAPES tree shapes "folders x files-per-folder" for the Wine run (default
#                          "100x100 100x300": Wine deletes a few thousand files a second, so
#                          100,000 would take minutes)
# NORVIK_WINE_SCAN_SIZE   "groups keys-per-group" of the Wine registry subtree (default "50 100":
#                         5,000 keys and 10,000 values)
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ROOT"
source "$ROOT/scripts/lib/wine-prefix.sh"

BUILD_ROOT=${NORVIK_BUILD_DIR:-$ROOT/build}
JOBS=$(nproc)
read -r -a WINE_SHAPES <<<"${NORVIK_WINE_BENCH_SHAPES:-100x100 100x300}"
read -r -a WINE_SCAN_SIZE <<<"${NORVIK_WINE_SCAN_SIZE:-50 100}"
# GCC 12 warns about its own string code at -O2 (a false -Wrestrict in char_traits.h).
RELEASE_FLAGS=(-DCMAKE_BUILD_TYPE=Release -DNORVIK_BENCHMARKS=ON -DCMAKE_CXX_FLAGS=-Wno-restrict
  -DNORVIK_SQLITE_DIR="$BUILD_ROOT/sqlite")
WINE_ROOT=""

cleanup() {
  if [[ -n "$WINE_ROOT" ]]; then
    norvik_wine_stop
    rm -rf "$WINE_ROOT"
  fi
  norvik_xvfb_stop
}
trap cleanup EXIT

section() { printf '\n==== %s ====\n' "$*"; }
load() { printf 'machine load: %s\n' "$(uptime | sed 's/.*load average/load average/')"; }

section "native benchmark (simulated Windows)"
cmake -S "$ROOT" -B "$BUILD_ROOT/bench-native" "${RELEASE_FLAGS[@]}" </dev/null >/dev/null
cmake --build "$BUILD_ROOT/bench-native" -j "$JOBS" --target norvik_clean_bench norvik_index_dat_bench norvik_regscan_bench </dev/null
"$BUILD_ROOT/bench-native/bench/norvik_clean_bench" </dev/null
section "native registry scan benchmark (simulated Windows)"
"$BUILD_ROOT/bench-native/bench/norvik_regscan_bench" </dev/null

section "index.dat listing (50 MB) against one sequential read"
"$BUILD_ROOT/bench-native/bench/norvik_index_dat_bench" </dev/null

section "Firefox history item against the sqlite3 tool"
cmake --build "$BUILD_ROOT/bench-native" -j "$JOBS" --target norvik_places_bench </dev/null
# On disk beside the build, as a browser profile would be, not in memory.
mkdir -p "$BUILD_ROOT/bench-native/sim"
NORVIK_SIM_TMPDIR="$BUILD_ROOT/bench-native/sim" NORVIK_PLACES_BENCH_DB="$BUILD_ROOT/bench-native/places-100MB.sqlite" \
  "$BUILD_ROOT/bench-native/bench/norvik_places_bench" </dev/null

section "Windows benchmark (Wine)"
bash "$ROOT/scripts/sqlite-amalgamation.sh" "$BUILD_ROOT/sqlite"
cmake -S "$ROOT" -B "$BUILD_ROOT/bench-win64" --toolchain "$ROOT/cmake/mingw-w64-x86_64.cmake" \
  "${RELEASE_FLAGS[@]}" </dev/null >/dev/null
cmake --build "$BUILD_ROOT/bench-win64" -j "$JOBS" --target norvik_wine_delete_bench norvik_regscan_bench \
  norvik_wine_settings_save_bench norvik_wine_index_dat_bench norvik_wine_startup_bench norvik_minimal_window norvik </dev/null
WINE_ROOT=$(mktemp -d /tmp/norvik-bench-XXXXXX)
norvik_wine_env "$WINE_ROOT/prefix" "$WINE_ROOT/home"
norvik_xvfb_start
norvik_wine_init
dest=$(norvik_wine_install "$BUILD_ROOT/bench-win64/bench/norvik_wine_delete_bench.exe")
for shape in "${WINE_SHAPES[@]}"; do
  load
  (cd "$dest" && wine norvik_wine_delete_bench.exe "${shape%x*}" "${shape#*x}" </dev/null)
  load
done
section "Windows registry scan benchmark (Wine)"
dest=$(norvik_wine_install "$BUILD_ROOT/bench-win64/bench/norvik_regscan_bench.exe")
(cd "$dest" && wine norvik_regscan_bench.exe "${WINE_SCAN_SIZE[@]}" </dev/null)

section "Saving a damaged options.ini (Wine)"
dest=$(norvik_wine_install "$BUILD_ROOT/bench-win64/bench/norvik_wine_settings_save_bench.exe")
(cd "$dest" && wine norvik_wine_settings_save_bench.exe </dev/null)

section "index.dat listing (50 MB) against one sequential read (Wine)"
dest=$(norvik_wine_install "$BUILD_ROOT/bench-win64/bench/norvik_wine_index_dat_bench.exe")
load
(cd "$dest" && wine norvik_wine_index_dat_bench.exe </dev/null)
load
section "Start-up to the main window against a minimal window program (Wine)"
dest=$(norvik_wine_install "$BUILD_ROOT/bench-win64/src/ui/norvik.exe")
cp -f "$BUILD_ROOT/bench-win64/bench/norvik_wine_startup_bench.exe" "$BUILD_ROOT/bench-win64/bench/norvik_minimal_window.exe" "$dest/"
load
(cd "$dest" && wine norvik_wine_startup_bench.exe 'C:\Norvik\norvik_minimal_window.exe' 'C:\Norvik\norvik.exe' 21 </dev/null)
load
