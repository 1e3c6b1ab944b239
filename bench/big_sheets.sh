#!/usr/bin/env bash
# The big-sheet benchmark: a sheet at the row limit (1,048,576 rows x 5
# columns) and a wide one (20,000 rows x 1,000 columns), made by
# bench_big_sheets into build/big/ (kept between runs; delete them to make
# them anew). For each it prints the cell count, the bytes of the cells'
# shown texts (GBK), the file size, then for colsplit-cli natively and for
# colsplit-cli.exe under Wine (the 32-bit one where this host runs i386
# programs, whose process's peak approximates the 32-bit program's, and the
# 64-bit one everywhere): the load + preview time, the split time, the peak memory
# (maximum resident set) and that peak against the text bytes.
# Goals: peak under 6 x the text bytes, and under 1.5 GiB for the long sheet.
#
#   bench/big_sheets.sh [long|wide|NAME=ROWSxCOLUMNS ...]   (default: long wide)
set -euo pipefail
source "$(dirname "$0")/../scripts/lib.sh"
cd "$top"
native="$top/build/linux"
big="$top/build/big"
mkdir -p "$big"

[ -f "$native/build.ninja" ] || cmake --preset linux >/dev/null
cmake --build --preset linux -j2 --target bench_big_sheets colsplit-cli sheetlib >/dev/null
windows_presets=
if [ -z "${SKIP_WINE:-}" ]; then
  probe_host_i386
  windows_presets=$(runnable_windows_presets)
  for preset in $windows_presets; do
    [ -f "$top/build/$preset/build.ninja" ] || cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j2 --target colsplit-cli >/dev/null
  done
fi

sheets=("$@")
[ ${#sheets[@]} -gt 0 ] || sheets=(long wide)

# "wall-seconds max-rss-kib" of a command; its own exit status is ignored
# (a load without export ends with 2 on purpose).
measure() {
  local report
  report=$(mktemp)
  /usr/bin/time -o "$report" -f '%e %M' "$@" >/dev/null 2>&1 || true
  tail -n1 "$report"
  rm -f "$report"
}

ratio() { /usr/bin/python3 -c 'import sys; print("%.2f" % (float(sys.argv[1]) * 1024 / float(sys.argv[2])))' "$@"; }
minus() { /usr/bin/python3 -c 'import sys; print("%.1f" % (float(sys.argv[1]) - float(sys.argv[2])))' "$@"; }
mib() { echo $(( $1 / 1024 )); }

# Runs one program (the native one, or the Windows one under Wine) on one
# workbook: once to load only ("#0" names no column, so it stops after the
# preview), once to load and split by column 3 (城市).
# Paths are given as the program sees them (WINE=1: as Z:\... paths).
run_program() {
  local label=$1 book=$2 out=$3 text_bytes=$4
  shift 4
  rm -rf "$out"
  mkdir -p "$out"
  local book_arg=$book out_arg=$out
  if [ -n "${WINE:-}" ]; then book_arg="Z:${book//\//\\}"; out_arg="Z:${out//\//\\}"; fi
  read -r load_s load_kib < <(measure "$@" "$book_arg" '#0')
  read -r all_s all_kib < <(measure "$@" "$book_arg" '#3' "$out_arg")
  local written
  written=$(find "$out" -name '*.xlsx' | wc -l)
  printf '  %-24s load+preview %7.1f s  split %7.1f s  %4d workbooks  peak %6d MiB (load %6d MiB)  peak/text %5s  (goal < 6)\n' \
    "$label" "$load_s" "$(minus "$all_s" "$load_s")" "$written" "$(mib "$all_kib")" "$(mib "$load_kib")" \
    "$(ratio "$all_kib" "$text_bytes")"
  rm -rf "$out"
}

# Wine's server and prefix start before anything is timed.
for preset in $windows_presets; do
  "$top/scripts/wine-run" "$top/build/$preset/colsplit-cli.exe" </dev/null >/dev/null 2>&1 || true
done
trap '"$top/scripts/wine-run" --stop' EXIT

for sheet in "${sheets[@]}"; do
  case "$sheet" in
    long) name=long rows=1048576 columns=5 ;;
    wide) name=wide rows=20000 columns=1000 ;;
    *=*x*) name=${sheet%%=*} shape=${sheet#*=} rows=${shape%x*} columns=${shape#*x} ;;
    *) echo "unknown sheet $sheet" >&2; exit 2 ;;
  esac
  book="$big/$name.xlsx"
  if [ ! -f "$book" ]; then
    start=$(date +%s.%N)
    "$native/bench_big_sheets" make "$book" "$rows" "$columns"
    echo "made $book in $(minus "$(date +%s.%N)" "$start") s"
  fi
  read -r _ _ _ _ _ cells _ text_bytes < <("$native/bench_big_sheets" measure "$book")
  echo "== $name: $rows rows x $columns columns, $cells cells, $(( text_bytes / 1024 / 1024 )) MiB cell text ($text_bytes bytes), file $(( $(stat -c %s "$book") / 1024 / 1024 )) MiB"
  if [ "$name" = long ]; then echo "  (goal also: peak under 1536 MiB)"; fi
  run_program "colsplit-cli (native)" "$book" "$big/out-native" "$text_bytes" "$native/colsplit-cli"
  for preset in $windows_presets; do
    WINE=1 run_program "colsplit-cli.exe ($preset)" "$book" "$big/out-wine" "$text_bytes" \
      "$top/scripts/wine-run" "$top/build/$preset/colsplit-cli.exe"
  done
done
