"""colsplit-cli on the kind of workbook an office passes around: a note sheet
first, the data on the second sheet under a merged title row and a remarks
row, amounts, dates, percentages, zero-padded codes and 18-digit ID numbers
stored as text, booleans, set column widths. The written workbooks are read
back with openpyxl: they must keep what the source held and add up.

Usage: office_split_test.py COLSPLIT_CLI WORK_FOLDER
Runs the same checks on an .xls copy when LibreOffice is installed.
"""
import datetime
import glob
import os
import shutil
import subprocess
import sys
import tempfile

import openpyxl
from openpyxl.utils import get_column_letter

TITLE = "华东区2026年11月销售明细"
HEADINGS = ["日期", "城市", "客户编号", "身份证号", "金额", "完成率", "已回款", "备注"]
WIDTHS = [12, 8, 10, 22, 14, 8, 8, 30]
CITIES = ["上海", "杭州", "南京", "上海", "南京", "上海", "杭州", "上海"]

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what)


def source_rows():
    rows = []
    for i, city in enumerate(CITIES):
        rows.append([
            datetime.datetime(2026, 11, i + 1),
            city,
            "%05d" % (i * 7 + 3),
            "11010119900307%04d" % (1234 + i),
            1234.5 * (i + 1) + 0.25,
            0.125 * (i % 8),
            i % 2 == 0,
            "备注%d" % i if i % 3 else None,
        ])
    return rows


def make_workbook(path):
    book = openpyxl.Workbook()
    note = book.active
    note.title = "说明"
    note["A1"] = "本工作簿由财务部整理，数据见第二个工作表。"
    sheet = book.create_sheet("销售明细")
    sheet["A1"] = TITLE
    sheet.merge_cells("A1:H1")
    sheet["A2"] = "制表：财务部"
    sheet["G2"] = "单位：元"
    sheet.append(HEADINGS)
    for values in source_rows():
        sheet.append(values)
    for row in sheet.iter_rows(min_row=4):
        row[0].number_format = "yyyy-mm-dd"
        row[2].number_format = "@"
        row[3].number_format = "@"
        row[4].number_format = "#,##0.00"
        row[5].number_format = "0.0%"
    for column, width in enumerate(WIDTHS, start=1):
        sheet.column_dimensions[get_column_letter(column)].width = width
    book.save(path)


def run(cli, *arguments):
    result = subprocess.run([cli, *arguments], capture_output=True)
    return result.returncode, result.stdout.decode("utf-8", "replace")


def expected_rows(city):
    return [row for row in source_rows() if row[1] == city]


def same_format(written, wanted):
    # LibreOffice writes "YYYY\-MM\-DD" into an .xls for "yyyy-mm-dd".
    return written.lower().replace("\\", "").replace('"', "") == wanted


def check_sheet(sheet, city, typed, label):
    check(sheet.title == city, "%s: sheet named %s, not %s" % (label, city, sheet.title))
    check(sheet["A1"].value == TITLE, "%s: the title in A1" % label)
    check("A1:H1" in [str(r) for r in sheet.merged_cells.ranges], "%s: the title stays merged" % label)
    check(sheet["A2"].value == "制表：财务部" and sheet["G2"].value == "单位：元", "%s: the remarks row" % label)
    check([c.value for c in sheet[3]] == HEADINGS, "%s: the heading row under the titles" % label)
    rows = expected_rows(city)
    data = list(sheet.iter_rows(min_row=4, values_only=False))
    check(len(data) == len(rows), "%s: %d rows, not %d" % (label, len(rows), len(data)))
    for written, source in zip(data, rows):
        check(written[2].value == source[2] and written[2].data_type == "s", "%s: code %s stays text" % (label, source[2]))
        check(written[3].value == source[3] and written[3].data_type == "s", "%s: ID %s stays text" % (label, source[3]))
        # The default's border, or the source's look (no border here).
        check(written[0].border.left.style == (None if typed else "thin"), "%s: data cells' border" % label)
        if not typed:
            check(all(c.data_type == "s" or c.value is None for c in written), "%s: every cell text by default" % label)
            continue
        check(written[0].value == source[0] and same_format(written[0].number_format, "yyyy-mm-dd"),
              "%s: date %s kept (%r, %r)" % (label, source[0], written[0].value, written[0].number_format))
        check(abs(written[4].value - source[4]) < 1e-9 and same_format(written[4].number_format, "#,##0.00"),
              "%s: amount %s kept (%r, %r)" % (label, source[4], written[4].value, written[4].number_format))
        check(abs(written[5].value - source[5]) < 1e-12 and same_format(written[5].number_format, "0.0%"),
              "%s: rate kept (%r, %r)" % (label, written[5].value, written[5].number_format))
        check(written[6].value is source[6], "%s: boolean kept (%r)" % (label, written[6].value))
    if typed:
        total = sum(c.value for c in sheet["E"][3:])
        check(abs(total - sum(r[4] for r in rows)) < 1e-6, "%s: the amounts add up" % label)
        for column, width in enumerate(WIDTHS, start=1):
            got = sheet.column_dimensions[get_column_letter(column)].width
            # An .xls keeps widths in 1/256 of a character as LibreOffice rounds them.
            check(abs(got - width) < (0.6 if label.startswith("xls") else 0.01),
                  "%s: column %d width %r, not %r" % (label, column, got, width))


