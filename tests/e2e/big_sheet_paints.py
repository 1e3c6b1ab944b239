#!/usr/bin/python3
"""End to end with a big sheet: colsplit.exe runs under Wine on an X display
and a workbook of 700,000 rows by 7 columns is dropped on it. While the
library reads the file, the window answers messages at once; while the
preview fills, two screenshots a second apart show the progress bar
further on, its position (PBM_GETPOS) too; the same for the export. The
screenshots stay in BUILD_DIR (big_sheet_*.png) for a person to look at.

Usage: big_sheet_paints.py BUILD_DIR SOURCE_DIR [ROWS]   (needs $DISPLAY)
"""
import os, shutil, subprocess, sys, tempfile, time
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


def differing_pixels(first, second, rect):
    """Pixels that differ between the two screenshots inside rect."""
    x, y, width, height = rect
    crop = f"{width}x{height}+{x}+{y}"
    with tempfile.TemporaryDirectory() as work:
        a, b = Path(work) / "a.png", Path(work) / "b.png"
        for shot, out in ((first, a), (second, b)):
            subprocess.run(["convert", str(shot), "-crop", crop, "+repage", str(out)], check=True)
        result = subprocess.run(["compare", "-metric", "AE", str(a), str(b), "null:"],
                                capture_output=True, text=True)
        return int(float(result.stderr.split()[0]))


def two_shots(name):
    """Two screenshots a second apart, with the bar's state before and after."""
    first = progress()
    shot_1 = screenshot(name + "_1")
    time.sleep(1.0)
    shot_2 = screenshot(name + "_2")
    second = progress()
    return first, second, shot_1, shot_2


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
    drop = None
    try:
        # The drop's handler runs for seconds: the drag source waits for it
        # in the background.
        drop = subprocess.Popen([str(session.xdnd_drop), str(x), str(y), str(workbook)],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        start = time.time()
        answers = []
        state = progress()
        while state and state[0] == 0 and time.time() - start < 60:
            if len(answers) < 6:
                code, out = probe("responds", CAPTION, "3000")
                answers.append(int(out.strip()) if code == 0 else None)
            state = progress()
        check(answers and None not in answers and max(answers) < 1000,
              f"while the library reads the file the window answers within a second ({answers} ms)")

        first, second, shot_1, shot_2 = two_shots("load")
        check(first is not None and second is not None and second[0] > first[0] > 0,
              f"the progress bar advances while the preview fills ({first} then {second})")
        changed = differing_pixels(shot_1, shot_2, first[2]) if first else 0
        check(changed > 0, f"the window repainted the progress bar ({changed} pixels changed)")

        folder = ""
        while not folder and time.time() - start < 120:
            folder = probe("edit-text", CAPTION, "0")[1].strip()
            time.sleep(0.2)
        check(folder != "", f"the load ends with the proposed folder ({time.time() - start:.1f} s)")
        loaded = progress()

        # Split by 备注1, which has 10 values: few groups, each long to write.
        probe("combo-select", CAPTION, "6")
        probe("click", CAPTION, "导出")
        start = time.time()
        state = progress()
        while state and state[:2] == loaded[:2] and time.time() - start < 60:
            state = progress()
        # Each group's bar runs from empty to full, then stays full while the
        # library saves the group: the bar is read every 5 ms for a second,
        # and shots are taken until two in a row differ.
        code, out = probe("watch", CAPTION, "1000")
        states = int(out.strip()) if code == 0 and out.strip() else 0
        check(states > 1, f"the progress bar moves during the export ({states} states in a second)")
        rect = progress()[2]
        changed, shots = 0, [screenshot("export_try_1")]
        for attempt in range(12):
            time.sleep(0.4)
            shots.append(screenshot(f"export_try_{len(shots) + 1}"))
            changed = differing_pixels(shots[-2], shots[-1], rect)
            if changed > 0:
                break
        shots[-2].replace(build / f"big_sheet_export_1_{locale_tag}.png")
        shots[-1].replace(build / f"big_sheet_export_2_{locale_tag}.png")
        for shot in shots[:-2]:
            shot.unlink()
        check(changed > 0, f"the window repainted the progress bar during the export ({changed} pixels changed)")
        code, message = probe("answer-box", "信息：", "120000", timeout=150)
        check(message.strip() == "按指定列内容筛选导出完成",
              f"the export ends with its message ({message.strip()!r}, {time.time() - start:.1f} s)")
        written = list((data_dir / "按_备注1_分别导出").glob("*.xlsx"))
        check(len(written) == 10, f"one workbook per remark ({len(written)})")

        probe("close", CAPTION)
        app.wait(timeout=30)
        check(app.returncode == 0, f"Esc ends the program with exit code 0 ({app.returncode})")
    finally:
        if drop and drop.poll() is None:
            drop.kill()
        if app.poll() is None:
            app.kill()
        shutil.rmtree(work, ignore_errors=True)
    return session.summary()


sys.exit(main())
