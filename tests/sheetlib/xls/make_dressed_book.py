#!/usr/bin/python3
"""Writes a dressed workbook with openpyxl and has LibreOffice save it as
.xls (and Gnumeric as Excel 95's .xls, when it is installed), for the test
of the look the .xls reader keeps.

    make_dressed_book.py OUT_DIR

OUT_DIR/dressed.xls (and dressed95.xls): fonts, fills, borders (one with
a diagonal), alignments, a blank styled cell, a tall row, a hidden row, a
hidden column, two links, three validations, two conditional formats, a
landscape page with its margins, header, footer, print titles, print area,
and an AutoFilter. Exit status 3 when openpyxl or LibreOffice is missing.
"""
import os
import shutil
import subprocess
import sys
import tempfile


def main():
    out_dir = sys.argv[1]
    try:
        import openpyxl
        from openpyxl.styles import Alignment, Border, Font, PatternFill, Protection, Side
        from openpyxl.formatting.rule import CellIsRule
        from openpyxl.worksheet.datavalidation import DataValidation
        from openpyxl.worksheet.hyperlink import Hyperlink
    except ImportError:
        return 3
    if not shutil.which("soffice"):
        return 3
    os.makedirs(out_dir, exist_ok=True)
    book = openpyxl.Workbook()
    sheet = book.active
    sheet.title = "Look"
    for row in range(1, 12):
        for column in range(1, 7):
            sheet.cell(row, column, row * 10 + column)
    sheet["A1"] = "Bold"
    sheet["A1"].font = Font(name="Arial", size=14, bold=True, italic=True, color="FFFF0000")
    sheet["B1"] = "Under"
    sheet["B1"].font = Font(name="Times New Roman", size=9, underline="single", strike=True, color="FF0000FF")
    sheet["B2"].font = Font(name="Arial", size=10, underline="double", vertAlign="superscript")
    sheet["C1"] = 3.5
    sheet["C1"].fill = PatternFill("solid", fgColor="FFFFFF00")
    sheet["C1"].border = Border(left=Side("thin", color="FFFF0000"), bottom=Side("double", color="FF000000"),
                                diagonal=Side("thin", color="FF0000FF"), diagonalUp=True, diagonalDown=True)
    sheet["D1"] = "Wrap"
    sheet["D1"].alignment = Alignment(horizontal="center", vertical="top", wrap_text=True)
    sheet["E1"] = "Indent"
    sheet["E1"].alignment = Alignment(horizontal="left", indent=2)
    sheet["F1"] = "Turned"
    sheet["F1"].alignment = Alignment(text_rotation=45, shrink_to_fit=True)
    sheet["F1"].protection = Protection(locked=False, hidden=True)
    # A blank cell that only shows its border and fill.
    sheet["H3"].border = Border(top=Side("medium", color="FF00FF00"), right=Side("dashed", color="FF00FF00"))
    sheet["H3"].fill = PatternFill("solid", fgColor="FF00FFFF")
    sheet["A12"] = "site"
    sheet["A12"].hyperlink = "https://example.com/a?b=1&c=2"
    sheet["B12"] = "home"
    sheet["B12"].hyperlink = Hyperlink(ref="B12", location="Look!A1", tooltip="Go home", display="home")
    colors = DataValidation(type="list", formula1='"Red,Green,Blue"', allow_blank=True, showInputMessage=True,
                            promptTitle="Colour", prompt="Pick one")
    colors.add("A13:A15")
    count = DataValidation(type="whole", operator="between", formula1="1", formula2="10", showErrorMessage=True,
                           errorStyle="warning", errorTitle="Count", error="1 to 10 <only>")
    count.add("B13:B15")
    count.add("D13")
    least = DataValidation(type="decimal", operator="greaterThan", formula1="-2.5")
    least.add("C13")
    for validation in (colors, count, least):
        sheet.add_data_validation(validation)
    sheet.conditional_formatting.add("C2:F11", CellIsRule(operator="greaterThan", formula=["100"],
                                                          font=Font(bold=True, color="FFFF0000"),
                                                          fill=PatternFill("solid", bgColor="FFFFFF00")))
    sheet.conditional_formatting.add("C2:F11", CellIsRule(operator="between", formula=["20", "30"],
                                                          font=Font(italic=True)))
    sheet.row_dimensions[3].height = 30
    sheet.row_dimensions[5].hidden = True
    sheet.column_dimensions["D"].hidden = True
    sheet.page_setup.orientation = "landscape"
    sheet.page_setup.paperSize = 9
    sheet.page_margins.left = 0.5
    sheet.page_margins.right = 0.6
    sheet.page_margins.top = 0.7
    sheet.page_margins.bottom = 0.8
    sheet.page_margins.header = 0.2
    sheet.page_margins.footer = 0.25
    sheet.print_options.horizontalCentered = True
    sheet.oddHeader.center.text = "Quarter <1>"
    sheet.oddFooter.right.text = "Page &P"
    sheet.print_title_rows = "1:2"
    sheet.print_area = "A1:F10"
    sheet.auto_filter.ref = "A2:F11"
    source = os.path.join(out_dir, "dressed.xlsx")
    book.save(source)
    home = tempfile.mkdtemp(prefix="soffice-home-")
    try:
        subprocess.run(["soffice", "--headless", "--convert-to", "xls", "--outdir", out_dir, source],
                       env=dict(os.environ, HOME=home), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=300, check=False)
    finally:
        shutil.rmtree(home, ignore_errors=True)
    if shutil.which("ssconvert"):
        subprocess.run(["ssconvert", "--export-type=Gnumeric_Excel:excel_biff7", source,
                        os.path.join(out_dir, "dressed95.xls")], stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=300, check=False)
    return 0 if os.path.exists(os.path.join(out_dir, "dressed.xls")) else 3


if __name__ == "__main__":
    sys.exit(main())
