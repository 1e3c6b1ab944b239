#!/usr/bin/python3
"""保留原表格式 in the window, as a user takes it: a dressed sheet
(tests/cli/dressed_book.py: a title row above its heading row) is dropped on
colsplit.exe under Wine; a right click on the heading row and H make it the
heading row, a right click and K take 保留原表格式, a heading is picked and
Export pressed. The written workbooks look like the source: each cell's
font, fill and border, frozen headings, the filter, the list and the rule,
read back with openpyxl; a screenshot of the window with the menu open
lands in the build folder.

Usage: keep_format_window.py BUILD_DIR SOURCE_DIR   (needs $DISPLAY)
"""
import subprocess, sys, time

import openpyxl

from window_session import CAPTION, Session

session = Session(sys.argv[1], sys.argv[2])
build, check, probe, xdnd_drop = session.build, session.check, session.probe, session.xdnd_drop
sys.path.insert(0, str(session.source / "tests" / "cli"))
import dressed_book  # noqa: E402


def first_row_point():
    """The screen point of the preview list's first row."""
    _, out = probe("row-point", CAPTION, "0", "0")
    _, x, y = out.split()
    return int(x), int(y)


def menu_choice(x, y, key, shot=None):
    """Right-clicks the list's first row and takes the menu item of `key`."""
    subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "3"], check=False)
    time.sleep(1.0)
    if shot:
        subprocess.run(["import", "-window", "root", str(shot)], check=False)
    subprocess.run(["xdotool", "key", key], check=False)
    time.sleep(1.0)


def list_headings():
    _, out = probe("list", CAPTION, "0")
    for line in out.splitlines():
        kind, _, rest = line.partition("\t")
        if kind == "heading":
            return rest.split("\t")
    return []


def main():
    work, program, data_dir = session.folders("colsplit-look-", "数据")
    workbook = data_dir / "明细.xlsx"
    dressed_book.make(workbook, 16)
    app, (x, y) = session.start(program)
    try:
        dropped = subprocess.run([str(xdnd_drop), str(x), str(y), str(workbook)], capture_output=True)
        check(dropped.returncode == 0, "the dressed workbook is accepted")
        for _ in range(100):
            if list_headings()[:1] == [dressed_book.TITLE]:
                break
            time.sleep(0.2)
        row_x, row_y = first_row_point()
        menu_choice(row_x, row_y, "h")
        check(list_headings() == dressed_book.HEADINGS, f"设为标题行 makes row 2 the headings ({list_headings()})")
        menu_choice(row_x, row_y, "k")
        # The menu again, to be seen with 保留原表格式 checked.
        menu_choice(row_x, row_y, "Escape", shot=build / "keep-format-menu.png")

        probe("combo-select", CAPTION, "1")
        probe("click", CAPTION, "导出")
        _, message = probe("answer-box", "信息：", "60000")
        check(message.strip() == "按指定列内容筛选导出完成", f"the export ends with its message ({message.strip()!r})")
        written = sorted((data_dir / "按_城市_分别导出").glob("*.xlsx"))
        check(len(written) == len(dressed_book.CITIES), f"a workbook per city ({len(written)})")
        source = openpyxl.load_workbook(workbook).active
        for path in written:
            sheet = openpyxl.load_workbook(path).active
            name = path.name
            check(sheet["A1"].value == dressed_book.TITLE and sheet["A1"].font.sz == 18 and sheet["A1"].font.b,
                  f"{name}: the title in its big bold font")
            check(sheet["A2"].fill.fgColor.theme == 4 and sheet["A2"].border.bottom.style == "medium",
                  f"{name}: the heading row's theme fill and medium bottom border")
            check(sheet["C3"].border.left.style == "thin" and sheet["C3"].border.left.color.rgb == "FF808080",
                  f"{name}: thin grey borders on the data")
            check(sheet["A3"].number_format == "yyyy-mm-dd" and sheet["A3"].is_date, f"{name}: dates stay dates")
            check(sheet.freeze_panes == "B3" and sheet.auto_filter.ref == f"A2:F{sheet.max_row}",
                  f"{name}: frozen headings and the filter ({sheet.freeze_panes}, {sheet.auto_filter.ref})")
            check(sheet.column_dimensions["F"].hidden and sheet.row_dimensions[1].height == 36,
                  f"{name}: the hidden column and the title's height")
            check(len(sheet.data_validations.dataValidation) == 1 and len(list(sheet.conditional_formatting)) == 1,
                  f"{name}: the list and the rule")
        check(source.max_row == 18, "the source is untouched")

        session.close(app)
    finally:
        session.end(app, work)
    return session.summary()


sys.exit(main())
