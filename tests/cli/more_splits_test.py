"""colsplit-cli's further splits, one table over their combinations: by
several columns (--and), in runs of rows (--rows), as CSV (--csv), each with
--heading-row, --sheet, --into-sheets and --keep-format. Every written file
is read back (the workbooks with openpyxl, the CSV files with Python's csv
module) and compared with the rows the source holds, in order, under its
title and heading rows; --list shows the same parts in the same order; wrong
usage exits 2 and writes nothing.

Usage: more_splits_test.py COLSPLIT_CLI WORK_FOLDER
"""
import csv
import io
import os
import re
import shutil
import subprocess
import sys

import openpyxl

TITLE = "销售明细"
HEADINGS = ["城市", "部门", "姓名", "备注", "金额"]
# A character beyond GBK (U+20000), a comma, quotes, a line break, a slash
# that no name may hold, an empty value.
ROWS = [
    ["北京", "销售部", "张三", "普通", "100"],
    ["上海", "A/B", "李四", "含,逗号", "200"],
    ["北京", "研发\U00020000部", "王五", '含"引号"', "300"],
    ["北京", "销售部", "赵六", "两行\n文本", "400"],
    ["上海", "A/B", "钱七", "", "500"],
    ["北京", "", "孙八", "空部门", "600"],
    ["广州", "销售部", "周九", "x", "700"],
]
STAMP = r"_\d+年\d+月\d+日[^.]*"

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what)


def make_workbook(path):
    book = openpyxl.Workbook()
    book.active.title = "说明"
    sheet = book.create_sheet("数据")
    sheet.append([TITLE])
    sheet.merge_cells("A1:E1")
    sheet.append(HEADINGS)
    for row in ROWS:
        sheet.append([int(v) if i == 4 else (v or None) for i, v in enumerate(row)])
    book.save(path)


def run(cli, *arguments, cwd=None):
    result = subprocess.run([cli, *arguments], capture_output=True, cwd=cwd)
    return result.returncode, result.stdout.decode("utf-8", "replace")


def clean(value):
    return re.sub(r'[\\/:*?"<>|\x00-\x1f]', "_", value)


def sheet_title(name):
    return re.sub(r"[:\\/?*\[\]\x00-\x1f]", "_", name)[:31] or "(空白)"


def parts(by):
    """(name piece, rows) per part, in order: by columns (indexes) or by a run length."""
    if isinstance(by, int):
        return [("第%d-%d行" % (first + 1, min(first + by, len(ROWS))), ROWS[first:first + by])
                for first in range(0, len(ROWS), by)]
    found = {}
    for row in ROWS:
        found.setdefault(tuple(row[c] for c in by), []).append(row)
    return [("_".join(key), rows) for key, rows in found.items()]


def as_text(value):
    if value is None:
        return ""
    return str(int(value)) if isinstance(value, float) and value.is_integer() else str(value)


def written_rows(path, sheet=None):
    if path.endswith(".csv"):
        raw = open(path, "rb").read()
        check(raw.startswith(b"\xef\xbb\xbf"), "%s starts with the byte-order mark" % path)
        check(b"\n" not in raw.replace(b"\r\n", b"").replace("两行\n文本".encode(), b""),
              "%s: every line ends in CR LF" % path)
        return list(csv.reader(io.StringIO(raw.decode("utf-8-sig"), newline="")))
    book = openpyxl.load_workbook(path)
    sheet = book[sheet] if sheet else book.worksheets[0]
    return [[as_text(v) for v in row] for row in sheet.iter_rows(values_only=True)]


# (label, options, split by, folder heading, the main heading or None)
CASES = [
    ("two columns", ["--and", "部门"], (0, 1), "城市_部门", "城市"),
    ("three columns by number", ["--and", "#3", "--and", "部门", "--and", "#4"], (3, 2, 1), "备注_姓名_部门", "备注"),
    ("two columns into sheets", ["--and", "部门", "--into-sheets"], (0, 1), "城市_部门", "城市"),
    ("two columns kept format", ["--and", "部门", "--keep-format"], (0, 1), "城市_部门", "城市"),
    ("runs", ["--rows", "3"], 3, "每3行", None),
    ("runs into sheets", ["--rows", "2", "--into-sheets", "--keep-format"], 2, "每2行", None),
    ("runs longer than the sheet", ["--rows", "50"], 50, "每50行", None),
    ("csv", ["--csv"], (1,), "部门", "部门"),
    ("csv two columns", ["--csv", "--and", "城市"], (1, 0), "部门_城市", "部门"),
    ("csv runs", ["--csv", "--rows", "4"], 4, "每4行", None),
]


