#!/usr/bin/python3
"""How long a user waits in the real window under Wine: colsplit.exe starts
afresh for every run, the 100,000-row x 20-column workbook of the split
benchmark (shared strings and numbers, bench_split_workbooks make) is
dropped on it, and win_probe's time-load watches from the outside until the
list view holds every row and the folder is proposed. Prints per run the
load average before it, drop -> first rows (the bar left 0 or the list got
rows) and drop -> full list (every row listed, the folder proposed); then the
best and the median of the runs. The drop's moment is taken just before the
drag tool starts, so the drag protocol's own time is part of the figures.

    bench/window_load.py [BUILD_DIR [RUNS]] [--probe-from DIR] [--rows N]
        (BUILD_DIR holds colsplit.exe, default build/windows64; RUNS default 3;
         win_probe.exe comes from DIR, default BUILD_DIR; uses $DISPLAY, or an
         Xvfb of its own when it is not set; Wine's prefix as scripts/wine-run)
"""
import argparse, os, shutil, statistics, subprocess, sys, tempfile, time
from pathlib import Path

top = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(top / "tests" / "e2e"))
from window_session import CAPTION, Session  # noqa: E402

COLUMNS, VALUES = 20, 100


def start_own_display():
    """An Xvfb of this script's own, as scripts/test starts it: the process."""
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as numbers:
        os.environ["DISPLAY"] = ":" + numbers.readline().strip()
    return xvfb


def stop_own_display(xvfb, wine_run):
    # No program of Wine's may outlive the display it was started on: the
    # prefix's server ends with it (scripts/test does the same).
    prefix = os.environ.get("WINEPREFIX")
    if prefix:
        # The server of the prefix's architecture, as scripts/wine-run picks it.
        registry = Path(prefix) / "system.reg"
        win32 = registry.exists() and "#arch=win32" in registry.read_text(errors="replace")[:4096]
        server = "/usr/lib/wine/wineserver32" if win32 else "/usr/lib/wine/wineserver64"
        for how in ("-k", "-w"):
            subprocess.run([server, how], env=dict(os.environ, WINEPREFIX=prefix),
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
    else:
        subprocess.run([str(wine_run), "--stop"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    xvfb.kill()
    xvfb.wait()


def must_hold(condition, what):
    """The session's checks, which here only stop the bench."""
    if not condition:
        raise RuntimeError(f"not so: {what}")


def one_run(program_session, probe_session, workbook, rows):
    """(load average, seconds to the first rows, seconds to the full list,
    what the drag heard) of one drop on a freshly started program."""
    work, program, data_dir = program_session.folders("colsplit-window-load-", "数据")
    dropped = data_dir / workbook.name
    shutil.copy(workbook, dropped)
    app, (x, y) = probe_session.start(program)
    drop = watcher = None
    try:
        watcher = probe_session.probe_in_background("time-load", CAPTION, str(rows), "120000")
        if watcher.stdout.readline().strip() != "polling":
            raise RuntimeError("the time-load probe did not start")
        load = " ".join(Path("/proc/loadavg").read_text().split()[:3])
        t0 = time.time()
        drop = probe_session.drop_in_background(x, y, dropped)
        while watcher.poll() is None:
            drop.retry_if_lost()
            time.sleep(0.05)
        figures = dict(line.split() for line in watcher.stdout.read().splitlines() if line.strip())
        drop.process.wait(timeout=30)
        drop.retry_if_lost()
        first, full = int(figures.get("first", -1)), int(figures.get("full", -1))
        if first < 0 or full < 0:
            raise RuntimeError(f"the list never held {rows} rows with the folder proposed "
                               f"(the drag heard: {drop.answers()})")
        probe_session.probe("close", CAPTION)
        app.wait(timeout=30)
        return load, first / 1000 - t0, full / 1000 - t0, drop.answers()
    finally:
        if drop:
            drop.kill()
        if watcher and watcher.poll() is None:
            watcher.kill()
        if app.poll() is None:
            app.kill()
        shutil.rmtree(work, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser(description="drop-to-full-list time of colsplit.exe under Wine")
    parser.add_argument("build", nargs="?", default=str(top / "build" / "windows64"))
    parser.add_argument("runs", nargs="?", type=int, default=3)
    parser.add_argument("--probe-from", help="build folder of win_probe.exe (default: BUILD_DIR)")
    parser.add_argument("--rows", type=int, default=100000)
    options = parser.parse_args()
    build = Path(options.build).resolve()
    probe_build = Path(options.probe_from).resolve() if options.probe_from else build
    program_session, probe_session = Session(build, top), Session(probe_build, top)
    probe_session.check = must_hold

    maker = top / "build" / "linux" / "bench_split_workbooks"
    if not maker.exists():
        sys.exit(f"{maker} is missing: build the linux preset first")
    xvfb = None if os.environ.get("DISPLAY") else start_own_display()
    work = Path(tempfile.mkdtemp(prefix="colsplit-window-load-book-"))
    try:
        # The maker's paths are the library's narrow (GBK) ones: it writes
        # an ASCII name, and the file takes a Chinese one as a user's would.
        made, workbook = work / "big.xlsx", work / "大表.xlsx"
        subprocess.run([str(maker), "make", str(made), str(options.rows), str(COLUMNS), str(VALUES)],
                       stdout=subprocess.DEVNULL, check=True, timeout=300)
        made.rename(workbook)
        print(f"{options.rows:,} rows x {COLUMNS} columns ({workbook.stat().st_size // 1024} KiB), "
              f"colsplit.exe of {build}, display {os.environ['DISPLAY']}, {os.cpu_count()} cores", flush=True)
        firsts, fulls = [], []
        for run in range(1, options.runs + 1):
            load, first, full, heard = one_run(program_session, probe_session, workbook, options.rows)
            firsts.append(first)
            fulls.append(full)
            print(f"run {run}: load average {load}; drop -> first rows {first:6.3f} s; "
                  f"drop -> full list {full:6.3f} s (the drag heard: {heard})", flush=True)
        print(f"best:   drop -> first rows {min(firsts):6.3f} s; drop -> full list {min(fulls):6.3f} s")
        print(f"median: drop -> first rows {statistics.median(firsts):6.3f} s; "
              f"drop -> full list {statistics.median(fulls):6.3f} s")
    finally:
        shutil.rmtree(work, ignore_errors=True)
        if xvfb:
            stop_own_display(xvfb, program_session.wine_run)
    return 0


sys.exit(main())
