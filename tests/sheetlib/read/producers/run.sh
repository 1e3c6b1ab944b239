#!/usr/bin/env bash
# Makes one workbook with every spreadsheet writer this machine has (Debian's
# openpyxl, XlsxWriter and pandas, SheetJS and ExcelJS from npm, Apache POI,
# Gnumeric's ssconvert, LibreOffice), has LibreOffice show each of them as
# text (one conversion per file, with zh-CN as its locale, so that Chinese
# numerals and the Chinese short date show as a Chinese spreadsheet shows
# them), then runs the test program, which reads them with our reader and
# compares. A writer that is missing or fails leaves NAME.skip with the
# reason, and its test is skipped.
#
#   run.sh TEST-PROGRAM [gtest arguments]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../../../.." && pwd)
program=$1
shift
out=$(mktemp -d "${TMPDIR:-/tmp}/colsplit-producers.XXXXXX")
trap 'rm -rf "$out"' EXIT
content="$here/content.tsv"
python=/usr/bin/python3

# produce NAME COMMAND...: runs the command, which writes $out/NAME.xlsx; a
# failure leaves the reason in $out/NAME.skip.
produce() {
  local name=$1
  shift
  local log="$out/$name.log"
  "$@" >"$log" 2>&1
  local status=$?
  if [ "$status" -eq 0 ] && [ -s "$out/$name.xlsx" ]; then
    echo "made $name.xlsx"
    return
  fi
  rm -f "$out/$name.xlsx"
  if [ "$status" -eq 3 ]; then
    echo "$name is not installed" >"$out/$name.skip"
  else
    { echo "$name failed (exit $status):"; tail -n 5 "$log"; } >"$out/$name.skip"
  fi
  echo "no $name.xlsx: $(head -n 1 "$out/$name.skip")"
}

missing() {
  local name=$1
  shift
  echo "$*" >"$out/$name.skip"
  echo "no $name.xlsx: $*"
}

for writer in openpyxl xlsxwriter pandas; do
  produce "$writer" "$python" "$here/make_with_python.py" "$writer" "$content" "$out/$writer.xlsx"
done

if "$here/install_node_packages.sh" >"$out/npm.log" 2>&1; then
  for writer in sheetjs exceljs; do
    produce "$writer" env NODE_PATH="$top/build/npm-producers/node_modules" node "$here/make_with_node.js" "$writer" \
      "$content" "$out/$writer.xlsx"
  done
else
  for writer in sheetjs exceljs; do missing "$writer" "the npm packages could not be installed: $(tail -n 1 "$out/npm.log")"; done
fi

poi_classes=""
for jar in poi poi-ooxml poi-ooxml-schemas xmlbeans commons-collections4 commons-compress commons-codec commons-math3 curvesapi; do
  poi_classes+="/usr/share/java/$jar.jar:"
done
# Debian's poi-ooxml-schemas holds only the factories of the OOXML schema
# classes, not the classes: its XSSF cannot write a workbook at all.
has_schema_classes() {
  "$python" -c 'import sys, zipfile; sys.exit(0 if any(name.endswith("/main/CTRst.class") for name in
    zipfile.ZipFile(sys.argv[1]).namelist()) else 1)' /usr/share/java/poi-ooxml-schemas.jar 2>/dev/null
}
if [ ! -f /usr/share/java/poi-ooxml.jar ]; then
  missing poi "Apache POI (libapache-poi-java) is not installed"
elif ! has_schema_classes; then
  missing poi "this Apache POI cannot write .xlsx: its poi-ooxml-schemas.jar lacks the OOXML schema classes" \
    "(Debian's libapache-poi-java ships only their factories)"
elif ! command -v javac >/dev/null; then
  missing poi "javac is not installed"
else
  make_poi() {
    mkdir -p "$out/java" &&
      javac -encoding UTF-8 -d "$out/java" -cp "$poi_classes" "$here/MakeWithPoi.java" &&
      java -cp "$poi_classes$out/java" MakeWithPoi "$content" "$out/poi.xlsx"
  }
  produce poi make_poi
fi

# Gnumeric and LibreOffice write their own workbooks from XlsxWriter's, the
# one with rich text and every number format.
if [ ! -f "$out/xlsxwriter.xlsx" ]; then
  missing gnumeric "the XlsxWriter workbook it starts from is missing"
  missing libreoffice "the XlsxWriter workbook it starts from is missing"
else
  if command -v ssconvert >/dev/null; then
    produce gnumeric ssconvert --export-type=Gnumeric_Excel:xlsx2 "$out/xlsxwriter.xlsx" "$out/gnumeric.xlsx"
  else
    missing gnumeric "Gnumeric's ssconvert is not installed"
  fi
  if command -v soffice >/dev/null; then
    make_libreoffice() {
      mkdir -p "$out/libreoffice" &&
        HOME="$out/home" soffice --headless --convert-to 'xlsx:Calc Office Open XML' --outdir "$out/libreoffice" \
          "$out/xlsxwriter.xlsx" &&
        mv "$out/libreoffice/xlsxwriter.xlsx" "$out/libreoffice.xlsx"
    }
    produce libreoffice make_libreoffice
  else
    missing libreoffice "LibreOffice is not installed"
  fi
fi

# What LibreOffice shows of each: its CSV of the texts as shown.
books=("$out"/*.xlsx)
if ! command -v soffice >/dev/null; then
  for book in "${books[@]}"; do missing "$(basename "$book" .xlsx)" "LibreOffice is not installed to show it"; done
elif [ -e "${books[0]}" ]; then
  LC_ALL=zh_CN.UTF-8 LANG=zh_CN.UTF-8 HOME="$out/home" soffice --headless --convert-to \
    'csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,true,false,false' --outdir "$out" "${books[@]}" \
    >"$out/soffice.log" 2>&1
fi

COLSPLIT_PRODUCED="$out" "$program" "$@"
