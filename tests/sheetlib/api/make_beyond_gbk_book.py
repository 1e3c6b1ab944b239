"""make_beyond_gbk_book.py PATH: a workbook written by openpyxl whose first
sheet (named "한국어😀") holds, in column A, texts with characters that GBK
lacks, one a row, as beyond_gbk_test.cpp lists them; row 2 also holds a
whole row of them."""
import sys

import openpyxl

VALUES = ["𠮷野家", "王䶮", "李㐀", "한국어", "😀", "😁", "🇨🇳", "ß", "ğ", "ﬀ", "ｱ", "a\u200bb", "€", "北京",
          "ǹ⺁㑳䶮"]

book = openpyxl.Workbook()
sheet = book.active
sheet.title = "한국어😀"
for row, value in enumerate(VALUES, start=1):
    sheet.cell(row=row, column=1, value=value)
for column, value in enumerate(VALUES, start=2):
    sheet.cell(row=2, column=column, value=value)
book.save(sys.argv[1])
