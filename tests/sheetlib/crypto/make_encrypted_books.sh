#!/usr/bin/env bash
# Makes the workbooks of encrypted_package_test.cpp, once, by hand (they are
# kept beside it, so that the test needs neither npm nor Python): plain.xlsx
# with openpyxl (more than 4,096 bytes zipped, so that its encryption spans
# several segments), then each encryption of it by officecrypto-tool 0.0.19
# from npm: standard and agile, with Excel's default password
# "VelvetSweatshop" and with another one.
#
#   tests/sheetlib/crypto/make_encrypted_books.sh
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
books="$here/books"
work=$(mktemp -d "${TMPDIR:-/tmp}/colsplit-encrypted.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$books"

/usr/bin/python3 - "$books/plain.xlsx" <<'PY'
import sys
import openpyxl
book = openpyxl.Workbook()
sheet = book.active
sheet.title = "销售"
sheet.append(["地区", "Item", "Amount", "Paid"])
for row in range(1, 301):
    sheet.append([["华东", "华北", "West"][row % 3], f"item {row * 7919 % 10007}", row * 1.25, row % 2 == 0])
book.create_sheet("Other")["A1"] = "second"
book.save(sys.argv[1])
PY

(cd "$work" && npm init -y >/dev/null && npm install --no-audit --no-fund --loglevel=error officecrypto-tool@0.0.19)
NODE_PATH="$work/node_modules" node - "$books" <<'JS'
const fs = require('fs');
const path = require('path');
const officeCrypto = require('officecrypto-tool');
const books = process.argv[2];
const plain = fs.readFileSync(path.join(books, 'plain.xlsx'));
for (const [name, options] of [
  ['standard_default.xlsx', {password: 'VelvetSweatshop', type: 'standard'}],
  ['standard_other.xlsx', {password: 'other', type: 'standard'}],
  ['agile_default.xlsx', {password: 'VelvetSweatshop'}],
  ['agile_other.xlsx', {password: 'other'}],
]) {
  fs.writeFileSync(path.join(books, name), officeCrypto.encrypt(plain, options));
}
JS
