#!/usr/bin/env bash
# The split benchmark: a 100,000-row x 20-column workbook with 100 distinct
# values in the split column and one with 10,000, each split by colsplit-cli
# and by the pandas baseline (bench/pandas_split.py) in the same run; then
# the sheet preview beside the library's read alone. Prints the figures.
# Goals: the 100-value split under 2 s and at least 20 times faster than
# pandas; the preview within 15 % of the read alone.
#
#   bench/split.sh [ROWS]      (builds the native preset in build/linux first)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build/linux"
rows=${1:-100000}
columns=20

cd "$top"
[ -f "$build/build.ninja" ] || cmake --preset linux >/dev/null
cmake --build --preset linux -j2 >/dev/null
maker="$build/bench_split_workbooks"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

seconds() { /usr/bin/python3 -c 'import sys; print("%.3f" % (float(sys.argv[2]) - float(sys.argv[1])))' "$@"; }
now() { date +%s.%N; }

for values in 100 10000; do
  input="$work/input_$values.xlsx"
  "$maker" make "$input" "$rows" "$columns" "$values"
  echo "== $rows rows x $columns columns, $values values ($(du -k "$input" | cut -f1) KiB)"

  start=$(now)
  "$build/colsplit-cli" "$input" 键 "$work" >/dev/null
  ours=$(seconds "$start" "$(now)")
  written=$(find "$work/按_键_分别导出" -name '*.xlsx' | wc -l)

  start=$(now)
  /usr/bin/python3 "$top/bench/pandas_split.py" "$input" 键 "$work/pandas_$values"
  theirs=$(seconds "$start" "$(now)")
  baseline=$(find "$work/pandas_$values" -name '*.xlsx' | wc -l)

  ratio=$(/usr/bin/python3 -c 'import sys; print("%.1f" % (float(sys.argv[2]) / float(sys.argv[1])))' "$ours" "$theirs")
  printf 'colsplit-cli %9.3f s  %6d workbooks\n' "$ours" "$written"
  printf 'pandas       %9.3f s  %6d workbooks\n' "$theirs" "$baseline"
  printf 'pandas / colsplit-cli  %s x\n' "$ratio"
  rm -rf "$work/按_键_分别导出" "$work/pandas_$values"
done

echo "== sheet preview, $rows rows x $columns columns"
"$maker" preview "$work/input_100.xlsx"
