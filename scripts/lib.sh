# Shared by the scripts: the project's folders and a private X display.
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$top/build/wine-prefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# Starts an Xvfb of our own on a free display and exports DISPLAY; it ends
# with the calling script.
start_private_display() {
  local fifo
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  xvfb_pid=$!
  local number
  read -r number <"$fifo"
  rm -f "$fifo"
  export DISPLAY=":$number"
  trap 'stop_private_display' EXIT
}

stop_private_display() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" >/dev/null 2>&1 || true
}

# Configures and builds one preset (linux or windows), warnings as errors.
build_preset() {
  local preset=$1
  cmake --preset "$preset" -DCOLSPLIT_WERROR=ON >"$top/build/configure-$preset.log" 2>&1 ||
    { cat "$top/build/configure-$preset.log"; return 1; }
  cmake --build --preset "$preset" -j"$(nproc)"
}
