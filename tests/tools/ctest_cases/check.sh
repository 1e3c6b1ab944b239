#!/usr/bin/env bash
# The test run's counting by GoogleTest case (add_ctest_cases in
# scripts/lib.sh) on a JUnit file of ctest's: skipped cases of a passing
# entry are skipped, not passed, each named with its reason; an entry that
# ctest failed or could not start is a failure even when no case says so.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../../scripts/lib.sh"
passed=1 failed=0 skipped=0 skipped_lines=("  earlier run")
add_ctest_cases w64 "$here/sample.xml"
got=$(printf '%s passed, %s failed, %s skipped\n' "$passed" "$failed" "$skipped"; printf '%s\n' "${skipped_lines[@]}")
# Passed: 1 earlier + Load.Reads + the script entry + Export.One + Leak.Exits.
# Failed: Export's two cases + the leak at exit + the missing program.
want="5 passed, 4 failed, 4 skipped
  earlier run
  w64 load_test Load.NeedsTheLibrary: the spreadsheet library is not available
  w64 load_test Load.Bare: (no reason given)
  w64 xl_stack_balance_test StackBalance.Calls: 32-bit calls only: this is x86-64
  w64 e2e_drop (whole entry): no display (SKIP_RETURN_CODE=77)"
if [ "$got" != "$want" ]; then
  diff <(echo "$want") <(echo "$got") || true
  exit 1
fi
echo "counted as expected"
