# shellcheck shell=bash
# Sourced by the scripts that run our Windows build under Wine.
#
# A prefix made here cannot reach the host's files: Z: (the host's "/") is removed,
# and the user folders Wine links to $HOME (Desktop, Documents, ...) become plain
# folders inside the prefix. Wine also gets a HOME of its own, so nothing it writes
# (menu entries, mime files) lands in the real home folder.

# norvik_wine_env PREFIX WINE_HOME: exports the variables every wine call here uses.
norvik_wine_env() {
  export WINEPREFIX="$1"
  export HOME="$2"
  export XDG_CONFIG_HOME="$HOME/.config"
  export XDG_DATA_HOME="$HOME/.local/share"
  export XDG_CACHE_HOME="$HOME/.cache"
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="winemenubuilder.exe=d"
  export WINEARCH=win64
  mkdir -p "$HOME"
}

# Creates the prefix when it does not exist yet, then seals it off from the host.
norvik_wine_init() {
  if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    echo "wine: creating prefix $WINEPREFIX"
    # The message about syswow64\rundll32.exe is expected: no 32-bit Wine here.
    wineboot -i </dev/null >/dev/null 2>&1 || {
      echo "wine: wineboot failed for $WINEPREFIX" >&2
      return 1
    }
    wineserver -w
  fi
  norvik_wine_fonts
  norvik_wine_seal
}

# Debian's Wine does not look in its own font folder, so dialogs fall back to other fonts
# and caption buttons show letters instead of Marlett's symbols. Copies in the prefix's
# Fonts folder are found (copies, not links: the seal below replaces outside links).
norvik_wine_fonts() {
  local fonts="$WINEPREFIX/drive_c/windows/Fonts" font
  mkdir -p "$fonts"
  for font in /usr/share/wine/fonts/*.ttf; do
    [[ -f "$font" && ! -e "$fonts/${font##*/}" ]] && cp "$font" "$fonts/"
  done
  return 0
}

norvik_wine_seal() {
  rm -f "$WINEPREFIX/dosdevices/z:"
  local link
  while IFS= read -r -d '' link; do
    case "$(readlink "$link")" in
      /*) rm -f "$link" && mkdir -p "$link" ;;
    esac
  done < <(find "$WINEPREFIX/drive_c" -type l -print0)
  if [[ -e "$WINEPREFIX/dosdevices/z:" ]]; then
    echo "wine: could not remove drive Z: from $WINEPREFIX" >&2
    return 1
  fi
}

# Links made from the host side, as a user's own would be (Wine lists a link to a file as
# that file): C:\NorvikLinks\<set>\Walk holds a plain file and links to Precious and to a
# file outside every drive. Tests skip without them; each run makes them afresh.
norvik_wine_links() {
  local base="$WINEPREFIX/drive_c/NorvikLinks" set
  rm -rf "$base"
  for set in wine gui; do
    mkdir -p "$base/$set/Precious" "$base/$set/Walk/sub"
    printf 'precious' >"$base/$set/Precious/keep.txt"
    printf 'plain' >"$base/$set/Walk/plain.txt"
    ln -s "$base/$set/Precious/keep.txt" "$base/$set/Walk/file-link.txt"
    ln -s ../../Precious/keep.txt "$base/$set/Walk/sub/relative-link.txt"
    ln -s "$base/$set/Precious" "$base/$set/Walk/folder-link"
    ln -s "$HOME/away-$set.txt" "$base/$set/Walk/outside-link.txt"
    printf 'outside' >"$HOME/away-$set.txt"
  done
}

# norvik_wine_install EXE: copies a program into C:\Norvik\ and prints that folder. The
# data files that ship beside norvik.exe (qolt.dat) go with it.
norvik_wine_install() {
  local dest="$WINEPREFIX/drive_c/Norvik" data
  mkdir -p "$dest"
  cp -f "$1" "$dest/"
  data="$(dirname "$1")/qolt.dat"
  if [[ "${1##*/}" == norvik.exe && -f "$data" ]]; then cp -f "$data" "$dest/"; fi
  printf '%s\n' "$dest"
}

# norvik_wine_desktop SIZE: from now on every program of this prefix opens inside one
# Wine virtual desktop (e.g. 1024x768), where Wine draws the window frames itself; there
# is no window manager on our virtual displays to draw them otherwise.
norvik_wine_desktop() {
  (
    cd "$WINEPREFIX/drive_c" &&
      wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f &&
      wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$1" /f
  ) </dev/null >/dev/null 2>&1 || return 1
  # The desktop is made when the prefix's first window opens: start afresh.
  norvik_wine_stop
}

norvik_wine_stop() {
  if [[ -n "${WINEPREFIX:-}" && -d "$WINEPREFIX" ]]; then
    wineserver -k >/dev/null 2>&1 || true
  fi
}

# A virtual X display of our own, for GUI tests and headless runs. Xvfb picks a free
# display number itself. Sets and exports DISPLAY; norvik_xvfb_stop ends it.
NORVIK_XVFB_PID=""
NORVIK_XVFB_DIR=""
norvik_xvfb_start() {
  NORVIK_XVFB_DIR=$(mktemp -d /tmp/norvik-xvfb-XXXXXX)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$NORVIK_XVFB_DIR/display" \
    >"$NORVIK_XVFB_DIR/log" 2>&1 &
  NORVIK_XVFB_PID=$!
  local _
  for _ in $(seq 100); do
    [[ -s "$NORVIK_XVFB_DIR/display" ]] && break
    if ! kill -0 "$NORVIK_XVFB_PID" 2>/dev/null; then
      cat "$NORVIK_XVFB_DIR/log" >&2
      echo "Xvfb did not start" >&2
      return 1
    fi
    sleep 0.1
  done
  [[ -s "$NORVIK_XVFB_DIR/display" ]] || { echo "Xvfb gave no display number" >&2; return 1; }
  DISPLAY=":$(head -n 1 "$NORVIK_XVFB_DIR/display")"
  export DISPLAY
}

norvik_xvfb_stop() {
  if [[ -n "$NORVIK_XVFB_PID" ]]; then
    kill "$NORVIK_XVFB_PID" 2>/dev/null || true
    wait "$NORVIK_XVFB_PID" 2>/dev/null || true
    NORVIK_XVFB_PID=""
  fi
  [[ -z "$NORVIK_XVFB_DIR" ]] || rm -rf "$NORVIK_XVFB_DIR"
  NORVIK_XVFB_DIR=""
}