def split_checks(cli, book, work, label):
    cities = ["上海", "杭州", "南京"]
    # Without options the first sheet, the note, is what shows.
    status, output = run(cli, book, "城市", os.path.join(work, "none"))
    check(status == 2 and "找不到列标题" in output, "%s: no options: the note sheet has no 城市 (%d)" % (label, status))

    for options, typed in ((["--keep-types"], True), ([], False)):
        out = os.path.join(work, "each" + "".join(options))
        os.makedirs(out)
        status, output = run(cli, "--sheet", "销售明细", "--heading-row", "3", *options, book, "城市", out)
        check(status == 0, "%s %s: exit %d: %s" % (label, options, status, output))
        for city in cities:
            found = glob.glob(os.path.join(out, "按_城市_分别导出", "按内容导出_%s_*.xlsx" % city))
            check(len(found) == 1, "%s %s: one workbook for %s" % (label, options, city))
            if found:
                check_sheet(openpyxl.load_workbook(found[0]).active, city, typed, "%s %s %s" % (label, options, city))

    out = os.path.join(work, "sheets")
    os.makedirs(out)
    status, output = run(cli, "--sheet", "2", "--heading-row", "3", "--keep-types", "--into-sheets", book, "城市", out)
    found = glob.glob(os.path.join(out, "按_城市_分别导出", "*.xlsx"))
    check(status == 0 and len(found) == 1, "%s into sheets: one workbook (%d, %s)" % (label, status, found))
    if found:
        written = openpyxl.load_workbook(found[0])
        check(written.sheetnames == cities, "%s into sheets: sheets in group order: %s" % (label, written.sheetnames))
        for city in cities:
            if city in written.sheetnames:
                check_sheet(written[city], city, True, "%s into sheets %s" % (label, city))

    out = os.path.join(work, "list")
    os.makedirs(out)
    status, output = run(cli, "--list", "--sheet", "销售明细", "--heading-row", "3", book, "城市", out)
    lines = [line.split("\t") for line in output.splitlines()]
    check(status == 0 and [(l[0], l[1]) for l in lines] == [("上海", "4"), ("杭州", "2"), ("南京", "2")],
          "%s --list: values and counts: %r" % (label, lines))
    check(all(l[2].startswith("按内容导出_" + l[0] + "_") and l[2].endswith(".xlsx") for l in lines),
          "%s --list: file names %r" % (label, lines))
    status, output = run(cli, "--list", "--into-sheets", "--sheet", "2", "--heading-row", "3", book, "城市", out)
    check([l.split("\t")[2] for l in output.splitlines()] == cities, "%s --list --into-sheets: %r" % (label, output))
    check(os.listdir(out) == [], "%s --list writes nothing" % label)

    for arguments, status_wanted, words in (
            (["--sheet", "不存在"], 1, "找不到工作表"),
            (["--sheet", "9"], 1, "找不到工作表"),
            (["--sheet", "2", "--heading-row", "99"], 1, "标题行超出"),
            (["--heading-row", "0"], 2, "用法"),
            (["--bogus"], 2, "用法"),
            (["--heading-row", "x"], 2, "用法")):
        out = os.path.join(work, "bad")
        os.makedirs(out, exist_ok=True)
        status, output = run(cli, *arguments, book, "城市", out)
        check(status == status_wanted and words in output,
              "%s %s: exit %d (not %d), %r" % (label, arguments, status, status_wanted, output[:80]))
        check(os.listdir(out) == [], "%s %s: nothing written" % (label, arguments))
    status, output = run(cli, book, "城市", "--sheet")
    check(status == 2 and "用法" in output, "%s: --sheet without its value: the usage" % label)
    status, output = run(cli, "--help")
    check(status == 0 and all(o in output for o in ("--sheet", "--heading-row", "--keep-types", "--into-sheets",
                                                       "--list")), "--help names every option")


def main(cli, work):
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    book = os.path.join(work, "销售.xlsx")
    make_workbook(book)
    split_checks(cli, book, os.path.join(work, "xlsx"), "xlsx")
    soffice = shutil.which("soffice")
    if soffice:
        with tempfile.TemporaryDirectory() as home:
            subprocess.run([soffice, "-env:UserInstallation=file://" + home, "--headless", "--convert-to",
                            "xls:MS Excel 97", "--outdir", work, book], capture_output=True, timeout=120)
        xls = os.path.join(work, "销售.xls")
        check(os.path.exists(xls), "LibreOffice made the .xls copy")
        if os.path.exists(xls):
            split_checks(cli, xls, os.path.join(work, "xls"), "xls")
    else:
        print("skipped the .xls copy: LibreOffice is not installed")
    print("%d failures" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
