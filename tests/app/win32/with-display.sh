#!/usr/bin/env bash
# Runs a command with an X display: the one in $DISPLAY, or an Xvfb of its
# own that ends with the command.
set -uo pipefail
if [ -z "${DISPLAY:-}" ]; then
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  xvfb=$!
  read -r number <"$fifo"
  rm -f "$fifo"
  export DISPLAY=":$number"
  trap 'kill $xvfb 2>/dev/null' EXIT
fi
"$@"
