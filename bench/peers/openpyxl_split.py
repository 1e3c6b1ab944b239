#!/usr/bin/python3
"""The openpyxl/XlsxWriter peer of the split benchmark: openpyxl's
read-only reader for the first sheet (every value as text), XlsxWriter in
constant-memory mode for one workbook per distinct value of the heading's
column (first appearance first): the heading row, then the group's rows.

    /usr/bin/python3 bench/peers/openpyxl_split.py WORKBOOK HEADING OUTPUT-FOLDER
"""
import os
import re
import sys

import openpyxl
import xlsxwriter


def text(value):
    return "" if value is None else str(value)


def main():
    workbook, heading, output = sys.argv[1:4]
    book = openpyxl.load_workbook(workbook, read_only=True, data_only=True)
    rows = book.worksheets[0].iter_rows(values_only=True)
    header = [text(v) for v in next(rows)]
    key = header.index(heading)
    groups = {}
    for row in rows:
        texts = [text(v) for v in row]
        groups.setdefault(texts[key] if key < len(texts) else "", []).append(texts)
    book.close()
    os.makedirs(output, exist_ok=True)
    for number, (value, group) in enumerate(groups.items()):
        name = "%d_%s.xlsx" % (number, re.sub(r'[\\/:*?"<>|]', "_", value))
        out = xlsxwriter.Workbook(os.path.join(output, name), {"constant_memory": True})
        sheet = out.add_worksheet("data")
        sheet.write_row(0, 0, header)
        for index, texts in enumerate(group, start=1):
            sheet.write_row(index, 0, texts)
        out.close()


if __name__ == "__main__":
    main()
