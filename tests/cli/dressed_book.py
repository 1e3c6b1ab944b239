"""A sheet dressed as offices dress it, made with openpyxl: a big merged
title in a taller row, a heading row filled in a theme colour with bold,
centred, wrapped texts and a medium bottom border, thin grey borders round
every data cell, alternating fills, one amount in red bold, a hidden
column, headings frozen, a filter over the table, a drop-down list on 部门,
a highlight rule on amounts over 50,000, a link, print titles and
landscape pages.

Usage as a module: make(path, rows=40); as a program: dressed_book.py PATH [ROWS]
"""
import datetime
import sys

import openpyxl
from openpyxl.formatting.rule import CellIsRule
from openpyxl.styles import Alignment, Border, Font, PatternFill, Side
from openpyxl.styles.colors import Color
from openpyxl.styles.differential import DifferentialStyle
from openpyxl.worksheet.datavalidation import DataValidation

TITLE = "华东区销售明细"
HEADINGS = ["日期", "城市", "部门", "姓名", "金额", "备注"]
CITIES = ["上海", "杭州", "南京", "苏州"]
DEPARTMENTS = ["销售部", "市场部", "财务部"]
WIDTHS = [12, 8, 10, 10, 14, 24]


def row_values(i):
    return [datetime.datetime(2026, 11, 1) + datetime.timedelta(days=i % 28), CITIES[i % len(CITIES)],
            DEPARTMENTS[i % len(DEPARTMENTS)], "员工%03d" % i, 1000.0 + (i * 7919) % 90000 + 0.5,
            "备注%d" % i if i % 4 == 0 else None]


def make(path, rows=40):
    book = openpyxl.Workbook()
    sheet = book.active
    sheet.title = "明细"
    grey = Side(style="thin", color="FF808080")
    thin = Border(left=grey, right=grey, top=grey, bottom=grey)
    sheet["A1"] = TITLE
    sheet["A1"].font = Font(name="黑体", size=18, bold=True, color="FF1F3864")
    sheet["A1"].alignment = Alignment(horizontal="center", vertical="center")
    sheet.merge_cells("A1:F1")
    sheet.row_dimensions[1].height = 36
    sheet.append(HEADINGS)
    for cell in sheet[2]:
        cell.font = Font(name="微软雅黑", size=11, bold=True, color=Color(theme=0))
        cell.fill = PatternFill("solid", fgColor=Color(theme=4, tint=-0.249977111117893))
        cell.alignment = Alignment(horizontal="center", vertical="center", wrap_text=True)
        cell.border = Border(left=grey, right=grey, top=grey, bottom=Side(style="medium", color="FF000000"))
    sheet.row_dimensions[2].height = 24
    stripe = PatternFill("solid", fgColor="FFDDEBF7")
    for i in range(rows):
        sheet.append(row_values(i))
        r = sheet.max_row
        for cell in sheet[r]:
            cell.border = thin
            if i % 2:
                cell.fill = stripe
        sheet.cell(r, 1).number_format = "yyyy-mm-dd"
        sheet.cell(r, 5).number_format = "#,##0.00"
        sheet.cell(r, 5).alignment = Alignment(horizontal="right", indent=1)
    sheet.cell(4, 5).font = Font(color="FFFF0000", bold=True)
    sheet.cell(5, 6).alignment = Alignment(text_rotation=45, shrink_to_fit=True)
    sheet.row_dimensions[6].height = 30
    for column, width in enumerate(WIDTHS, start=1):
        sheet.column_dimensions[openpyxl.utils.get_column_letter(column)].width = width
    sheet.column_dimensions["F"].hidden = True
    sheet.freeze_panes = "B3"
    sheet.sheet_view.zoomScale = 85
    last = sheet.max_row
    sheet.auto_filter.ref = "A2:F%d" % last
    lists = DataValidation(type="list", formula1='"%s"' % ",".join(DEPARTMENTS), allow_blank=True)
    lists.add("C3:C%d" % last)
    sheet.add_data_validation(lists)
    sheet.conditional_formatting.add(
        "E3:E%d" % last, CellIsRule(operator="greaterThan", formula=["50000"],
                                    font=Font(color="FF9C0006"), fill=PatternFill("solid", bgColor="FFFFC7CE")))
    sheet.cell(3, 4).hyperlink = "https://example.com/员工"
    sheet.print_title_rows = "1:2"
    sheet.page_setup.orientation = "landscape"
    sheet.page_setup.paperSize = sheet.PAPERSIZE_A4
    sheet.page_margins.left = 0.5
    sheet.oddHeader.center.text = "销售明细"
    book.save(path)


if __name__ == "__main__":
    make(sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 40)
