#!/usr/bin/env bash
# Produces the SQLite amalgamation (sqlite3.c, sqlite3.h) the Windows build compiles,
# from Debian's own `sqlite3` source package: `apt-get source` (apt checks the package
# against the signed archive index), then `./configure && make sqlite3.c`. The result is
# cached in the given folder and never committed; a second call does nothing.
#
#   bash scripts/sqlite-amalgamation.sh [OUT_DIR]   (default: <repo>/build/sqlite)
#
# apt needs a deb-src entry for the archive the machine already uses; when none is
# configured, one is added beside the existing entries (a file of its own) and the
# package lists are refreshed. Needs root or sudo for that step only.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
OUT=${1:-$ROOT/build/sqlite}

if [[ -f "$OUT/sqlite3.c" && -f "$OUT/sqlite3.h" ]]; then
  exit 0
fi

source "$ROOT/scripts/lib/as-root.sh"
if ! norvik_as_root; then
  as_root=(false)  # the apt steps below fail with apt's own message
fi

SOURCES_DIR=/etc/apt/sources.list.d
OUR_SOURCES=$SOURCES_DIR/norvik-deb-src

has_deb_src() {
  grep -Eqs '^[[:space:]]*(deb-src[[:space:]]|Types:.*deb-src)' /etc/apt/sources.list "$SOURCES_DIR"/*.list \
    "$SOURCES_DIR"/*.sources
}

# The source entries mirror the binary ones: the same archives, suites and keys.
add_deb_src() {
  local text
  if [[ -f $SOURCES_DIR/debian.sources ]]; then
    text=$(sed -E 's/^Types:[[:space:]]*deb[[:space:]]*$/Types: deb-src/' "$SOURCES_DIR/debian.sources")
    printf '%s\n' "$text" | "${as_root[@]}" tee "$OUR_SOURCES.sources" >/dev/null
  elif grep -Eqs '^[[:space:]]*deb[[:space:]]' /etc/apt/sources.list; then
    text=$(sed -nE 's/^[[:space:]]*deb[[:space:]]/deb-src /p' /etc/apt/sources.list)
    printf '%s\n' "$text" | "${as_root[@]}" tee "$OUR_SOURCES.list" >/dev/null
  else
    echo "sqlite-amalgamation: no Debian archive entry to derive a deb-src entry from" >&2
    return 1
  fi
  echo "sqlite-amalgamation: added deb-src entries ($OUR_SOURCES.*)"
}

apt_update() { "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q </dev/null >/dev/null; }

if ! has_deb_src; then
  add_deb_src
  apt_update
fi

WORK=$(mktemp -d "${TMPDIR:-/tmp}/norvik-sqlite-XXXXXX")
trap 'rm -rf "$WORK"' EXIT
cd "$WORK"
# An older package list may not know the source package yet: refresh once and retry.
if ! apt-get source -q sqlite3 </dev/null >fetch.log 2>&1; then
  apt_update
  apt-get source -q sqlite3 </dev/null >fetch.log 2>&1 || {
    cat fetch.log >&2
    echo "sqlite-amalgamation: apt-get source sqlite3 failed" >&2
    exit 1
  }
fi
src=$(find . -mindepth 1 -maxdepth 1 -type d -name 'sqlite3-*' | head -n 1)
[[ -n "$src" ]] || { echo "sqlite-amalgamation: no unpacked source folder" >&2; exit 1; }
version=$(dpkg-parsechangelog -l "$src/debian/changelog" -S Version 2>/dev/null || echo unknown)
echo "sqlite-amalgamation: building sqlite3.c from Debian's sqlite3 $version"
(cd "$src" && ./configure -q >configure.log 2>&1 && make -s sqlite3.c >make.log 2>&1) || {
  tail -n 30 "$src"/configure.log "$src"/make.log >&2 || true
  echo "sqlite-amalgamation: building sqlite3.c failed" >&2
  exit 1
}
mkdir -p "$OUT"
cp "$src/sqlite3.h" "$OUT/sqlite3.h.tmp"
cp "$src/sqlite3.c" "$OUT/sqlite3.c.tmp"
echo "$version" >"$OUT/VERSION"
# The header last-but-one and the source last: a cache is complete once sqlite3.c exists.
mv "$OUT/sqlite3.h.tmp" "$OUT/sqlite3.h"
mv "$OUT/sqlite3.c.tmp" "$OUT/sqlite3.c"
echo "sqlite-amalgamation: $OUT/sqlite3.c"
