#!/usr/bin/python3
"""The split choices of the list's context menu, as a user takes them: a
workbook of five columns is dropped on colsplit.exe under Wine; right
clicks and keys take 同时按其他列拆分 (greyed until a heading is picked, a
fourth column greyed), 导出为CSV文件 and 按行数拆分, whose dialog is typed
into with the keyboard (a zero, letters and too many rows are refused and
the dialog stays; Esc cancels; Enter confirms). After every step 编辑框2
tells what the split is by. Screenshots of the open further-columns
submenu, of the rows dialog and of the menu with its choices checked land
in the build folder. Export is pressed with runs of rows as CSV; another drop forgets
the further columns.

Usage: split_choices_window.py BUILD_DIR SOURCE_DIR   (needs $DISPLAY)
"""
import csv, io, subprocess, sys, time

import openpyxl

from window_session import CAPTION, Session

session = Session(sys.argv[1], sys.argv[2])
build, check, probe, xdnd_drop = session.build, session.check, session.probe, session.xdnd_drop

HEADINGS = ["城市", "部门", "姓名", "金额", "备注"]
CITIES = ["北京", "上海", "广州"]
ROWS = 12
DIALOG = "按行数拆分"
TIP_EDIT = "1"  # 编辑框2 among the edit boxes


def make_workbook(path):
    book = openpyxl.Workbook()
    sheet = book.active
    sheet.append(HEADINGS)
    for row in range(ROWS):
        sheet.append([CITIES[row % 3], f"部{row % 2}", f"人{row}", row * 10, ""])
    book.save(path)


def split_line():
    """The line below 编辑框2's hints; empty while no split is chosen."""
    _, out = probe("edit-text", CAPTION, TIP_EDIT)
    _, _, line = out.strip().partition("\\r\\n\\r\\n当前：")
    return line


def keys(*names, pause=0.7):
    for name in names:
        subprocess.run(["xdotool", "key", name], check=False)
        time.sleep(pause)


def open_menu(point, shot=None):
    subprocess.run(["xdotool", "mousemove", str(point[0]), str(point[1]), "click", "3"], check=False)
    time.sleep(1.0)
    if shot:
        subprocess.run(["import", "-window", "root", str(shot)], check=False)


def open_menus():
    _, out = probe("menus", CAPTION)
    return int(out.strip() or "0")


def pick_heading(index, expected_line, what):
    probe("combo-select", CAPTION, str(index))
    time.sleep(0.5)
    check(split_line() == expected_line, f"{what} ({split_line()!r})")


def dialog_text():
    _, out = probe("edit-text", DIALOG, "0")
    return out.strip()


def dialog_gone():
    """True once the dialog has closed (Wine may take a moment under load)."""
    for _ in range(20):
        if probe("wait-window", DIALOG, "0")[0] != 0:
            return True
        time.sleep(0.3)
    return False


def refused(typed, what):
    """Types into the dialog's number box over its selected text and presses
    Enter: the message explains, and the dialog stays open."""
    subprocess.run(["xdotool", "type", "--delay", "100", typed], check=False)
    keys("Return")
    _, message = probe("answer-box", "信息：", "10000")
    check(message.strip() == "请输入 1 到 1048575 之间的整数", f"{what}: refused with its message ({message.strip()!r})")
    time.sleep(0.7)
    code, _ = probe("wait-window", DIALOG, "2000")
    check(code == 0, f"{what}: the dialog stays open")


