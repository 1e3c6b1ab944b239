#!/usr/bin/python3
"""A workbook saved by LibreOffice (numbers in General and in number
formats, percentages, dates and times, booleans, rich text, an error) reads
through libxl's string read as exactly the texts LibreOffice shows in its
cells, except where we show what Excel shows instead (listed below).

Usage: saved_by_libreoffice.py LIBXL_SO     (needs soffice and xlsxwriter)
"""
import csv, ctypes, datetime, os, shutil, subprocess, sys, tempfile

import xlsxwriter

# Where we follow Excel, not LibreOffice: serials below 61 are days of
# Excel's 1900 system (day 0 is 1900-01-00), a negative date shows the number
# itself (Excel shows ####, LibreOffice a date before 1900), and exponents
# have at least two digits.
EXCEL_NOT_LIBREOFFICE = {
    "1E+20": "1E+020",
    "1900-01-00": "1899-12-30", "1900-01-01": "1899-12-31",
    "1900/1/0 6:08": "1899/12/30 6:08", "1900/1/1 12:00": "1899/12/31 12:00",
    "1900年1月0日": "1899年12月30日", "1900年1月1日": "1899年12月31日",
    "Jan 0, 1900": "Dec 30, 1899", "Jan 1, 1900": "Dec 31, 1899",
}
NEGATIVE_DATE = "-1234.5"


def make(path):
    book = xlsxwriter.Workbook(path)
    sheet = book.add_worksheet("表")
    bold = book.add_format({"bold": True})
    codes = ["0.00", "0%", "0.0%", "#,##0.00", "yyyy-mm-dd", "yyyy/m/d h:mm", "h:mm:ss", "[h]:mm:ss",
             'yyyy"年"m"月"d"日"', "0.00E+00", "# ?/?", "@", "mmm d, yyyy", "dddd"]
    sheet.write_row(0, 0, ["名称", "值", "格式"])
    row = 1
    for value in [0, 1, -1, 0.1 + 0.2, 1234567890123, 3.14159265358979, -0.0, 1e20, 1e-10, 123456.789, 0.5]:
        sheet.write_number(row, 0, value)
        row += 1
    for code in codes:
        style = book.add_format({"num_format": code})
        for value in [0.256, 45291.5208, -1234.5, 1.5]:
            sheet.write_string(row, 2, code)
            sheet.write_number(row, 1, value, style)
            row += 1
    sheet.write_boolean(row, 0, True)
    sheet.write_boolean(row, 1, False)
    row += 1
    sheet.write_datetime(row, 0, datetime.datetime(2024, 2, 29, 13, 45, 10),
                         book.add_format({"num_format": "yyyy/m/d h:mm"}))
    row += 1
    sheet.write_rich_string(row, 0, "普通", bold, "粗体", " 尾")
    row += 1
    sheet.write_formula(row, 0, "=1/0")
    book.close()


def libreoffice(args, work):
    subprocess.run(["soffice", "--headless", *args, "--outdir", work], check=True, capture_output=True,
                   env=dict(os.environ, HOME=os.path.join(work, "home")), timeout=300)


def read_with_libxl(library, path):
    lib = ctypes.CDLL(library)
    lib.xlCreateXMLBookCA.restype = ctypes.c_void_p
    lib.xlBookLoadA.argtypes = [ctypes.c_void_p, ctypes.c_char_p]
    lib.xlBookGetSheetA.restype = ctypes.c_void_p
    lib.xlBookGetSheetA.argtypes = [ctypes.c_void_p, ctypes.c_int]
    lib.xlSheetLastRowA.argtypes = lib.xlSheetLastColA.argtypes = [ctypes.c_void_p]
    lib.xlSheetReadStrA.restype = ctypes.c_char_p
    lib.xlSheetReadStrA.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int, ctypes.c_void_p]
    lib.xlBookReleaseA.argtypes = [ctypes.c_void_p]
    book = lib.xlCreateXMLBookCA()
    assert lib.xlBookLoadA(book, path.encode("gbk")) == 1, "the workbook saved by LibreOffice loads"
    sheet = lib.xlBookGetSheetA(book, 0)
    rows, columns = lib.xlSheetLastRowA(sheet), lib.xlSheetLastColA(sheet)
    cells = [[(lib.xlSheetReadStrA(sheet, r, c, None) or b"").decode("gbk") for c in range(columns)]
             for r in range(rows)]
    lib.xlBookReleaseA(book)
    return cells


def main():
    for tool in ("soffice",):
        if not shutil.which(tool):
            print(f"skipped: {tool} is not installed")
            return 0
    work = tempfile.mkdtemp(prefix="saved-by-libreoffice-")
    try:
        source = os.path.join(work, "made.xlsx")
        make(source)
        saved_dir = os.path.join(work, "saved")
        os.makedirs(saved_dir)
        libreoffice(["--convert-to", "xlsx", source], saved_dir)
        saved = os.path.join(saved_dir, "made.xlsx")
        libreoffice(["--convert-to",
                     "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,true,false,false", saved], work)
        with open(os.path.join(work, "made.csv"), encoding="utf-8", newline="") as f:
            shown = list(csv.reader(f))
        ours = read_with_libxl(sys.argv[1], saved)
        failures = 0
        for r in range(max(len(ours), len(shown))):
            mine, theirs = (ours[r] if r < len(ours) else []), (shown[r] if r < len(shown) else [])
            for c in range(max(len(mine), len(theirs))):
                a = mine[c] if c < len(mine) else ""
                b = theirs[c] if c < len(theirs) else ""
                if a == b or EXCEL_NOT_LIBREOFFICE.get(a) == b or (a == NEGATIVE_DATE and b):
                    continue
                failures += 1
                print(f"row {r} column {c}: we show {a!r}, LibreOffice shows {b!r}")
        print(f"{len(ours)} rows compared, {failures} difference(s)")
        return 1 if failures else 0
    finally:
        shutil.rmtree(work, ignore_errors=True)


sys.exit(main())
