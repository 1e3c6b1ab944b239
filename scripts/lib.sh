# Shared by the scripts: the project's folders, what this host can run, and
# a private X display.
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# Whether this host runs 32-bit x86 programs. Some kernels run 64-bit user
# code only ("IA-32 emulation off"): there every i386 executable fails with
# "Exec format error" and Wine's 32-bit half cannot start. The probe is a
# 93-byte i386 ELF that only calls exit(0), so it needs nothing installed.
# COLSPLIT_I386=yes|no overrides the probe (to take the 64-bit-only path on a
# host that could do both). Sets host_i386 to yes or no, and host_i386_why to
# a few words on how that was decided.
probe_host_i386() {
  case "${COLSPLIT_I386:-}" in
    yes | no)
      host_i386=$COLSPLIT_I386
      host_i386_why="COLSPLIT_I386=$COLSPLIT_I386 was set"
      return
      ;;
    "") ;;
    *)
      echo "COLSPLIT_I386 must be yes or no, not '$COLSPLIT_I386'" >&2
      exit 2
      ;;
  esac
  local probe
  probe=$(mktemp "${TMPDIR:-/tmp}/colsplit-i386-probe.XXXXXX")
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' >"$probe"
  # ELF header: executable, 80386, entry 0x08048054, one program header.
  printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' >>"$probe"
  printf '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00' >>"$probe"
  # One loadable segment of the whole 93 bytes, read and execute.
  printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08' >>"$probe"
  printf '\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00' >>"$probe"
  # mov eax, 1 (exit); xor ebx, ebx; int 0x80
  printf '\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' >>"$probe"
  chmod +x "$probe"
  if "$probe" 2>/dev/null; then
    host_i386=yes
    host_i386_why="this host runs i386 programs"
  else
    host_i386=no
    host_i386_why="this host runs 64-bit programs only (an i386 program fails to start)"
  fi
  rm -f "$probe"
}

# On a host that runs i386 programs but could not install wine32 (a mirror
# mid-sync), the 32-bit programs cannot be run: takes the 64-bit-only path
# and says why.
require_wine32_or_fall_back() {
  [ "$host_i386" = yes ] || return 0
  dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed' && return 0
  host_i386=no
  host_i386_why="this host runs i386 programs, but wine32 could not be installed from the mirror"
}

# The Windows presets whose programs this host can run under Wine: the
# 64-bit twin always, the 32-bit product where i386 programs run.
runnable_windows_presets() {
  if [ "$host_i386" = yes ]; then echo "windows windows64"; else echo "windows64"; fi
}

# Starts an Xvfb of our own on a free display and exports DISPLAY; it ends
# with the calling script, and so do the wineservers started under it.
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
  "$top/scripts/wine-run" --stop >/dev/null 2>&1 || true
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" >/dev/null 2>&1 || true
}

# Configures and builds one preset, warnings as errors. Further arguments go
# to the configure step (-DCOLSPLIT_BUILD_TESTS=OFF) or, after --, name the
# targets to build.
build_preset() {
  local preset=$1
  shift
  local configure=() targets=()
  while [ $# -gt 0 ] && [ "$1" != -- ]; do configure+=("$1"); shift; done
  [ $# -gt 0 ] && shift
  targets=("$@")
  cmake --preset "$preset" -DCOLSPLIT_WERROR=ON "${configure[@]}" >"$top/build/configure-$preset.log" 2>&1 ||
    { cat "$top/build/configure-$preset.log"; return 1; }
  if [ ${#targets[@]} -gt 0 ]; then
    cmake --build --preset "$preset" -j"$(nproc)" --target "${targets[@]}"
  else
    cmake --build --preset "$preset" -j"$(nproc)"
  fi
}

# Adds the results of one ctest run, read from its JUnit file (ctest
# --output-junit, with the passed entries' output kept whole), to the
# counters passed, failed and skipped, counted by GoogleTest case: a case
# that called GTEST_SKIP in an entry that passed is skipped, not passed. Adds
# a line per skipped case, "  LABEL ENTRY CASE: REASON", to skipped_lines.
add_ctest_cases() {
  local label=$1 junit=$2 result p f s line
  result=$(python3 "$top/scripts/ctest-cases" "$label" "$junit") || return 1
  read -r p f s <<<"${result%%$'\n'*}"
  passed=$((passed + p))
  failed=$((failed + f))
  skipped=$((skipped + s))
  while IFS= read -r line; do
    skipped_lines+=("$line")
  done < <(tail -n +2 <<<"$result")
}
