#!/usr/bin/python3
"""End to end, as a user works: colsplit.exe runs under Wine on an X display;
a workbook made by openpyxl (Chinese headings, numbers, dates, empty cells)
is dragged onto it from outside; the preview, the heading list and the
proposed folder are read back from the running program and compared with
what LibreOffice shows for the same file; a heading is picked, Export is
pressed, the message is read and closed, and every written workbook is read
back with openpyxl. Then the same workbook saved by LibreOffice as Excel
97-2003 (.xls), from another folder, goes the same way. Then a workbook, in
a folder named with characters outside GBK and holding such characters in its
headings, its split column and beside it, is dropped and split: the window
shows every character, and every value gets its own workbook named with its
characters. Finally Esc ends the program with exit code 0.

Usage: drop_and_export.py BUILD_DIR SOURCE_DIR   (needs $DISPLAY)
"""
import csv, datetime, os, shutil, subprocess, sys, tempfile, time

import openpyxl

from window_session import CAPTION, Session

session = Session(sys.argv[1], sys.argv[2])
build, check, probe, xdnd_drop = session.build, session.check, session.probe, session.xdnd_drop


def unescape(text):
    out, i = [], 0
    while i < len(text):
        if text[i] == "\\" and i + 1 < len(text):
            out.append({"r": "\r", "n": "\n", "t": "\t", "\\": "\\"}.get(text[i + 1], text[i + 1]))
            i += 2
        else:
            out.append(text[i])
            i += 1
    return "".join(out)


def read_list(index):
    code, out = probe("list", CAPTION, str(index))
    rows, heading = [], []
    for line in out.splitlines():
        kind, _, rest = line.partition("\t")
        cells = [unescape(c) for c in rest.split("\t")] if rest or kind in ("heading", "row") else []
        if kind == "heading":
            heading = cells if line != "heading" else []
        elif kind == "row":
            rows.append(cells if line != "row" else [])
    return heading, rows


def libreoffice_converts(path, kind, out_dir):
    """The file LibreOffice makes of `path` in `out_dir` (kind: its filter)."""
    home = tempfile.mkdtemp()
    subprocess.run(["soffice", "--headless", "--convert-to", kind, "--outdir", str(out_dir), str(path)],
                   env=dict(os.environ, HOME=home), capture_output=True, timeout=180)
    shutil.rmtree(home, ignore_errors=True)
    return out_dir / (path.stem + "." + kind.split(":")[0])


def libreoffice_shows(path, out_dir):
    out_dir.mkdir(exist_ok=True)
    csv_path = libreoffice_converts(
        path, "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,true,false,false", out_dir)
    with open(csv_path, encoding="utf-8", newline="") as f:
        return [row for row in csv.reader(f)]


def make_workbook(path):
    book = openpyxl.Workbook()
    sheet = book.active
    sheet.title = "数据"
    sheet.append(["部门", "姓名", "城市", "金额", "日期", "备注"])
    cities = ["北京", "上海", "北京市", "广州", None, "上海"]
    for i in range(12):
        sheet.append([f"部{i % 3}", f"员工{i}", cities[i % len(cities)], 1234.5 + i * 0.25,
                      datetime.date(2026, 1, 1 + i), None if i % 4 else "备注" + str(i)])
    for row in sheet.iter_rows(min_row=2, min_col=5, max_col=5):
        row[0].number_format = "yyyy/m/d"
    book.create_sheet("第二页").append(["不应显示"])
    book.save(path)


# Rare characters of Chinese names, Korean, emoji (a flag is two), Latin
# letters outside GBK (ğ and Ğ are one name to Windows), half-width
# katakana, a zero-width space.
BEYOND_GBK = ["𠮷野家", "王䶮", "李㐀", "한국어", "😀", "😁", "🇨🇳", "ß", "ğ", "ﬀ", "ｱ", "a\u200bb", "北京", "Ğ"]
BEYOND_GBK_HEADING = ["姓名𠮷", "한국어 메모", "😀 备注"]


