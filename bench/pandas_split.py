#!/usr/bin/python3
"""The peer baseline of the split benchmark: what a pandas user writes to do
the same job. Reads the first sheet with openpyxl, every cell as text, and
writes one workbook per distinct value of the column with xlsxwriter.

    /usr/bin/python3 bench/pandas_split.py WORKBOOK HEADING OUTPUT-FOLDER
"""
import os
import sys

import pandas


def main():
    workbook, heading, output = sys.argv[1:4]
    frame = pandas.read_excel(workbook, sheet_name=0, dtype=str, engine="openpyxl", keep_default_na=False)
    os.makedirs(output, exist_ok=True)
    for number, (value, rows) in enumerate(frame.groupby(heading, sort=False)):
        path = os.path.join(output, "%d_%s.xlsx" % (number, value))
        rows.to_excel(path, sheet_name="data", index=False, engine="xlsxwriter")


if __name__ == "__main__":
    main()
