"""make_xlwt_sheets.py OUT_FILE: an .xls workbook of two worksheets written by
xlwt, whose second sheet holds what a reader must keep beside the texts:
numbers under built-in and the workbook's own number formats, dates,
booleans, a merged title row, column widths (one of a hidden column).
Exit status 3 when xlwt is missing.
"""
import datetime
import sys


def main():
    try:
        import xlwt
    except ImportError:
        return 3
    book = xlwt.Workbook(encoding="utf-8")
    book.add_sheet("封面").write(0, 0, "cover")
    sheet = book.add_sheet("数据 2024")
    sheet.write_merge(0, 0, 0, 4, "销售报表")
    for column, title in enumerate(["城市", "数量", "金额", "日期", "已付"]):
        sheet.write(1, column, title)
    money = xlwt.easyxf(num_format_str="#,##0.00")  # built-in id 4, no FORMAT record
    day = xlwt.easyxf(num_format_str="yyyy-mm-dd")  # the workbook's own code, id 164
    sheet.write(2, 0, "北京")
    sheet.write(2, 1, 42)
    sheet.write(2, 2, 1234.5, money)
    sheet.write(2, 3, datetime.date(2024, 3, 1), day)
    sheet.write(2, 4, True)
    sheet.write(3, 0, "上海")
    sheet.write(3, 1, -7.25)
    sheet.write(3, 2, 0.75, money)
    sheet.write(3, 3, datetime.date(1999, 12, 31), day)
    sheet.write(3, 4, False)
    sheet.write_merge(5, 6, 1, 2, "备注")
    sheet.col(0).width = 20 * 256
    sheet.col(2).width = 3000
    sheet.col(4).width = 12 * 256
    sheet.col(4).hidden = True
    book.save(sys.argv[1])
    return 0


if __name__ == "__main__":
    sys.exit(main())
