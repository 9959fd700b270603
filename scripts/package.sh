#!/usr/bin/env bash
# Builds the release packages from the Windows build (preset win64: optimised, static),
# with a stripped norvik.exe:
#   build/dist/norvik-<version>.msi           the Windows Installer package (wixl), from
#                                             packaging/norvik.wxs
#   build/dist/norvik-<version>-portable.zip  a folder "Norvik Cleaner" with norvik.exe,
#                                             qolt.dat, README.txt and LICENSE.txt
# <version> is project(VERSION) in CMakeLists.txt, where the version resource takes it from.
#
# With --version it only prints <version>.
#
# NORVIK_BUILD_DIR        build root (default: <repo>/build)
# NORVIK_DIST_DIR         where the packages go (default: <build root>/dist)
# NORVIK_PACKAGE_VERSION  another version for the packages alone (the tests make a newer
#                         package with it to check that it upgrades an older one)
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ROOT"
BUILD_ROOT=${NORVIK_BUILD_DIR:-$ROOT/build}
DIST=${NORVIK_DIST_DIR:-$BUILD_ROOT/dist}

version=$(sed -n 's/^project([A-Za-z]* VERSION \([0-9][0-9.]*\).*/\1/p' CMakeLists.txt)
version=${NORVIK_PACKAGE_VERSION:-$version}
if [[ ! "$version" =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]]; then
  echo "package: no version of the form N.N.N (got '$version')" >&2
  exit 1
fi
if [[ "${1:-}" == --version ]]; then
  echo "$version"
  exit 0
fi

bash "$ROOT/scripts/install-deps.sh"
SQLITE_DIR="$BUILD_ROOT/sqlite"
bash "$ROOT/scripts/sqlite-amalgamation.sh" "$SQLITE_DIR"
cmake --preset win64 -B "$BUILD_ROOT/win64" -DNORVIK_SQLITE_DIR="$SQLITE_DIR" </dev/null >/dev/null
cmake --build "$BUILD_ROOT/win64" -j "$(nproc)" --target norvik </dev/null

stage=$(mktemp -d /tmp/norvik-package-XXXXXX)
trap 'rm -rf "$stage"' EXIT
exe="$BUILD_ROOT/win64/src/ui/norvik.exe"
x86_64-w64-mingw32-strip -o "$stage/norvik.exe" "$exe"
cp "$ROOT/src/cleaning/data/qolt.dat" "$ROOT/packaging/installed.txt" "$ROOT/src/ui/main/res/norvik.ico" "$stage/"

mkdir -p "$DIST"
msi="$DIST/norvik-$version.msi"
zip="$DIST/norvik-$version-portable.zip"
rm -f "$msi" "$zip"
# wixl finds the files named in the .wxs in its working folder.
(cd "$stage" && wixl --arch x64 --define Version="$version" --output "$msi" "$ROOT/packaging/norvik.wxs")
# wixl can end with 0 after a failed write: check that the package reads back.
if ! msiinfo export "$msi" Property 2>/dev/null | tr -d '\r' | grep -qx "ProductVersion	$version"; then
  echo "package: $msi was not written" >&2
  exit 1
fi

portable="$stage/portable/Norvik Cleaner"
mkdir -p "$portable"
cp "$stage/norvik.exe" "$stage/qolt.dat" "$portable/"
cp "$ROOT/packaging/README-portable.txt" "$portable/README.txt"
cp "$ROOT/LICENSE.txt" "$portable/"
(cd "$stage/portable" && zip -q -X -r "$zip" "Norvik Cleaner")

echo "package: $msi"
echo "package: $zip"