def main():
    work, program, data_dir = session.folders("colsplit-choices-", "数据")
    workbook = data_dir / "名单.xlsx"
    make_workbook(workbook)
    app, (x, y) = session.start(program)
    try:
        dropped = subprocess.run([str(xdnd_drop), str(x), str(y), str(workbook)], capture_output=True)
        check(dropped.returncode == 0, "the workbook is accepted")
        for _ in range(100):
            if probe("list", CAPTION, "0")[1].count("\nrow") == ROWS:
                break
            time.sleep(0.2)
        _, out = probe("row-point", CAPTION, "0", "0")
        row = tuple(int(v) for v in out.split()[1:3])
        check(split_line() == "", "no split shown before a heading is picked")

        # No heading: the further-columns submenu does not open.
        open_menu(row)
        keys("a")
        check(open_menus() == 1, f"同时按其他列拆分 is greyed without a heading ({open_menus()} menus)")
        keys("Escape")
        check(open_menus() == 0, "Esc closes the menu")

        pick_heading(0, "按 城市 拆分", "picking 城市 shows the split")
        open_menu(row)
        keys("a")
        subprocess.run(["import", "-window", "root", str(build / "split-choices-also-by.png")], check=False)
        check(open_menus() == 2, f"the submenu opens once a heading is picked ({open_menus()} menus)")
        keys("1")
        check(split_line() == "按 城市 + 部门 拆分", f"&1 adds 部门 ({split_line()!r})")
        for key, line in [("2", "按 城市 + 部门 + 姓名 拆分"), ("3", "按 城市 + 部门 + 姓名 + 金额 拆分"),
                          ("4", "按 城市 + 部门 + 姓名 + 金额 拆分")]:
            open_menu(row)
            keys("a", key)
            if open_menus():
                keys("Escape", "Escape")
            check(split_line() == line, f"&{key} of the submenu: {line} ({split_line()!r})")
        pick_heading(1, "按 部门 + 姓名 + 金额 拆分", "picking 部门 drops it from the further columns")

        open_menu(row)
        keys("c")
        check(split_line() == "按 部门 + 姓名 + 金额 拆分，导出为 CSV", f"&C takes CSV ({split_line()!r})")
        # 拆分到一个工作簿的多个工作表 is greyed now: its key closes the menu and changes nothing.
        open_menu(row)
        keys("m")
        if open_menus():
            keys("Escape")
        open_menu(row)
        keys("c")
        check(split_line() == "按 部门 + 姓名 + 金额 拆分", f"&C again drops CSV, sheets stayed off ({split_line()!r})")
        open_menu(row)
        keys("c")

        # The rows dialog, by the keyboard alone.
        open_menu(row)
        keys("n")
        code, _ = probe("wait-window", DIALOG, "10000")
        check(code == 0, "按行数拆分… opens its dialog")
        check(dialog_text() == "1000", f"the number box starts at 1000 ({dialog_text()!r})")
        subprocess.run(["import", "-window", "root", str(build / "split-choices-rows-dialog.png")], check=False)
        refused("0", "0 rows")
        refused("abc", "letters")
        refused("2000000", "more rows than a sheet has")
        subprocess.run(["xdotool", "type", "--delay", "100", "5"], check=False)
        keys("Escape")
        check(dialog_gone(), "Esc closes the dialog")
        check(split_line() == "按 部门 + 姓名 + 金额 拆分，导出为 CSV", f"a cancelled dialog changes nothing ({split_line()!r})")

        open_menu(row)
        keys("n")
        probe("wait-window", DIALOG, "10000")
        # Tab leaves the number box for 确定 and 取消 and comes back to it.
        keys("Tab", "Tab", "Tab")
        subprocess.run(["xdotool", "type", "--delay", "100", "5"], check=False)
        keys("Return")
        check(dialog_gone(), "Enter confirms and closes the dialog")
        check(split_line() == "每 5 行一个文件，导出为 CSV", f"runs of 5 rows ({split_line()!r})")
        open_menu(row)
        keys("a")
        check(open_menus() == 1, "the further columns are greyed while rows are split by count")
        keys("Escape")
        open_menu(row, shot=build / "split-choices-menu.png")
        keys("Escape")

        # Export needs no heading for runs of rows.
        probe("set-edit", CAPTION, "0", str(data_dir))
        probe("click", CAPTION, "导出")
        _, message = probe("answer-box", "信息：", "60000")
        check(message.strip() == "按指定列内容筛选导出完成", f"the export ends with its message ({message.strip()!r})")
        # Runs of 5 of the 12 rows, as CSV: three files of 5, 5 and 2 rows,
        # each under the heading row, in UTF-8 with its byte-order mark.
        written = sorted((data_dir / "按_每5行_分别导出").glob("*.csv"), key=lambda p: p.stat().st_mtime_ns)
        names = sorted(p.name.rsplit("_", 1)[0] for p in written)
        check(names == ["按内容导出_第1-5行", "按内容导出_第11-12行", "按内容导出_第6-10行"], f"the run files ({names})")
        for path in written:
            raw = path.read_bytes()
            check(raw.startswith(b"\xef\xbb\xbf") and b"\r\n" in raw, f"{path.name}: UTF-8 with BOM, CRLF")
            lines = list(csv.reader(io.StringIO(raw.decode("utf-8-sig"), newline="")))
            first = int(path.name.split("第")[1].split("-")[0])
            expected = [HEADINGS] + [[CITIES[r % 3], f"部{r % 2}", f"人{r}", str(r * 10), ""]
                                     for r in range(first - 1, min(first + 4, ROWS))]
            check(lines == expected, f"{path.name} holds its run ({lines[:2]}…)")

        # 按行数拆分 again turns it off, without the dialog.
        open_menu(row)
        keys("n")
        check(probe("wait-window", DIALOG, "2000")[0] != 0, "turning rows off asks nothing")
        check(split_line() == "按 部门 + 姓名 + 金额 拆分，导出为 CSV", f"rows off ({split_line()!r})")

        # Another load: the further columns meant the old columns.
        dropped = subprocess.run([str(xdnd_drop), str(x), str(y), str(workbook)], capture_output=True)
        time.sleep(2.0)
        pick_heading(0, "按 城市 拆分，导出为 CSV", "a new load forgets the further columns, keeps CSV")

        session.close(app)
    finally:
        session.end(app, work)
    return session.summary()


sys.exit(main())
