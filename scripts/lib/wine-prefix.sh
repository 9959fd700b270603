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
  norvik_wine_seal
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

# norvik_wine_install EXE: copies a program into C:\Norvik\ and prints that folder.
norvik_wine_install() {
  local dest="$WINEPREFIX/drive_c/Norvik"
  mkdir -p "$dest"
  cp -f "$1" "$dest/"
  printf '%s\n' "$dest"
}

norvik_wine_stop() {
  if [[ -n "${WINEPREFIX:-}" && -d "$WINEPREFIX" ]]; then
    wineserver -k >/dev/null 2>&1 || true
  fi
}
