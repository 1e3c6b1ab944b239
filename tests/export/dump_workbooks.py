#!/usr/bin/python3
"""Prints what the tests check of every .xlsx in a folder, read back with
openpyxl (and the sheet XML for the ignored-error range, which openpyxl does
not read). One line per fact, tab-separated, UTF-8, files in name order:

    FILE     name
    SHEETS   sheet names, tab-separated
    ROW      the cell values of one row, _xHHHH_ decoded (None as <null>; backslash, tab, CR
             and LF as \\ \\t \\r \\n)
    STRINGS  yes when every non-empty cell is a string cell
    BORDERS  yes when every cell of the used range has thin borders all round
    COLS     min-max:width for each column range with a width
    IGNORED  sqref and the flags set, for each ignored-error range
"""
import os
import re
import sys
import zipfile

from openpyxl import load_workbook
from openpyxl.utils.escape import unescape


def escaped(text):
    # openpyxl leaves the _xHHHH_ escapes of characters XML cannot hold as
    # they are; spreadsheet applications show the characters.
    text = unescape(text)
    return text.replace("\\", "\\\\").replace("\t", "\\t").replace("\r", "\\r").replace("\n", "\\n")


def main():
    folder = sys.argv[1]
    for name in sorted(os.listdir(folder)):
        if not name.endswith(".xlsx"):
            continue
        path = os.path.join(folder, name)
        book = load_workbook(path)
        sheet = book.worksheets[0]
        print("FILE\t" + name)
        print("SHEETS\t" + "\t".join(book.sheetnames))
        strings = True
        borders = True
        for row in sheet.iter_rows():
            print("ROW\t" + "\t".join("<null>" if c.value is None else escaped(str(c.value)) for c in row))
            for cell in row:
                if cell.value is not None and cell.data_type != "s":
                    strings = False
                sides = (cell.border.left, cell.border.right, cell.border.top, cell.border.bottom)
                if any(side is None or side.style != "thin" for side in sides):
                    borders = False
        print("STRINGS\t" + ("yes" if strings else "no"))
        print("BORDERS\t" + ("yes" if borders else "no"))
        for dimension in sheet.column_dimensions.values():
            if dimension.customWidth:
                print("COLS\t%d-%d:%g" % (dimension.min, dimension.max, dimension.width))
        with zipfile.ZipFile(path) as archive:
            sheet_xml = archive.read("xl/worksheets/sheet1.xml").decode("utf-8")
        for attributes in re.findall(r"<ignoredError\s([^>]*?)/?>", sheet_xml):
            values = dict(re.findall(r'(\w+)="([^"]*)"', attributes))
            flags = sorted(k for k, v in values.items() if k != "sqref" and v in ("1", "true"))
            print("IGNORED\t" + values.get("sqref", "") + "\t" + ",".join(flags))


if __name__ == "__main__":
    main()
