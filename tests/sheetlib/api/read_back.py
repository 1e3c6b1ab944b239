"""Prints what openpyxl reads from a workbook, one line per fact, for the
C API tests to compare with what they wrote:

  sheets ["name", ...]
  cell A1 s thin/thin/thin/thin "text"      (type, left/right/top/bottom border, value)
  cols A:G 20.0 custom hidden=False
  ignored A1:H6 emptyCellReference,evalError,...

Only the cells present in the file are listed. Ignored-error ranges are read
from the first sheet's XML, since openpyxl does not keep them.
"""
import json
import sys
import zipfile
import xml.etree.ElementTree as ElementTree

import openpyxl

MAIN = "{http://schemas.openxmlformats.org/spreadsheetml/2006/main}"


def main(path):
    book = openpyxl.load_workbook(path)
    print("sheets", json.dumps(book.sheetnames, ensure_ascii=False))
    sheet = book.worksheets[0]
    for (row, column), cell in sorted(sheet._cells.items()):
        border = cell.border
        sides = "/".join(str(side.style) for side in (border.left, border.right, border.top, border.bottom))
        print("cell", cell.coordinate, cell.data_type, sides, json.dumps(cell.value, ensure_ascii=False))
    for key, dimension in sorted(sheet.column_dimensions.items()):
        if dimension.customWidth or dimension.hidden:
            first = openpyxl.utils.get_column_letter(dimension.min)
            last = openpyxl.utils.get_column_letter(dimension.max)
            print("cols %s:%s %r %s hidden=%s" % (first, last, dimension.width,
                                               "custom" if dimension.customWidth else "auto", dimension.hidden))
    with zipfile.ZipFile(path) as package:
        root = ElementTree.fromstring(package.read("xl/worksheets/sheet1.xml"))
    for ignored in root.iter(MAIN + "ignoredError"):
        kinds = sorted(name for name, value in ignored.attrib.items() if name != "sqref" and value == "1")
        print("ignored", ignored.get("sqref"), ",".join(kinds))


if __name__ == "__main__":
    main(sys.argv[1])
