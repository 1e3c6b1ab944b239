#!/usr/bin/env bash
# colsplit beside its peers on the same generated sheets: 100,000 rows x 20
# columns of shared strings and numbers (bench_split_workbooks make), split by
# a column of 100 and of 10,000 distinct values, by colsplit-cli, by ExcelJS
# in its streaming reader and writer (bench/peers/exceljs_split.js, from the
# npm registry) and by openpyxl read-only with XlsxWriter in constant-memory
# mode (bench/peers/openpyxl_split.py, Debian's packages). Prints wall time
# and peak memory of each, colsplit's reading speed, the load average before
# the run (the figures mean something on a quiet machine only), and the goals:
#   - 100 values in at most 0.8 s; 10,000 values in at most 2.5 times that;
#   - at least 12 times faster than ExcelJS on both;
#   - loading the first sheet at 8 M cells/s or more (the library's load:
#     the first line that bench_split_workbooks preview prints);
#   - peak memory at most 73 MiB (the peak before the cells were scanned
#     by our own scanner: 71-73 MiB).
#
#   [PEERS_OUT=/dev/shm] bench/peers.sh [RUNS]
#                           (colsplit's time is the best of RUNS, default 3;
#                            each peer runs once)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build/linux"
runs=${1:-3}
rows=100000
columns=20
cd "$top"

[ -f "$build/build.ninja" ] || cmake --preset linux >/dev/null
cmake --build --preset linux -j2 --target colsplit-cli bench_split_workbooks sheetlib >/dev/null
if [ ! -d bench/peers/node_modules/exceljs ]; then
  (cd bench/peers && npm ci --no-audit --no-fund >/dev/null 2>&1)
fi

work=$(mktemp -d)
# The output folders: on the work folder's disk, or where PEERS_OUT says
# (a tmpfs such as /dev/shm measures the programs without the disk).
outputs=$(mktemp -d -p "${PEERS_OUT:-$work}")
trap 'rm -rf "$work" "$outputs"' EXIT

# "seconds peak-MiB user-seconds system-seconds" of one run of a command; an
# argument "@OUT@" becomes a new, empty output folder. Every run writes into
# a folder of its own and none is deleted before the end: this machine's
# ext4 (no journal) makes a new file step over every inode freed in the
# last minutes (six, while the inode table is dirty), so that 10,000
# deletions shortly before the 10,000-value split cost it 1.5-3 s of system
# time. That measures the disk, not the program; the system time printed
# shows how much of a run went there.
measure() {
  local report out arguments=()
  report=$(mktemp)
  out=$(mktemp -d -p "$outputs" out.XXXXXX)
  for argument in "$@"; do
    if [ "$argument" = "@OUT@" ]; then arguments+=("$out"); else arguments+=("$argument"); fi
  done
  /usr/bin/time -o "$report" -f '%e %M %U %S' "${arguments[@]}" >/dev/null 2>&1 || { echo "failed: $*" >&2; tail -n 5 "$report" >&2; }
  read -r seconds kib user system < <(tail -n 1 "$report")
  rm -f "$report"
  echo "$seconds $((kib / 1024)) $user $system"
}
# The best time of several runs, with the peak of the best one.
best_of() {
  local count=$1 best="" line
  shift
  for _ in $(seq "$count"); do
    line=$(measure "$@")
    if [ -z "$best" ] || awk -v a="${line%% *}" -v b="${best%% *}" 'BEGIN { exit !(a < b) }'; then best=$line; fi
  done
  echo "$best"
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", a / b }'; }
verdict() { if awk "BEGIN { exit !($1) }"; then echo "met"; else echo "NOT met"; fi; }

echo "load average before the run: $(cut -d' ' -f1-3 /proc/loadavg) ($(nproc) cores); output on $(stat -f -c %T "$outputs")"
declare -A ours
for values in 100 10000; do
  input="$work/input_$values.xlsx"
  "$build/bench_split_workbooks" make "$input" "$rows" "$columns" "$values"
  echo "== $rows rows x $columns columns, $values values ($(du -k "$input" | cut -f1) KiB)"
  read -r ours_s ours_mib ours_user ours_system < <(best_of "$runs" "$build/colsplit-cli" "$input" 键 @OUT@)
  read -r exceljs_s exceljs_mib _ _ < <(measure node bench/peers/exceljs_split.js "$input" 键 @OUT@)
  read -r openpyxl_s openpyxl_mib _ _ < <(measure /usr/bin/python3 bench/peers/openpyxl_split.py "$input" 键 @OUT@)
  printf '  %-34s %8.2f s  %6d MiB\n' "colsplit-cli (best of $runs)" "$ours_s" "$ours_mib" \
    "ExcelJS streaming" "$exceljs_s" "$exceljs_mib" \
    "openpyxl read-only + XlsxWriter" "$openpyxl_s" "$openpyxl_mib"
  echo "  colsplit-cli's best run: user $ours_user s, system $ours_system s"
  echo "  ExcelJS / colsplit-cli: $(ratio "$exceljs_s" "$ours_s") x (goal at least 12: $(verdict "$exceljs_s >= 12 * $ours_s"))"
  echo "  peak memory: $ours_mib MiB (goal at most 73: $(verdict "$ours_mib <= 73"))"
  ours[$values]=$ours_s
done
echo "== goals"
echo "  100 values: ${ours[100]} s (goal at most 0.8 s: $(verdict "${ours[100]} <= 0.8"))"
echo "  10,000 values: ${ours[10000]} s = $(ratio "${ours[10000]}" "${ours[100]}") x the 100-value time (goal at most 2.5: $(verdict "${ours[10000]} <= 2.5 * ${ours[100]}"))"
"$build/bench_split_workbooks" preview "$work/input_100.xlsx" | sed 's/^/  /'
