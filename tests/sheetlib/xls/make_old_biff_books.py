#!/usr/bin/python3
"""Writes the Excel 2.x, 3 and 4 workbooks of old_biff_test.cpp (run once; the
files are kept beside this script in old_biff/).

These versions wrote no compound file: the file is the record stream itself.
A worksheet file is one BOF ... EOF substream that holds its formats (FORMAT,
XF) before its cells. An Excel 4 workbook (BIFF4W) is a globals substream
(BOF of type 0x0100, its sheets' names in BUNDLESHEET records) holding, for
each sheet, a SHEETHDR record (the substream's size and the sheet's name)
and the sheet's own BOF ... EOF, with formats of its own.

    make_old_biff_books.py [--show]   (--show: print what LibreOffice shows)
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "old_biff")
CSV_FILTER = "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,true,false,false,{sheet}"

WORKSHEET, CHART, MACRO, WORKBOOK = 0x0010, 0x0020, 0x0040, 0x0100
DATE = 45352  # 2024-03-01 in the 1900 system
DATE_1904 = DATE - 1462

# The formats Excel 2.x to 4 list in every file, in this order; an XF names
# its format by its position in the list.
BUILTIN_FORMATS = [
    "General", "0", "0.00", "#,##0", "#,##0.00",
    '"$"#,##0_);("$"#,##0)', '"$"#,##0_);[Red]("$"#,##0)',
    '"$"#,##0.00_);("$"#,##0.00)', '"$"#,##0.00_);[Red]("$"#,##0.00)',
    "0%", "0.00%", "0.00E+00", "m/d/yy", "d-mmm-yy", "d-mmm", "mmm-yy",
    "h:mm AM/PM", "h:mm:ss AM/PM", "h:mm", "h:mm:ss", "m/d/yy h:mm",
]
PERCENT, PERCENT2, SHORT_DATE = 9, 10, 12


def record(kind, data=b""):
    return struct.pack("<HH", kind, len(data)) + data


def byte_string(text, encoding, count="B"):
    raw = text.encode(encoding) if isinstance(text, str) else text
    return struct.pack("<" + count, len(raw)) + raw


class Biff:
    """The records of one version: 2, 3 or 4."""

    def __init__(self, version, encoding="cp1252"):
        self.version = version
        self.encoding = encoding

    def bof(self, kind):
        ids = {2: 0x0009, 3: 0x0209, 4: 0x0409}
        data = struct.pack("<HH", {2: 0x0002, 3: 0x0300, 4: 0x0400}[self.version], kind)
        if self.version > 2:
            data += struct.pack("<H", 0x0DBB)
        return record(ids[self.version], data)

    def eof(self):
        return record(0x000A)

    def codepage(self, page):
        return record(0x0042, struct.pack("<H", page))

    def font(self):
        if self.version == 2:
            return record(0x0031, struct.pack("<HH", 200, 0) + byte_string("Arial", "ascii"))
        return record(0x0231, struct.pack("<HHH", 200, 0, 0x7FFF) + byte_string("Arial", "ascii"))

    def format(self, code):
        if self.version == 4:
            return record(0x041E, struct.pack("<H", 0) + byte_string(code, self.encoding))
        return record(0x001E, byte_string(code, self.encoding))

    def formats(self, extra=()):
        return b"".join(self.format(code) for code in BUILTIN_FORMATS + list(extra))

    def xf(self, format_index):
        if self.version == 2:
            return record(0x0043, struct.pack("<BBBB", 0, 0, format_index, 0))
        if self.version == 3:
            return record(0x0243, struct.pack("<BBBBHHI", 0, format_index, 0, 0, 0, 0, 0))
        return record(0x0443, struct.pack("<BBHBBHII", 0, format_index, 0, 0, 0, 0, 0, 0))

    def dimensions(self, rows, columns):
        data = struct.pack("<HHHH", 0, rows, 0, columns)
        return record(0x0000 if self.version == 2 else 0x0200, data if self.version == 2 else data + b"\0\0")

    # Cells. BIFF2 cells carry three attribute bytes (XF index in the low six
    # bits of the first, format index in those of the second); later ones an
    # XF index of two bytes.
    def head(self, row, column, xf, format_index=0):
        if self.version == 2:
            return struct.pack("<HHBBB", row, column, xf, format_index, 0)
        return struct.pack("<HHH", row, column, xf)

    def cell(self, kind2, kind3, row, column, xf, data, format_index=0):
        return record(kind2 if self.version == 2 else kind3, self.head(row, column, xf, format_index) + data)

    def number(self, row, column, value, xf=0, format_index=0):
        return self.cell(0x0003, 0x0203, row, column, xf, struct.pack("<d", value), format_index)

    def integer(self, row, column, value):
        return record(0x0002, self.head(row, column, 0) + struct.pack("<H", value))

    def rk(self, row, column, value, xf=0):
        return record(0x027E, self.head(row, column, xf) + struct.pack("<I", ((value << 2) | 2) & 0xFFFFFFFF))

    def label(self, row, column, text, xf=0):
        return self.cell(0x0004, 0x0204, row, column, xf,
                         byte_string(text, self.encoding, "B" if self.version == 2 else "H"))

    def boolerr(self, row, column, value, error=False, xf=0):
        return self.cell(0x0005, 0x0205, row, column, xf, struct.pack("<BB", value, error))

    def blank(self, row, column, xf=0):
        return self.cell(0x0001, 0x0201, row, column, xf, b"")

    def formula(self, row, column, result, tokens, xf=0, format_index=0):
        kind = {2: 0x0006, 3: 0x0206, 4: 0x0406}[self.version]
        tail = struct.pack("<BB", 0, len(tokens)) if self.version == 2 else struct.pack("<HH", 0, len(tokens))
        return record(kind, self.head(row, column, xf, format_index) + result + tail + tokens)

    def number_formula(self, row, column, value, xf=0, format_index=0):
        # =value, as an integer token
        return self.formula(row, column, struct.pack("<d", value), struct.pack("<BH", 0x1E, int(value)), xf,
                            format_index)

    def text_formula(self, row, column, text):
        # ="text", its result in the STRING record after it
        raw = text.encode(self.encoding)
        result = b"\0" * 6 + b"\xff\xff"
        string = record(0x0007, byte_string(raw, "", "B")) if self.version == 2 else \
            record(0x0207, byte_string(raw, "", "H"))
        return self.formula(row, column, result, struct.pack("<BB", 0x17, len(raw)) + raw) + string

    def boolean_formula(self, row, column, value):
        return self.formula(row, column, struct.pack("<BBBBHH", 1, 0, value, 0, 0, 0xFFFF),
                            struct.pack("<BB", 0x1D, value))


def biff2_sheet():
    b = Biff(2)
    # XFs: 0 General, 1 date, 2 percent; 3 to 63 General padding; 64, named
    # through IXFE, two-decimal percent.
    xfs = [0, SHORT_DATE, PERCENT] + [0] * 61 + [PERCENT2]
    cells = [
        b.label(0, 0, "Name"), b.label(0, 1, "Value"), b.label(0, 2, "When"), b.label(0, 3, "Share"),
        b.label(1, 0, "café crème"), b.integer(1, 1, 42), b.number(1, 2, DATE, 1, SHORT_DATE),
        b.number(1, 3, 0.25, 2, PERCENT),
        b.label(2, 0, "Straße"), b.number(2, 1, -3.5), b.blank(2, 2),
        record(0x0044, struct.pack("<H", 64)), b.number(2, 3, 0.125, 63, PERCENT2),
        b.boolerr(3, 0, 1), b.boolerr(3, 1, 0x07, True), b.number_formula(3, 2, 7),
        b.text_formula(3, 3, "Zoë"),
        b.boolerr(4, 0, 0), b.number(4, 1, 1234567.891),
    ]
    return (b.bof(WORKSHEET) + b.codepage(1252) + b.font() + b.formats() + record(0x001F, struct.pack("<H", 21)) +
            b"".join(b.xf(i) for i in xfs) + b.dimensions(5, 4) +
            record(0x0024, struct.pack("<BBH", 0, 0, 20 * 256)) + b"".join(cells) + b.eof())


def chinese_cells(b, first_row):
    return [
        b.label(first_row, 0, "中文"), b.rk(first_row, 1, 7), b.number(first_row, 2, DATE, 1),
        b.number(first_row, 3, 0.375, 2),
        b.label(first_row + 1, 0, "数据"), b.number(first_row + 1, 1, 2.5, 3),
        b.boolerr(first_row + 1, 2, 1), b.boolerr(first_row + 1, 3, 0x2A, True),
        b.text_formula(first_row + 2, 0, "元"), b.number_formula(first_row + 2, 1, 12, 3),
        b.boolean_formula(first_row + 2, 2, 1), b.blank(first_row + 2, 3, 2),
    ]


def colinfo(first, last, width):
    return record(0x007D, struct.pack("<HHHHH", first, last, width, 0, 0))


def biff3_sheet():
    b = Biff(3, "gbk")
    # XFs: 0 General, 1 date, 2 percent, 3 the workbook's own 0.0"元".
    header = (b.bof(WORKSHEET) + b.codepage(936) + b.font() + b.formats(['0.0"元"']) +
              record(0x001F, struct.pack("<H", 21)) +
              b.xf(0) + b.xf(SHORT_DATE) + b.xf(PERCENT) + b.xf(len(BUILTIN_FORMATS)))
    return header + b.dimensions(3, 4) + colinfo(0, 1, 15 * 256) + b"".join(chinese_cells(b, 0)) + b.eof()


def biff4_sheet(encoding="cp1252", page=1252, date1904=True, first_text="Ñandú"):
    b = Biff(4, encoding)
    header = (b.bof(WORKSHEET) + b.codepage(page) + (record(0x0022, struct.pack("<H", 1)) if date1904 else b"") +
              b.font() + b.formats(['0.0"元"' if page == 936 else '#,##0.0 "kg"']) +
              b.xf(0) + b.xf(SHORT_DATE) + b.xf(PERCENT) + b.xf(len(BUILTIN_FORMATS)))
    date = DATE_1904 if date1904 else DATE
    cells = [
        b.label(0, 0, first_text), b.rk(0, 1, -17), b.number(0, 2, date, 1), b.number(0, 3, 0.5, 2),
        b.number(1, 0, 1234.56, 3), b.number_formula(1, 1, 3, 2), b.text_formula(1, 2, "€ fin" if page == 1252 else "￥ 末"),
        b.boolerr(1, 3, 0x0F, True),
    ]
    return header + b.dimensions(2, 4) + colinfo(2, 3, 12 * 256) + b"".join(cells) + b.eof()


def biff4_workbook():
    b = Biff(4, "gbk")
    sheets = [("收入", biff4_sheet("gbk", 936, False, "第一")), ("Chart", b.bof(CHART) + b.eof()),
              ("支出 2", b.bof(WORKSHEET) + b.codepage(936) + b.formats() + b.xf(0) +
               b"".join(chinese_cells(b, 0)[:8]) + b.eof())]
    globals_ = b.bof(WORKBOOK) + b.codepage(936) + b"".join(record(0x0085, byte_string(name, "gbk"))
                                                           for name, _ in sheets)
    # SHEETSOFFSET: where the first SHEETHDR is. The globals' EOF ends the file.
    stream = globals_ + record(0x008E, struct.pack("<I", len(globals_) + 8))
    for name, data in sheets:
        stream += record(0x008F, struct.pack("<I", len(data)) + byte_string(name, "gbk")) + data
    return stream + b.eof()


def chart_only():
    b = Biff(3)
    return b.bof(CHART) + b.eof()


BOOKS = {
    "biff2.xls": biff2_sheet,
    "biff3.xls": biff3_sheet,
    "biff4.xls": biff4_sheet,
    "biff4w.xlw": biff4_workbook,
    "chart3.xls": chart_only,
}


def show():
    home = tempfile.mkdtemp(prefix="soffice-home-")
    out = tempfile.mkdtemp(prefix="old-biff-")
    try:
        for name in BOOKS:
            for sheet in (1, 2, 3) if name.endswith(".xlw") else (1,):
                target = os.path.join(out, str(sheet))
                subprocess.run(["soffice", "--headless", "--convert-to", CSV_FILTER.format(sheet=sheet),
                                os.path.join(OUT, name), "--outdir", target], env=dict(os.environ, HOME=home),
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120, check=False)
                for csv in sorted(os.listdir(target)) if os.path.isdir(target) else []:
                    print("==", name, sheet, csv)
                    with open(os.path.join(target, csv), encoding="utf-8") as f:
                        print(f.read())
                    os.remove(os.path.join(target, csv))
    finally:
        shutil.rmtree(home, ignore_errors=True)
        shutil.rmtree(out, ignore_errors=True)


def main():
    os.makedirs(OUT, exist_ok=True)
    for name, make in BOOKS.items():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(make())
    if "--show" in sys.argv:
        show()


if __name__ == "__main__":
    main()
