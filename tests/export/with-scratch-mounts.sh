#!/usr/bin/env bash
# Runs a command with two scratch file systems, for the export's fault tests:
#   COLSPLIT_SMALL_DISK      a 2 MiB tmpfs, so that a run fills it up
#   COLSPLIT_ROOMY_DISK      a 256 MiB tmpfs, where ten thousand saves do not
#                            wait for a disk (the run flushes them all once,
#                            at its end)
#   COLSPLIT_READ_ONLY_DISK  a read-only tmpfs holding the empty folder
#                            with-export-folder/按_组_分别导出 (for heading 组)
# Mounting needs root, or else a user and mount namespace (unshare -rm).
# Where neither works the variables stay unset and those tests skip.
set -uo pipefail

if [ "${COLSPLIT_IN_NAMESPACE:-}" != 1 ] && [ "$(id -u)" -ne 0 ] &&
   unshare -rm true 2>/dev/null; then
  COLSPLIT_IN_NAMESPACE=1 exec unshare -rm bash "$0" "$@"
fi

scratch=$(mktemp -d "${TMPDIR:-/tmp}/colsplit-mounts.XXXXXX")
cleanup() {
  umount "$scratch/small" 2>/dev/null
  umount "$scratch/read-only" 2>/dev/null
  umount "$scratch/roomy" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT
mkdir -p "$scratch/small" "$scratch/read-only" "$scratch/roomy"

if mount -t tmpfs -o size=2m colsplit-small "$scratch/small" 2>/dev/null; then
  export COLSPLIT_SMALL_DISK="$scratch/small"
fi
if mount -t tmpfs -o size=256m colsplit-roomy "$scratch/roomy" 2>/dev/null; then
  export COLSPLIT_ROOMY_DISK="$scratch/roomy"
fi
if mount -t tmpfs -o size=1m colsplit-read-only "$scratch/read-only" 2>/dev/null; then
  mkdir -p "$scratch/read-only/with-export-folder/按_组_分别导出"
  if mount -o remount,ro "$scratch/read-only" 2>/dev/null; then
    export COLSPLIT_READ_ONLY_DISK="$scratch/read-only"
  fi
fi

"$@"
