#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the screenshots need.
# Safe to run again: it only touches apt when something is missing, and says
# nothing when everything is already there.
set -euo pipefail

packages=(
  cmake
  g++
  make
  libgtest-dev
  googletest
  libsqlite3-dev
  dpkg-dev   # apt-get source: the SQLite amalgamation for the Windows build
  tcl        # its `make sqlite3.c`
  xz-utils
  libbenchmark-dev  # bench/ (native)
  sqlite3    # bench/: the command-line tool the Firefox history item is measured against
  g++-mingw-w64-x86-64-posix
  gcc-mingw-w64-x86-64-posix
  mingw-w64-tools
  wine
  wine64
  fonts-wine  # readable dialogs and screenshots
  xvfb
  x11-apps   # xwd
  x11-utils  # xwininfo
  imagemagick
  clang      # fuzz targets
  wixl       # scripts/package.sh: the Windows Installer package
  msitools   # msiinfo: the package is read back after it is written
  zip        # the portable package
  unzip      # the tests unpack it
)

missing=()
for pkg in "${packages[@]}"; do
  # "ii" = installed and configured; anything else (absent, half-removed) counts as missing.
  status=$(dpkg-query -W -f='${db:Status-Abbrev}' "$pkg" 2>/dev/null || true)
  if [[ "$status" != ii* ]]; then
    missing+=("$pkg")
  fi
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

source "$(dirname "${BASH_SOURCE[0]}")/lib/as-root.sh"
if ! norvik_as_root; then
  echo "install-deps: missing packages (${missing[*]}) and neither root nor sudo available" >&2
  exit 1
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q </dev/null
# With recommends: Wine's X11 driver loads the X extension libraries (render, randr,
# xinerama, ...) at run time and draws poorly without them.
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
  apt-get install -y -q "${missing[@]}" </dev/null
echo "install-deps: done"
