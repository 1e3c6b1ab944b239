#!/usr/bin/env bash
# Drops from outside, as a file manager makes them (XDND, which Wine turns
# into an OLE drop): files are accepted with one event holding every name,
# text is refused; Esc typed on the keyboard ends the program with 0.
# Usage: drop_test.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
source_dir=$1
build_dir=$2
wine_run="$source_dir/scripts/wine-run"
drop="$source_dir/tests/tools/xdnd-drop"
failures=0
# Wine reads Linux file names in the locale's character set: in the plain C
# locale a Chinese name cannot even reach the program. C.UTF-8 keeps the
# default ANSI code page (1252) and lets the names through.
case "${LC_ALL:-${LC_CTYPE:-${LANG:-}}}" in
  *UTF-8* | *utf8*) ;;
  *) export LC_ALL=C.UTF-8 ;;
esac
check() {  # check WHAT EXPECTED ACTUAL
  if [ "$2" == "$3" ]; then echo "ok: $1"; else echo "FAILED: $1: expected [$2], got [$3]"; failures=$((failures + 1)); fi
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/数据"
touch "$work/a.xlsx" "$work/数据/淺乗.xlsx" "$work/b.XLSX" "$work/数据/𠮷野家 한국어 😀.xlsx"

# Starts a program of the build; sets $pid and $window (its X window).
start() {
  rm -f "$build_dir/dropped.txt"
  "$wine_run" "$build_dir/$1" >/dev/null 2>&1 &
  pid=$!
  window=""
  for _ in $(seq 1 300); do
    # By the program's X class: under the default code page Wine gives the
    # X window no readable name.
    window=$(xdotool search --onlyvisible --classname "$1" 2>/dev/null | head -n1)
    [ -n "$window" ] && break
    sleep 0.1
  done
  [ -n "$window" ] || { echo "FAILED: $1 shows no window"; exit 1; }
  eval "$(xdotool getwindowgeometry --shell "$window")"  # X, Y
  sleep 0.5
}

# Waits for the program to end; sets $status to its exit status.
finish() {
  for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then kill "$pid"; status=timeout; return; fi
  wait "$pid"
  status=$?
}

dropped() { [ -f "$build_dir/dropped.txt" ] && od -An -c "$build_dir/dropped.txt" | tr -s ' \n' ' '; }
expect_dropped() { printf '%s' "$1" | od -An -c | tr -s ' \n' ' '; }
wine_path() { printf 'Z:%s' "${1//\//\\}"; }

# The probe writes the file-drop event's text to dropped.txt.
start shell_probe.exe
"$drop" $((X + 100)) $((Y + 150)) "$work/数据/淺乗.xlsx" >/dev/null
check "a file dropped on the preview list is accepted" 0 $?
sleep 0.5
check "the event has the file's name" "$(expect_dropped "$(wine_path "$work/数据/淺乗.xlsx")")" "$(dropped)"

"$drop" $((X + 500)) $((Y + 250)) "$work/b.XLSX" "$work/a.xlsx" >/dev/null
check "two files dropped on the tip box are accepted" 0 $?
sleep 0.5
names="$(wine_path "$work/b.XLSX")"$'\r\n'"$(wine_path "$work/a.xlsx")"$'\r\n'
check "one event with both names in order" "$(expect_dropped "$names")" "$(dropped)"

# Characters outside GBK, one of them above U+FFFF, reach the event whole.
"$drop" $((X + 100)) $((Y + 150)) "$work/数据/𠮷野家 한국어 😀.xlsx" >/dev/null
check "a file named with characters outside GBK is accepted" 0 $?
sleep 0.5
check "the event has its name" "$(expect_dropped "$(wine_path "$work/数据/𠮷野家 한국어 😀.xlsx")")" "$(dropped)"

rm -f "$build_dir/dropped.txt"
"$drop" --text $((X + 100)) $((Y + 150)) "$work/a.xlsx" >/dev/null
check "text is refused" 3 $?
sleep 0.5
check "refused text fires no event" "" "$(dropped)"

xdotool windowfocus --sync "$window" key Escape 2>/dev/null
finish
check "Esc on the keyboard ends the probe with 0" 0 "$status"

# The program itself, with its own handlers. a.xlsx is empty, so the load
# fails inside the drop: the drop ends once the user has closed the message.
start colsplit.exe
"$drop" $((X + 100)) $((Y + 150)) "$work/a.xlsx" >/dev/null &
drop_pid=$!
message=$("$wine_run" "$build_dir/win_probe.exe" answer-box "信息：" 30000 2>/dev/null | tr -d '\r')
check "a file that is no workbook is reported" "文件读取失败：\\r\\n$(wine_path "$work/a.xlsx" | sed 's/\\/\\\\/g')\\r\\n不是工作簿文件（可能是文本、图片或其他程序的文档）" "$message"
wait "$drop_pid"
check "colsplit.exe accepts a file" 0 $?
"$drop" --text $((X + 100)) $((Y + 150)) "some text" >/dev/null
check "colsplit.exe refuses text" 3 $?
xdotool windowfocus --sync "$window" key Escape 2>/dev/null
finish
check "Esc ends colsplit.exe with 0" 0 "$status"

[ "$failures" -eq 0 ]
