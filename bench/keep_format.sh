#!/usr/bin/env bash
# The cost of 保留原表格式: a 100,000-row x 20-column sheet dressed as offices
# dress it (bench_big_sheets make-dressed: a styled heading row, borders on
# every cell, alternating fills, 320 distinct styles, frozen headings, a
# filter, a list, a rule) with 100 values in 城市, split by colsplit-cli
# without and with --keep-format, alternately, RUNS times each. Prints the
# median wall time and the largest peak memory (maximum resident set) of
# each, and their ratios. Goal: both ratios at most 1.3.
#
#   bench/keep_format.sh [RUNS] [ROWS]      (builds the native preset first)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build/linux"
runs=${1:-5}
rows=${2:-100000}

cd "$top"
[ -f "$build/build.ninja" ] || cmake --preset linux >/dev/null
cmake --build --preset linux -j2 --target bench_big_sheets colsplit-cli sheetlib >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
input="$work/dressed.xlsx"
"$build/bench_big_sheets" make-dressed "$input" $((rows + 1)) 20 100
echo "== $rows rows x 20 columns, dressed, 100 values ($(du -k "$input" | cut -f1) KiB)"

for ((i = 0; i < runs; ++i)); do
  for mode in default keep; do
    options=()
    [ "$mode" = keep ] && options=(--keep-format)
    rm -rf "$work/out" && mkdir "$work/out"
    /usr/bin/time -f "$mode %e %M" -a -o "$work/times" "$build/colsplit-cli" "${options[@]}" "$input" 城市 "$work/out" >/dev/null
  done
done
/usr/bin/python3 - "$work/times" <<'PY'
import statistics, sys
runs = {}
for line in open(sys.argv[1]):
    mode, seconds, kib = line.split()
    runs.setdefault(mode, []).append((float(seconds), int(kib)))
figures = {mode: (statistics.median(s for s, _ in r), max(k for _, k in r) / 1024) for mode, r in runs.items()}
for mode, (seconds, mib) in figures.items():
    print("%-8s median %.3f s   peak %.1f MiB   (%d runs)" % (mode, seconds, mib, len(runs[mode])))
print("keep / default: time %.2f x, memory %.2f x" % (figures["keep"][0] / figures["default"][0],
                                                      figures["keep"][1] / figures["default"][1]))
PY
