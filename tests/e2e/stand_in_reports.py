#!/usr/bin/python3
"""A spreadsheet library beside colsplit.exe that fails where the library
reads a dropped workbook, which happens on the window's worker thread while
the window keeps painting. The runtime error report must come from the
window's own thread, once, reading exactly as the report reads, and the
program must end with exit code -1 (255 as Wine passes it on).

Usage: stand_in_reports.py BUILD_DIR SOURCE_DIR CASE BITS   (needs $DISPLAY)
  missing-load  the library lacks xlBookLoadA: the binding report naming it
  stdcall-load  its xlBookLoadA takes its own arguments off the stack: the
                stack report, code 6 (a check of 32-bit programs; BITS 64
                skips it)
"""
import re, shutil, subprocess, sys
from pathlib import Path

from window_session import CAPTION, Session

session = Session(sys.argv[1], sys.argv[2])
case, bits = sys.argv[3], sys.argv[4]
build, check, probe = session.build, session.check, session.probe
ERROR_CAPTION = "错误"


def printable(text):
    """The text as win_probe prints it: control characters escaped."""
    escapes = {"\\": "\\\\", "\r": "\\r", "\n": "\\n", "\t": "\\t"}
    return "".join(escapes.get(c, c) for c in text)


def report(code, message, routine, place):
    text = "运行时出错!\r\n"
    if code:
        text += f"\r\n错误代码：{code}\r\n"
    if message:
        text += f"\r\n错误信息：{message}\r\n"
    return text + f"\r\n{routine}, {place}\r\n"


def load_call_line():
    """The line of the preview's call of xlBookLoadA, which the stack report names."""
    source = (session.source / "src" / "load" / "sheet_preview.cpp").read_text(encoding="utf-8").splitlines()
    lines = [number for number, line in enumerate(source, 1) if re.search(r"\bxl::xlBookLoadA\(", line)]
    assert len(lines) == 1, lines
    return lines[0]


def main():
    if case == "stdcall-load":
        if bits != "32":
            print("[  SKIPPED ] the stack-balance check guards calls of 32-bit programs only: "
                  "x86-64 has one calling convention, so no call can leave the stack unbalanced")
            return 0
        library = "xltest_stdcall_book_load.dll"
        expected = report(6, "调用DLL命令后发现堆栈错误", 1, load_call_line())
    else:
        library = "xltest_without_book_load.dll"
        expected = report(0, "无法找到指定DLL库文件“libxl.dll”中的输出命令“xlBookLoadA”", 0, 0)

    work, program, data_dir = session.folders("colsplit-stand-in-", "数据")
    shutil.copy(build / library, program.parent / "libxl.dll")
    workbook = data_dir / "表.xlsx"
    workbook.write_bytes(b"the stand-in library never reads this")
    app, (x, y) = session.start(program)
    drop = None
    try:
        # The drop ends with the process: it runs on while the box is open.
        drop = subprocess.Popen([str(session.xdnd_drop), str(x), str(y), str(workbook)],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        _, owner = probe("box-thread", CAPTION, ERROR_CAPTION, "60000")
        check(owner.strip() == "window thread", f"the window's thread shows the report ({owner.strip()!r})")
        _, shown = probe("answer-box", ERROR_CAPTION, "60000")
        check(shown.rstrip("\r\n") == printable(expected), f"the report reads {printable(expected)!r} ({shown!r})")
        app.wait(timeout=60)
        check(app.returncode == 255, f"the program ends with exit code -1 ({app.returncode})")
        check((program.parent / "libxl.dll").read_bytes() == (build / library).read_bytes(),
              "the library beside the program is the stand-in, not rewritten")
    finally:
        for process in (app, drop):
            if process is not None and process.poll() is None:
                process.kill()
        shutil.rmtree(work, ignore_errors=True)
    return session.summary()


sys.exit(main())
