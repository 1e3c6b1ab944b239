#!/usr/bin/python3
"""Writes .xls workbooks as three other programs write them, and what
LibreOffice shows of each, for the reader's comparison test.

    make_xls_books.py OUT_DIR

OUT_DIR/<producer>.xls for the producers libreoffice, gnumeric and
gnumeric_dual (converting one workbook made with openpyxl; the last writes
an Excel 95 stream beside the Excel 97 one, as files meant for both did;
gnumeric95 an Excel 95 workbook alone, in a Chinese locale, where its
strings are code page 936) and xlwt (writing a workbook of its own); OUT_DIR/<producer>.csv, the first sheet as LibreOffice shows it;
OUT_DIR/twin/<producer>.xlsx, the same workbook saved by LibreOffice as
.xlsx. A producer that is not installed is left out; exit status 3 when
LibreOffice, which the comparison needs, is missing.
"""
import datetime
import os
import shutil
import subprocess
import sys
import tempfile

CSV_FILTER = "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,true,false,false"

# Texts the table holds: Chinese, characters GBK lacks (Korean, an emoji, a
# CJK extension B ideograph), Latin letters with accents, and a text long
# enough to be cut into CONTINUE records.
CITIES = ["北京", "上海", "广州", "深圳市", "서울", "café ½", "𠀀𠀁", "😀 smile", "Ωmega"]
LONG_TEXT = "长文本" * 3000 + "end"


def soffice(args, out_dir):
    home = tempfile.mkdtemp(prefix="soffice-home-")
    try:
        subprocess.run(["soffice", "--headless", *args, "--outdir", out_dir], env=dict(os.environ, HOME=home),
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=300, check=False)
    finally:
        shutil.rmtree(home, ignore_errors=True)


def openpyxl_source(path):
    import openpyxl
    book = openpyxl.Workbook()
    sheet = book.active
    sheet.title = "数据"
    sheet.append(["名称", "数量", "金额", "日期", "时间", "比例", "标志", "公式文本", "公式数", "错误", "备注"])
    for i in range(40):
        row = i + 2
        sheet.append([
            CITIES[i % len(CITIES)] + str(i),
            i * 7 - 30,
            1234.5 + i * 0.125 if i % 5 else -0.000123 * i,
            datetime.date(2024, 1, 1) + datetime.timedelta(days=i * 37),
            datetime.time(i % 24, (i * 7) % 60, 30),
            i / 40,
            i % 3 == 0,
            f'=A{row}&"市"',
            f"=B{row}*2+0.5",
            "=1/0" if i % 2 else "=NA()",
            None if i % 4 else f"备注{i} 第二行\n续",
        ])
        sheet.cell(row, 4).number_format = "yyyy-mm-dd"
        sheet.cell(row, 5).number_format = "h:mm:ss"
        sheet.cell(row, 6).number_format = "0.00%"
        sheet.cell(row, 3).number_format = "#,##0.00" if i % 3 else "General"
    sheet["M3"] = LONG_TEXT
    sheet["M5"] = 1e20
    sheet["M6"] = 123456789.123456789
    for i in range(600):  # enough distinct texts for the table to need CONTINUE records
        sheet.cell(50 + i // 10, 1 + i % 10, f"项目{i:04d}-{CITIES[i % len(CITIES)]}")
    book.create_sheet("第二页").append(["不应显示"])
    book.save(path)


def xlwt_book(path):
    import xlwt
    book = xlwt.Workbook(encoding="utf-8")
    sheet = book.add_sheet("表一")
    styles = {code: xlwt.easyxf(num_format_str=code) for code in ["0.00%", "yyyy-mm-dd", "#,##0.00", "0.000", "h:mm"]}
    for column, title in enumerate(["城市", "人口", "比例", "日期", "金额", "精度", "标志", "时间"]):
        sheet.write(0, column, title)
    for i in range(30):
        row = i + 1
        sheet.write(row, 0, CITIES[i % len(CITIES)])
        sheet.write(row, 1, i * 1000 + 7)
        sheet.write(row, 2, i / 30, styles["0.00%"])
        sheet.write(row, 3, datetime.date(2023, 12, 31) + datetime.timedelta(days=i * 11), styles["yyyy-mm-dd"])
        sheet.write(row, 4, -1234567.891 + i, styles["#,##0.00"])
        sheet.write(row, 5, 1 / (i + 3), styles["0.000"])
        sheet.write(row, 6, bool(i % 2))
        sheet.write(row, 7, datetime.time(i % 24, 15), styles["h:mm"])
    sheet.row(32).set_cell_error(0, 0x2A)
    sheet.row(32).set_cell_error(1, 0x07)
    sheet.write(33, 0, LONG_TEXT)
    sheet.write(34, 2, "")  # an empty text: xlwt writes a blank cell
    sheet.write(35, 1, 0.1)
    book.add_sheet("第二页").write(0, 0, "不应显示")
    book.save(path)


def main():
    out = os.path.abspath(sys.argv[1])
    os.makedirs(os.path.join(out, "twin"), exist_ok=True)
    if not shutil.which("soffice"):
        return 3
    source = os.path.join(out, "source.xlsx")
    openpyxl_source(source)
    made = []

    soffice(["--convert-to", "xls", source], out)
    if os.path.exists(os.path.join(out, "source.xls")):
        os.replace(os.path.join(out, "source.xls"), os.path.join(out, "libreoffice.xls"))
        made.append("libreoffice")
    if shutil.which("ssconvert"):
        for name, exporter in [("gnumeric", "excel_biff8"), ("gnumeric_dual", "excel_dsf")]:
            subprocess.run(["ssconvert", "--export-type=Gnumeric_Excel:" + exporter, source,
                            os.path.join(out, name + ".xls")], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                           timeout=300, check=False)
            if os.path.exists(os.path.join(out, name + ".xls")):
                made.append(name)
        # Gnumeric takes the code page of Excel 95 strings from the locale.
        subprocess.run(["ssconvert", "--export-type=Gnumeric_Excel:excel_biff7", source,
                        os.path.join(out, "gnumeric95.xls")], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       env=dict(os.environ, LANG="zh_CN.UTF-8", LC_ALL="zh_CN.UTF-8"), timeout=300, check=False)
        if os.path.exists(os.path.join(out, "gnumeric95.xls")):
            made.append("gnumeric95")
    try:
        xlwt_book(os.path.join(out, "xlwt.xls"))
        made.append("xlwt")
    except ImportError:
        pass

    books = [os.path.join(out, name + ".xls") for name in made]
    soffice(["--convert-to", CSV_FILTER, *books], out)
    soffice(["--convert-to", "xlsx", *books], os.path.join(out, "twin"))
    with open(os.path.join(out, "made.txt"), "w") as listing:
        for name in made:
            if os.path.exists(os.path.join(out, name + ".csv")) and os.path.exists(os.path.join(out, "twin", name + ".xlsx")):
                listing.write(name + "\n")
    return 0


sys.exit(main())