def make_beyond_gbk_workbook(path):
    book = openpyxl.Workbook()
    sheet = book.active
    sheet.title = "한국어"
    sheet.append(BEYOND_GBK_HEADING)
    for copy in range(2):
        for i, value in enumerate(BEYOND_GBK):
            sheet.append([value, f"한국어 텍스트 {copy}", BEYOND_GBK[(i + 3) % len(BEYOND_GBK)]])
    book.save(path)
    return [[row[0], row[1], row[2]] for row in sheet.iter_rows(min_row=2, values_only=True)]


def wait_for_folder(expected):
    folder = ""
    for _ in range(100):
        folder = unescape(probe("edit-text", CAPTION, "0")[1].strip())
        if folder == expected:
            break
        time.sleep(0.2)
    return folder


def export_by(data_dir, column, heading):
    """Picks the column, presses Export, reads and closes the completion
    message; returns the workbooks written into the heading's folder."""
    probe("combo-select", CAPTION, str(column))
    probe("click", CAPTION, "导出")
    code, message = probe("answer-box", "信息：", "60000")
    check(message.strip() == "按指定列内容筛选导出完成", f"the export ends with its message ({message.strip()!r})")
    export_dir = data_dir / f"按_{heading}_分别导出"
    return sorted(export_dir.glob("*.xlsx")) if export_dir.is_dir() else []


def split_beyond_gbk(work, x, y):
    """Drops a workbook full of characters outside GBK and splits it by its
    first column."""
    data_dir = work / "数据 😀 한국"
    data_dir.mkdir()
    workbook = data_dir / "𠮷 한국어 🇨🇳.xlsx"
    rows = make_beyond_gbk_workbook(workbook)
    dropped = subprocess.run([str(xdnd_drop), str(x), str(y), str(workbook)], capture_output=True)
    check(dropped.returncode == 0, "the workbook named with characters outside GBK is accepted")
    expected_folder = "Z:" + str(data_dir).replace("/", "\\")
    folder = wait_for_folder(expected_folder)
    check(folder == expected_folder, f"编辑框1 proposes its folder, every character kept ({folder!r})")

    heading, shown = read_list(0)
    check(heading == BEYOND_GBK_HEADING, f"the headings show every character ({heading})")
    check(shown == rows, "every cell shows every character" if shown == rows else
          f"cells differ: {[(a, b) for a, b in zip(shown, rows) if a != b][:3]}")
    _, combo = probe("combo", CAPTION)
    items = [line.split("\t")[1] for line in combo.splitlines() if line.startswith("item")]
    check(items == BEYOND_GBK_HEADING, f"the combo box offers the headings as they are ({items})")

    written = export_by(data_dir, 0, "姓名𠮷")
    check(len(written) == len(BEYOND_GBK), f"one workbook per value ({len(written)} for {len(BEYOND_GBK)} values)")
    named = set()
    for path in written:
        value = path.name[len("按内容导出_"):].rsplit("_", 1)[0]
        named.add(value)
        book = openpyxl.load_workbook(path)
        cells = [[c if c is not None else "" for c in r] for r in book.worksheets[0].iter_rows(values_only=True)]
        check(cells[0] == BEYOND_GBK_HEADING and cells[1:] == [r for r in rows if r[0] == value],
              f"{path.name} holds the heading row and exactly the rows of {value!r}")
        check(book.sheetnames == [value], f"{path.name}: its sheet is named {value!r} ({book.sheetnames})")
    check(named == set(BEYOND_GBK), f"the file names carry the values' characters ({sorted(named - set(BEYOND_GBK))})")


