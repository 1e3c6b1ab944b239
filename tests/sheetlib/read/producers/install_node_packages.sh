#!/usr/bin/env bash
# Installs the npm writers of package.json (exactly as package-lock.json
# pins them) into build/npm-producers/node_modules, outside the source tree.
# Does nothing when the installed lock is the committed one. Needs the npm
# registry the first time.
#
#   tests/sheetlib/read/producers/install_node_packages.sh
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../../../.." && pwd)
destination="$top/build/npm-producers"
if [ -d "$destination/node_modules" ] && cmp -s "$here/package-lock.json" "$destination/package-lock.json"; then
  exit 0
fi
command -v npm >/dev/null || { echo "npm is missing" >&2; exit 1; }
mkdir -p "$destination"
cp "$here/package.json" "$here/package-lock.json" "$destination/"
(cd "$destination" && npm ci --no-audit --no-fund --loglevel=error)
