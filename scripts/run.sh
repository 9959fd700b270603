#!/usr/bin/env bash
# Sets up a Debian machine, builds norvik.exe and runs it under Wine in the project's
# own prefix (build/wineprefix).
#   With $DISPLAY: shows the program there and waits until it is closed.
#   Without:       runs it on a virtual display (Xvfb) inside a Wine virtual desktop
#                  (which draws the window frame), saves a screenshot to
#                  build/screenshots/norvik.png, closes it again and prints the file name.
#
# NORVIK_BUILD_DIR  build root (default: <repo>/build)
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ROOT"
source "$ROOT/scripts/lib/wine-prefix.sh"

BUILD_ROOT=${NORVIK_BUILD_DIR:-$ROOT/build}
TARGET=norvik
CAPTION="Norvik Cleaner 3.5"
SHOT_DIR="$BUILD_ROOT/screenshots"
SHOT="$SHOT_DIR/norvik.png"
DESKTOP_SIZE=1024x768
WINDOW_WAIT=60  # seconds; the first start in a new prefix is the slow one

cleanup() {
  norvik_wine_stop
  norvik_xvfb_stop
}
trap cleanup EXIT

bash "$ROOT/scripts/install-deps.sh"

echo "building $TARGET (win64)"
bash "$ROOT/scripts/sqlite-amalgamation.sh" "$BUILD_ROOT/sqlite"
cmake --preset win64 -B "$BUILD_ROOT/win64" -DNORVIK_SQLITE_DIR="$BUILD_ROOT/sqlite" </dev/null >/dev/null
cmake --build "$BUILD_ROOT/win64" --target "$TARGET" -j "$(nproc)" </dev/null
EXE="$BUILD_ROOT/win64/src/ui/$TARGET.exe"
[[ -f "$EXE" ]] || { echo "run: $EXE was not built" >&2; exit 1; }

norvik_wine_env "$BUILD_ROOT/wineprefix" "$BUILD_ROOT/wine-home"
norvik_wine_init
dest=$(norvik_wine_install "$EXE")
cd "$dest"

if [[ -n "${DISPLAY:-}" ]]; then
  echo "running $TARGET.exe on $DISPLAY (close its window to finish)"
  wine "$TARGET.exe" </dev/null
  wineserver -w
  exit 0
fi

# Headless: a virtual display of our own. The virtual desktop is asked for on the command
# line, not in the prefix's registry, so that a later run on a real display is unchanged.
norvik_xvfb_start
echo "virtual display $DISPLAY"

wine explorer "/desktop=norvik,$DESKTOP_SIZE" "$TARGET.exe" </dev/null >/dev/null 2>&1 &
WINE_PID=$!
found=0
for _ in $(seq $((WINDOW_WAIT * 2))); do
  # Inside the virtual desktop the program's windows are still X windows with names.
  if xwininfo -root -tree 2>/dev/null | grep -qF "\"$CAPTION\":"; then
    found=1
    break
  fi
  sleep 0.5
done
sleep 1  # let it finish painting

mkdir -p "$SHOT_DIR"
xwd -root -silent | convert xwd:- "$SHOT"
norvik_wine_stop
wait "$WINE_PID" 2>/dev/null || true

if ((found == 0)); then
  echo "run: no window \"$CAPTION\" appeared within ${WINDOW_WAIT}s (screen saved to $SHOT)" >&2
  exit 1
fi
echo "screenshot: $SHOT"