def drop_and_export(workbook, shown, x, y, run_dir):
    """Drops the workbook on the window, checks the preview against what
    LibreOffice shows, exports by 城市 and checks the written workbooks."""
    data_dir = workbook.parent
    dropped = subprocess.run([str(xdnd_drop), str(x), str(y), str(workbook)], capture_output=True)
    check(dropped.returncode == 0, f"the dropped {workbook.suffix} workbook is accepted")
    expected_folder = "Z:" + str(data_dir).replace("/", "\\")
    folder = wait_for_folder(expected_folder)
    check(folder == expected_folder, f"编辑框1 proposes the file's folder ({folder!r})")
    check((run_dir / "libxl.dll").is_file() and
          (run_dir / "libxl.dll").read_bytes() == (build / "libxl.dll").read_bytes(),
          "libxl.dll is written beside the program, byte for byte the built library")

    heading, rows = read_list(0)
    check(heading == shown[0], f"the list's headings are the sheet's first row ({heading})")
    check(len(rows) == len(shown) - 1, f"one list row per sheet row ({len(rows)})")
    width = len(shown[0])
    for i, (got, want) in enumerate(zip(rows, shown[1:])):
        want = (want + [""] * width)[:width]
        if got != want:
            check(False, f"row {i} shows {got}, LibreOffice shows {want}")
            break
    else:
        check(True, "every cell shows what LibreOffice shows")

    _, combo = probe("combo", CAPTION)
    items = [line.split("\t")[1:] for line in combo.splitlines() if line.startswith("item")]
    check([i[0] for i in items] == shown[0] and [int(i[1]) for i in items] == list(range(width)),
          "the combo box offers each heading with its column index")

    staging_heading, staging_rows = read_list(1)
    check(staging_heading == shown[0] and staging_rows == [], "the staging list has the columns, no rows")

    written = export_by(data_dir, 2, "城市")
    values = []
    for row in shown[1:]:
        if row[2] not in values:
            values.append(row[2])
    check(len(written) == len(values), f"one workbook per value ({len(written)} for {values})")
    total = 0
    for path in written:
        name = path.name
        check(name.startswith("按内容导出_"), f"{name} is named after its value")
        sheet = openpyxl.load_workbook(path).worksheets[0]
        cells = [[c.value if c.value is not None else "" for c in r] for r in sheet.iter_rows()]
        check(cells[0] == shown[0], f"{name} starts with the heading row")
        value = name[len("按内容导出_"):].rsplit("_", 1)[0]
        group = [(r + [""] * width)[:width] for r in shown[1:] if r[2] == value]
        check(cells[1:] == group, f"{name} holds exactly the rows of {value!r}")
        check(all(c.data_type == "s" for r in sheet.iter_rows() for c in r if c.value is not None),
              f"{name}: every cell is a string")
        total += len(cells) - 1
    check(total == len(shown) - 1, "every row was written once")


def main():
    work, program, data_dir = session.folders("colsplit-e2e-", "数据 文件夹")
    run_dir = program.parent
    workbook = data_dir / "销售表.xlsx"
    make_workbook(workbook)
    shown = libreoffice_shows(workbook, work)
    # The same workbook as Excel 97-2003 saves it, in a folder of its own.
    old_dir = work / "旧 格式"
    old_dir.mkdir()
    old_workbook = libreoffice_converts(workbook, "xls", old_dir)
    check(old_workbook.is_file(), "LibreOffice saves the workbook as .xls")
    shown_old = libreoffice_shows(old_workbook, work / "旧 格式 显示") if old_workbook.is_file() else []

    app, (x, y) = session.start(program)
    try:
        refused = subprocess.run([str(xdnd_drop), "--text", str(x), str(y), "some text"], capture_output=True)
        check(refused.returncode == 3, "dragged text is refused")

        drop_and_export(workbook, shown, x, y, run_dir)
        if shown_old:
            check(shown_old == shown, "LibreOffice shows the .xls as the .xlsx")
            drop_and_export(old_workbook, shown_old, x, y, run_dir)

        split_beyond_gbk(work, x, y)

        session.close(app)
    finally:
        session.end(app, work)
    return session.summary()


sys.exit(main())