def check_case(cli, book, work, label, options, by, heading, main):
    out = os.path.join(work, label.replace(" ", "_"))
    os.makedirs(out)
    common = ["--sheet", "数据", "--heading-row", "2", *options, book]
    positional = [main, out] if main else [out]
    status, listed = run(cli, "--list", *common, *positional)
    expected = parts(by)
    into_sheets = "--into-sheets" in options
    extension = ".csv" if "--csv" in options else ".xlsx"
    # A value may hold a line break: each part ends in its row count and name.
    lines = re.findall(r"\t(\d+)\t([^\t\n]*)\n", listed)
    check(status == 0 and len(lines) == len(expected), "%s: --list exit %d, %r" % (label, status, listed))
    for line, (piece, rows) in zip(lines, expected):
        name = sheet_title(piece) if into_sheets else "按内容导出_%s%s%s" % (clean(piece), STAMP, re.escape(extension))
        check(line[0] == str(len(rows)) and re.fullmatch(name, line[1]), "%s: listed %r for %s" % (label, line, piece))
    check(os.listdir(out) == [], "%s: --list wrote nothing" % label)

    status, output = run(cli, *common, *positional)
    check(status == 0, "%s: exit %d %s" % (label, status, output))
    folder = os.path.join(out, "按_%s_分别导出" % heading)
    files = sorted(os.listdir(folder)) if os.path.isdir(folder) else []
    title = [TITLE] + [""] * 4
    if into_sheets:
        check(len(files) == 1 and re.fullmatch("按_%s_分别导出%s.xlsx" % (heading, STAMP), files[0]),
              "%s: one workbook %r" % (label, files))
        if files:
            names = openpyxl.load_workbook(os.path.join(folder, files[0])).sheetnames
            check(names == [sheet_title(p) for p, _ in expected], "%s: sheets %r" % (label, names))
            for piece, rows in expected:
                got = written_rows(os.path.join(folder, files[0]), sheet_title(piece))
                check(got == [title, HEADINGS, *rows], "%s: sheet %s holds %r" % (label, piece, got))
        return
    check(len(files) == len(expected), "%s: %d files %r" % (label, len(files), files))
    for piece, rows in expected:
        pattern = "按内容导出_%s%s%s" % (re.escape(clean(piece)), STAMP, re.escape(extension))
        matching = [f for f in files if re.fullmatch(pattern, f)]
        check(len(matching) == 1, "%s: a file for %s among %r" % (label, piece, files))
        if matching:
            got = written_rows(os.path.join(folder, matching[0]))
            check(got == [title, HEADINGS, *rows], "%s: %s holds %r" % (label, matching[0], got))


# Wrong usage: exit 2, the usage (or the headings) printed, nothing written.
WRONG = [
    (["--rows", "0"], ["BOOK", "OUT"]),
    (["--rows", "x"], ["BOOK", "OUT"]),
    (["--rows", "-3"], ["BOOK", "OUT"]),
    (["--rows", "2"], ["BOOK", "#1"]),
    (["--rows", "2"], ["BOOK", "城市", "OUT"]),
    (["--rows", "2", "--and", "部门"], ["BOOK", "OUT"]),
    (["--and", "部门", "--and", "姓名", "--and", "备注", "--and", "金额"], ["BOOK", "城市", "OUT"]),
    (["--csv", "--into-sheets"], ["BOOK", "城市", "OUT"]),
    ([], ["BOOK", "城市", "OUT", "--and"]),
    (["--and", "无此列"], ["BOOK", "城市", "OUT"]),
]


def check_csv_shows_texts(cli, work):
    """A CSV file holds what the cells show, with the look kept or not: a
    text under a format with a section for texts, and a number."""
    book = os.path.join(work, "编号.xlsx")
    workbook = openpyxl.Workbook()
    sheet = workbook.active
    sheet.append(["组", "编号", "金额"])
    sheet.append(["甲", "ABC", 1234.5])
    sheet["B2"].number_format = '"编号："@'
    sheet["C2"].number_format = "#,##0.00"
    workbook.save(book)
    for options in ([], ["--keep-format"]):
        out = os.path.join(work, "shown" + "".join(options))
        status, _ = run(cli, "--csv", *options, book, "组", out)
        folder = os.path.join(out, "按_组_分别导出")
        files = os.listdir(folder) if os.path.isdir(folder) else []
        got = written_rows(os.path.join(folder, files[0])) if status == 0 and len(files) == 1 else None
        check(got == [["组", "编号", "金额"], ["甲", "编号：ABC", "1,234.50"]], "%s --csv shows %r" % (options, got))


def main(cli, work):
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    book = os.path.join(work, "明细.xlsx")
    make_workbook(book)
    for case in CASES:
        check_case(cli, book, work, *case)
    for options, positional in WRONG:
        out = os.path.join(work, "wrong")
        os.makedirs(out, exist_ok=True)
        arguments = [book if p == "BOOK" else out if p == "OUT" else p for p in positional]
        status, output = run(cli, "--sheet", "数据", "--heading-row", "2", *options, *arguments, cwd=out)
        check(status == 2 and "用法" in output, "%s: exit %d" % (options, status))
        check(os.listdir(out) == [], "%s: nothing written" % options)
        if "无此列" in options:
            check("#5  金额" in output, "an --and heading that is not there lists the headings")
    check_csv_shows_texts(cli, work)
    print("%d failures" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
