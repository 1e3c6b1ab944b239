"""make_openpyxl_book.py PATH: a workbook written by openpyxl, for the load
tests: a first sheet of strings, numbers, a boolean and an empty cell, and a
second sheet."""
import sys

import openpyxl

book = openpyxl.Workbook()
first = book.active
first.title = "\u6570\u636e"
first.append(["\u57ce\u5e02", "count", "share"])
first.append(["\u5317\u4eac", 12, 0.5])
first.append(["007", None, True])
book.create_sheet("second")["A1"] = "not read"  # unless asked for
book.save(sys.argv[1])
