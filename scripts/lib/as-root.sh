# shellcheck shell=bash
# Sourced by the scripts that change the system (packages, apt sources).

# Sets the array `as_root` to the prefix that runs a command as root: nothing when we are
# root, sudo when it is there. Returns 1 when neither is possible.
norvik_as_root() {
  if [[ $(id -u) -eq 0 ]]; then
    as_root=()
  elif command -v sudo >/dev/null 2>&1; then
    as_root=(sudo)
  else
    return 1
  fi
}
