#!/usr/bin/python3
"""End to end with a big sheet: colsplit.exe runs under Wine on an X display
and a workbook of 700,000 rows by 7 columns is dropped on it. While the
library reads the file, the window answers messages at once; while the
preview fills, the progress bar's position (PBM_GETPOS) advances and its
pixels on the screen change, read every 5 ms by a probe; the same for the
export. A screenshot after the load and one during the export stay in
BUILD_DIR (big_sheet_*.png) for a person to look at.

Usage: big_sheet_paints.py BUILD_DIR SOURCE_DIR [ROWS]   (needs $DISPLAY)
"""
import os, shutil, subprocess, sys, time
from pathlib import Path

from window_session import CAPTION, Session

session = Session(sys.argv[1], sys.argv[2])
build, check, probe, wine_run = session.build, session.check, session.probe, session.wine_run
rows = int(sys.argv[3]) if len(sys.argv) > 3 else 700000
locale_tag = os.environ.get("LC_ALL", os.environ.get("LANG", "C")).split(".")[0]


def progress():
    """(position, maximum, (x, y, width, height)) of the progress bar."""
    code, out = probe("progress", CAPTION)
    if code != 0 or not out.strip():
        return None
    position, maximum, rect = out.strip().split("\t")
    return int(position), int(maximum), tuple(int(v) for v in rect.split(","))


def screenshot(name):
    path = build / f"big_sheet_{name}_{locale_tag}.png"
    subprocess.run(["import", "-window", "root", str(path)], check=True, timeout=30)
    return path


def check_painting(phase, watched, advancing):
    """Checks what a paint-watch probe saw: the bar at two positions above 0
    (the later one further on, when advancing) and two different pictures
    of it on the screen."""
    fields = watched.split()
    positions, pictures, changed, first, last = (int(v) for v in fields) if len(fields) == 5 else (0,) * 5
    moved = positions > 1 and (last > first or not advancing)
    check(moved, f"the progress bar {'advances' if advancing else 'moves'} {phase} "
                 f"({positions} positions, {first} … {last})")
    check(pictures > 1 and changed > 0,
          f"the window repaints the progress bar {phase} ({changed} pixels changed between two pictures)")


def main():
    work, program, data_dir = session.folders("colsplit-big-", "数据")
    workbook = data_dir / "大表.xlsx"
    # The benchmark's maker, whose narrow paths stay ASCII, makes the sheet.
    made = work / "big.xlsx"
    subprocess.run([str(wine_run), str(build / "bench_big_sheets.exe"), "make",
                    "Z:" + str(made).replace("/", "\\"), str(rows + 1), "7"],
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, check=True, timeout=300)
    made.rename(workbook)

    app, (x, y) = session.start(program)
    drop = watcher = None
    try:
        # The drop's handler runs for seconds: the drag source waits for it
        # in the background; so does a watcher of the bar, which reads its
        # position and its pixels on the screen every 5 ms from the moment
        # the bar leaves 0 (a quick fill may last well under a second).
        drop = session.drop_in_background(x, y, workbook)
        watcher = session.probe_in_background("paint-watch", CAPTION, "60000")
        start = time.time()
        answers = []
        state = progress()
        while state and state[0] == 0 and time.time() - start < 60:
            drop.retry_if_lost()
            if len(answers) < 6:
                code, out = probe("responds", CAPTION, "3000")
                answers.append(int(out.strip()) if code == 0 else None)
            state = progress()
        check(answers and None not in answers and max(answers) < 1000,
              f"while the library reads the file the window answers within a second ({answers} ms)")
        check_painting("while the preview fills", watcher.communicate(timeout=90)[0], advancing=True)

        folder = ""
        while not folder and time.time() - start < 120:
            folder = probe("edit-text", CAPTION, "0")[1].strip()
            time.sleep(0.2)
        check(folder != "", f"the load ends with the proposed folder ({time.time() - start:.1f} s; "
                            f"the drag heard: {drop.answers()})")
        screenshot("load")
        loaded = progress()

        # Split by 备注1, which has 10 values: few groups, each long to write.
        # Each group's bar runs from empty to full, then stays full while the
        # library saves the group.
        probe("combo-select", CAPTION, "6")
        probe("click", CAPTION, "导出")
        start = time.time()
        state = progress()
        while state and state[:2] == loaded[:2] and time.time() - start < 60:
            state = progress()
        watcher = session.probe_in_background("paint-watch", CAPTION, "30000")
        screenshot("export")
        check_painting("during the export", watcher.communicate(timeout=60)[0], advancing=False)
        code, message = probe("answer-box", "信息：", "120000", timeout=150)
        check(message.strip() == "按指定列内容筛选导出完成",
              f"the export ends with its message ({message.strip()!r}, {time.time() - start:.1f} s)")
        written = list((data_dir / "按_备注1_分别导出").glob("*.xlsx"))
        check(len(written) == 10, f"one workbook per remark ({len(written)})")

        probe("close", CAPTION)
        app.wait(timeout=30)
        check(app.returncode == 0, f"Esc ends the program with exit code 0 ({app.returncode})")
    finally:
        if drop:
            drop.kill()
        if watcher and watcher.poll() is None:
            watcher.kill()
        if app.poll() is None:
            app.kill()
        shutil.rmtree(work, ignore_errors=True)
    return session.summary()


sys.exit(main())
