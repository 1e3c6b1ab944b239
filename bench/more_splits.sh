#!/usr/bin/env bash
# The further splits against the plain one, on one 100,000-row x 20-column
# sheet (bench_split_workbooks make-keys): 键 holds 10,000 values, 组 10 and
# 类 100. Each split is timed end to end through colsplit-cli, best of three:
#   by 键 (10,000 workbooks)    vs  by 组 and 类 (about 1,000)   goal <= 1.2 x
#   by 类 (100 workbooks)       vs  --rows 1000 (100)           goal <= 1.1 x
#   by 类 to .xlsx              vs  by 类 --csv                  goal: CSV <= xlsx
# Outputs go to SPLIT_OUT (default /dev/shm where there is one): this VM's
# ext4 makes new files slow for minutes after many deletions.
#
#   bench/more_splits.sh [ROWS]      (builds what it needs in build/linux)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build/linux"
rows=${1:-100000}

cd "$top"
[ -f "$build/build.ninja" ] || cmake --preset linux >/dev/null
cmake --build --preset linux -j2 --target bench_split_workbooks colsplit-cli sheetlib >/dev/null

out_root=${SPLIT_OUT:-$([ -d /dev/shm ] && echo /dev/shm || echo "${TMPDIR:-/tmp}")}
work=$(mktemp -d "$out_root/more_splits.XXXXXX")
trap 'rm -rf "$work"' EXIT

input="$work/input.xlsx"
"$build/bench_split_workbooks" make-keys "$input" "$rows" 20 10000
echo "== $rows rows x 20 columns ($(du -k "$input" | cut -f1) KiB)"

# Best of three wall-clock seconds of one colsplit-cli run; prints "seconds files".
best_of_three() {
  local best="" files=0
  for _ in 1 2 3; do
    local out="$work/out"
    rm -rf "$out"
    mkdir -p "$out"
    local start end
    start=$(date +%s.%N)
    "$build/colsplit-cli" "$@" "$out" >/dev/null
    end=$(date +%s.%N)
    files=$(find "$out" -type f | wc -l)
    best=$(/usr/bin/python3 -c 'import sys; a=float(sys.argv[2])-float(sys.argv[1]); b=sys.argv[3]; print("%.3f" % (min(a, float(b)) if b else a))' "$start" "$end" "$best")
  done
  rm -rf "$work/out"
  echo "$best $files"
}

compare() {
  local label=$1 goal=$2 base_label=$3 other_label=$4
  shift 4
  local base_args=() other_args=()
  while [ "$1" != -- ]; do base_args+=("$1"); shift; done
  shift
  other_args=("$@")
  read -r base base_files < <(best_of_three "${base_args[@]}")
  read -r other other_files < <(best_of_three "${other_args[@]}")
  printf '  %-28s %8.3f s  %6d files\n' "$base_label" "$base" "$base_files"
  printf '  %-28s %8.3f s  %6d files\n' "$other_label" "$other" "$other_files"
  printf '  %s: %s x (goal <= %s x)\n' "$label" \
    "$(/usr/bin/python3 -c 'import sys; print("%.2f" % (float(sys.argv[2]) / float(sys.argv[1])))' "$base" "$other")" "$goal"
}

echo "== by several columns"
compare "two columns / 10,000 values" 1.2 "by 键" "by 组 --and 类" "$input" 键 -- --and 类 "$input" 组
echo "== in runs of rows"
compare "--rows 1000 / 100 values" 1.1 "by 类" "--rows 1000" "$input" 类 -- --rows 1000 "$input"
echo "== to CSV"
compare "CSV / xlsx" 1.0 "by 类 (.xlsx)" "by 类 --csv" "$input" 类 -- --csv "$input" 类
