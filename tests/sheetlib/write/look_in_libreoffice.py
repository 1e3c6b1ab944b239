"""Opens a written workbook in LibreOffice and prints its first sheet as CSV,
after "exit CODE"; prints "skipped" when LibreOffice is not installed.
"""
import os
import shutil
import subprocess
import sys
import tempfile


def main(path):
    if not shutil.which("soffice"):
        print("skipped")
        return
    work = tempfile.mkdtemp(prefix="look-in-libreoffice-")
    try:
        done = subprocess.run(["soffice", "--headless", "--convert-to", "csv:Text - txt - csv (StarCalc):44,34,76",
                               "--outdir", work, path], capture_output=True, text=True, timeout=300,
                              env=dict(os.environ, HOME=os.path.join(work, "home")))
        print("exit", done.returncode)
        csv = os.path.join(work, os.path.splitext(os.path.basename(path))[0] + ".csv")
        if os.path.exists(csv):
            with open(csv, encoding="utf-8") as f:
                sys.stdout.write(f.read())
        else:
            print("no csv:", done.stdout.strip(), done.stderr.strip())
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main(sys.argv[1])
