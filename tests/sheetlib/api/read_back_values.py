"""Prints what openpyxl reads of the typed cells of a workbook's first sheet,
one line per fact, for the C API tests to compare with what they wrote:

  cell B2 n float 1234.5 "#,##0.00"      (type, value's Python type, value, number format)
  merged A1:H1                            (sorted: openpyxl keeps them in a set)

Only the cells holding a value are listed: openpyxl makes cells of its own
for the merged ranges.
"""
import json
import sys

import openpyxl


def main(path):
    sheet = openpyxl.load_workbook(path).worksheets[0]
    for (row, column), cell in sorted(sheet._cells.items()):
        if cell.value is None:
            continue
        value = cell.value
        shown = value.isoformat() if hasattr(value, "isoformat") else json.dumps(value, ensure_ascii=False)
        print("cell", cell.coordinate, cell.data_type, type(value).__name__, shown,
              json.dumps(cell.number_format, ensure_ascii=False))
    for merged in sorted(merged.coord for merged in sheet.merged_cells.ranges):
        print("merged", merged)


if __name__ == "__main__":
    main(sys.argv[1])
