#!/usr/bin/python3
"""Makes the seed corpus of fuzz_xls (run once; the output is kept).

seeds/fuzz_xls: small .xls workbooks that LibreOffice, Gnumeric and xlwt
write here, and the load tests' Excel 97 workbook, each twice: whole (first
byte 0x01) and as its workbook stream alone (first byte 0x00, which the
target puts into a compound file of its own); and workbook streams built
here around the records the reader treats with care: shared strings cut by
CONTINUE records, MULRK and the RK encodings, formula results, embedded
charts, sheets that are no worksheets, encryption, an older version; and
Excel 95 streams (biff5_seeds) and files (Gnumeric's, with a "Book"
stream).

    make_xls_seeds.py [biff5]     (biff5: only the Excel 95 seeds)
"""
import datetime
import os
import shutil
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "seeds", "fuzz_xls")
TINY = os.path.join(HERE, "..", "load", "bad_input", "tiny.xls")


def workbook_stream(data):
    """The "Workbook" stream of a compound file (its root storage's)."""
    shift = struct.unpack_from("<H", data, 30)[0]
    size = 1 << shift
    fat_count, directory, _, cutoff, mini_fat, _, difat, difat_count = struct.unpack_from("<8I", data, 44)
    fat_sectors = list(struct.unpack_from("<109I", data, 76))
    for _ in range(difat_count):
        block = struct.unpack_from("<%dI" % (size // 4), data, (difat + 1) * size)
        fat_sectors += block[:-1]
        difat = block[-1]
    fat = []
    for sector in fat_sectors[:fat_count]:
        fat += struct.unpack_from("<%dI" % (size // 4), data, (sector + 1) * size)

    def chain(start):
        while start < 0xFFFFFFFA:
            yield data[(start + 1) * size:(start + 2) * size]
            start = fat[start]

    entries = b"".join(chain(directory))
    root_start, root_size = struct.unpack_from("<IQ", entries, 116)
    for at in range(0, len(entries), 128):
        length = struct.unpack_from("<H", entries, at + 64)[0]
        if entries[at:at + length - 2].decode("utf-16-le", "replace") != "Workbook":
            continue
        start, stream_size = struct.unpack_from("<II", entries, at + 116)
        if stream_size >= cutoff:
            return b"".join(chain(start))[:stream_size]
        mini = b"".join(chain(root_start))[:root_size]
        mini_fat_bytes = b"".join(chain(mini_fat))
        next_of = struct.unpack("<%dI" % (len(mini_fat_bytes) // 4), mini_fat_bytes)
        pieces = []
        while start < 0xFFFFFFFA:
            pieces.append(mini[start * 64:(start + 1) * 64])
            start = next_of[start]
        return b"".join(pieces)[:stream_size]
    raise ValueError("no Workbook stream")


def record(kind, body=b""):
    return struct.pack("<HH", kind, len(body)) + body


def bof(substream, version=0x0600):
    return record(0x0809, struct.pack("<HHHHII", version, substream, 0x0DBB, 0x07CC, 0, 6))


def xl_string(text):
    if all(ord(c) < 256 for c in text):
        return struct.pack("<HB", len(text), 0) + text.encode("latin-1")
    units = text.encode("utf-16-le")
    return struct.pack("<HB", len(units) // 2, 1) + units


def cell(row, column, xf=0):
    return struct.pack("<HHH", row, column, xf)


def stream_of(globals_records, sheets):
    """Globals, one BOUNDSHEET per (sheet type, substream, records), the sheets."""
    def boundsheet(offset, sheet_type, index):
        name = b"Sheet%d" % index
        return record(0x0085, struct.pack("<IBB", offset, 0, sheet_type) + bytes([len(name), 0]) + name)

    head = bof(0x0005) + globals_records
    size = len(head) + sum(len(boundsheet(0, 0, i)) for i in range(len(sheets))) + 4
    body = b""
    listing = b""
    for index, (sheet_type, substream, records) in enumerate(sheets):
        listing += boundsheet(size + len(body), sheet_type, index)
        body += bof(substream) + records + record(0x000A)
    return head + listing + record(0x000A) + body


def traps():
    xfs = b"".join(record(0x00E0, struct.pack("<HH", 0, fmt) + bytes(16)) for fmt in (0, 10, 14, 164, 49))
    formats = record(0x041E, struct.pack("<H", 164) + xl_string("0.000"))
    # Shared strings cut inside a text, where it changes to UTF-16 and back,
    # inside a count, inside formatting runs and phonetic data.
    sst = (record(0x00FC, struct.pack("<II", 4, 4) + struct.pack("<HB", 6, 0) + b"ab") +
           record(0x003C, b"\x01" + "城市".encode("utf-16-le")) +
           record(0x003C, b"\x00cd" + b"\x03") +
           record(0x003C, b"\x00\x0D" + struct.pack("<HI", 2, 5) + "漢字x".encode("utf-16-le") + b"rrrrrr") +
           record(0x003C, b"rrpho") +
           record(0x003C, b"ne" + xl_string("after") + xl_string("\U00020000 ok")))
    rk = lambda value, flags: (value << 2 | flags) & 0xFFFFFFFF
    cells = (record(0x00FD, cell(0, 0) + struct.pack("<I", 0)) + record(0x00FD, cell(0, 1) + struct.pack("<I", 3)) +
             record(0x0204, cell(0, 2) + xl_string("标签")) +
             record(0x0203, cell(1, 0, 1) + struct.pack("<d", 0.125)) +
             record(0x0203, cell(1, 1, 2) + struct.pack("<d", 45352.5)) +
             record(0x027E, cell(1, 2, 3) + struct.pack("<I", rk(1234, 3))) +
             record(0x00BD, struct.pack("<HH", 2, 0) + struct.pack("<HI", 0, rk(7, 2)) +
                    struct.pack("<HI", 4, 0x3FF80000) + struct.pack("<HI", 0, rk(-5, 3)) + struct.pack("<H", 2)) +
             record(0x0205, cell(3, 0) + b"\x01\x00") + record(0x0205, cell(3, 1) + b"\x07\x01") +
             record(0x0006, cell(4, 0) + struct.pack("<d", 2.5) + bytes(8)) +
             record(0x0006, cell(4, 1) + b"\x00\x00\x00\x00\x00\x00\xFF\xFF" + bytes(8)) +
             record(0x04BC, bytes(10)) + record(0x0207, xl_string("result")) +
             record(0x0006, cell(4, 2) + b"\x01\x00\x01\x00\x00\x00\xFF\xFF" + bytes(8)) +
             record(0x0006, cell(4, 3) + b"\x02\x00\x2A\x00\x00\x00\xFF\xFF" + bytes(8)) +
             record(0x0006, cell(4, 4) + b"\x03\x00\x00\x00\x00\x00\xFF\xFF" + bytes(8)) +
             record(0x0201, cell(9, 9)) +
             bof(0x0020) + record(0x0203, cell(0, 0) + struct.pack("<d", 99)) + record(0x000A))
    seeds = {
        "traps": stream_of(formats + xfs + record(0x0022, b"\x01\x00") + sst, [(0, 0x0010, cells)]),
        "sheet_kinds": stream_of(xfs + sst, [(2, 0x0020, cells), (1, 0x0040, cells),
                                       (0, 0x0010, record(0x0081, b"\x11\x04") + cells), (0, 0x0010, cells)]),
        "no_sheet_list": bof(0x0005) + xfs + sst + record(0x000A) + bof(0x0010) + cells + record(0x000A),
        "encrypted": stream_of(record(0x002F, b"\x01\x00" + bytes(52)), [(0, 0x0010, cells)]),
        "biff5": biff5_stream(),
    }
    return seeds


def biff5_stream():
    """An Excel 95 workbook: strings as GBK bytes (code page 936) after their
    count, no flags byte; a format code, a rich label, a text result."""
    def byte_string(data, count_format="<H"):
        return struct.pack(count_format, len(data)) + data
    gbk = lambda text: text.encode("gbk")
    globals_records = (record(0x0042, struct.pack("<H", 936)) +
                       record(0x041E, struct.pack("<H", 164) + byte_string(gbk('0.0"元"'), "<B")) +
                       b"".join(record(0x00E0, struct.pack("<HH", 0, fmt) + bytes(12)) for fmt in (0, 14, 164)))
    cells = (record(0x0204, cell(0, 0) + byte_string(gbk("城市"))) +
             record(0x00D6, cell(0, 1) + byte_string(gbk("北京")) + b"\x01\x00\x00") +
             record(0x0203, cell(1, 0, 2) + struct.pack("<d", 2.5)) +
             record(0x0006, cell(1, 1) + b"\x00\x00\x00\x00\x00\x00\xFF\xFF" + bytes(6)) +
             record(0x0207, byte_string(gbk("结果"))))
    name = gbk("数据")
    head = bof(0x0005, 0x0500) + globals_records
    listing_size = len(record(0x0085, bytes(6) + byte_string(name, "<B")))
    offset = len(head) + listing_size + 4
    listing = record(0x0085, struct.pack("<IBB", offset, 0, 0) + byte_string(name, "<B"))
    return head + listing + record(0x000A) + bof(0x0010, 0x0500) + cells + record(0x000A)


def biff5_seeds():
    """Excel 95 streams for the byte-string paths, put into a "Book" stream
    (first byte 0x10): labels, a text result and a format code going on in
    CONTINUE records (cut inside a GBK character, too), sheet names and
    labels in the code pages with tables and in one without, and a sheet
    of every cell kind."""
    def byte_string(data, count_format="<H"):
        return struct.pack(count_format, len(data)) + data

    def book(code_page, sheets, extra_globals=b""):
        globals_records = (record(0x0042, struct.pack("<H", code_page)) + extra_globals +
                           b"".join(record(0x00E0, struct.pack("<HH", 0, fmt) + bytes(12)) for fmt in (0, 14, 164)))
        head = bof(0x0005, 0x0500) + globals_records
        listing_size = sum(len(record(0x0085, bytes(6) + byte_string(name, "<B"))) for name, _ in sheets)
        offset = len(head) + listing_size + 4
        listing = b""
        body = b""
        for name, cells in sheets:
            listing += record(0x0085, struct.pack("<IBB", offset + len(body), 0, 0) + byte_string(name, "<B"))
            body += bof(0x0010, 0x0500) + cells + record(0x000A)
        return head + listing + record(0x000A) + body

    city = "城市北京".encode("gbk")
    long_label = city * 600
    cut = long_label[:3001]  # a GBK character cut between the label and its CONTINUE
    continued = (record(0x0204, cell(0, 0) + struct.pack("<H", len(long_label)) + cut) +
                 record(0x003C, long_label[3001:5000]) + record(0x003C, long_label[5000:]) +
                 record(0x0006, cell(1, 0) + b"\x00\x00\x00\x00\x00\x00\xFF\xFF" + bytes(6)) +
                 record(0x0207, struct.pack("<H", 8) + "结果".encode("gbk")) +
                 record(0x003C, "文本".encode("gbk")) +
                 record(0x0203, cell(2, 0, 2) + struct.pack("<d", 2.5)))
    split_format = (record(0x041E, struct.pack("<HB", 164, 8) + b'0.0"') +
                    record(0x003C, '元"'.encode("gbk") + b"x"))
    kinds = (record(0x0204, cell(0, 0) + byte_string("名称".encode("gbk"))) +
             record(0x00D6, cell(0, 1) + byte_string("北京".encode("gbk")) + b"\x02\x00\x01\x01\x02") +
             record(0x027E, cell(1, 0) + struct.pack("<I", 1234 << 2 | 3)) +
             record(0x00BD, struct.pack("<HH", 1, 1) + struct.pack("<HI", 1, 7 << 2 | 2) +
                    struct.pack("<HI", 2, 0x3FF80000) + struct.pack("<H", 2)) +
             record(0x0205, cell(2, 0) + b"\x01\x00") + record(0x0205, cell(2, 1) + b"\x2A\x01") +
             record(0x0006, cell(3, 0) + struct.pack("<d", 4.5) + bytes(6)) +
             record(0x0006, cell(3, 1) + b"\x01\x00\x01\x00\x00\x00\xFF\xFF" + bytes(6)) +
             record(0x00E5, struct.pack("<H4H", 1, 0, 0, 0, 1)) +
             record(0x007D, struct.pack("<HHHHHH", 0, 2, 3000, 0, 0, 0)))
    pages = [(code_page, text.encode(codec)) for code_page, codec, text in [
        (1252, "cp1252", "café “€”"), (1251, "cp1251", "Москва"), (1250, "cp1250", "Łódź"),
        (1253, "cp1253", "Αθήνα"), (1254, "cp1254", "İzmir"), (1255, "cp1255", "שלום"),
        (1256, "cp1256", "مرحبا"), (1257, "cp1257", "Rīga"), (1258, "cp1258", "Hà Nô\u0323i"),
        (874, "cp874", "ไทย"), (10000, "mac_roman", "café ∑"), (932, "cp932", "東京ｶﾀｶﾅ"),
        (949, "cp949", "서울"), (950, "cp950", "臺北"), (54936, "gb18030", "中文")]]
    seeds = {
        "biff5_continue": book(936, [("数据".encode("gbk"), continued)], split_format),
        "biff5_kinds": book(936, [(b"a", record(0x0204, cell(0, 0) + byte_string(b"x"))),
                                   ("表".encode("gbk"), kinds)]),
    }
    for code_page, text in pages:
        seeds["biff5_cp%d" % code_page] = book(code_page, [(text, record(0x0204, cell(0, 0) + byte_string(text)))])
    return seeds


def small_books(folder):
    """Small workbooks by LibreOffice, Gnumeric and xlwt: name -> bytes."""
    import openpyxl
    source = os.path.join(folder, "source.xlsx")
    book = openpyxl.Workbook()
    sheet = book.active
    sheet.append(["名称", "数量", "日期", "比例", "标志", "公式"])
    sheet.append(["北京", 12, datetime.date(2024, 3, 1), 0.125, True, '=A2&"市"'])
    sheet.append(["😀 서울", -7.5, datetime.datetime(2024, 2, 29, 13, 30), 0.5, False, "=1/0"])
    sheet["C2"].number_format = "yyyy-mm-dd"
    sheet["D2"].number_format = "0.00%"
    book.create_sheet("二").append(["no"])
    book.save(source)
    books = {}
    home = tempfile.mkdtemp()
    subprocess.run(["soffice", "--headless", "--convert-to", "xls", "--outdir", folder, source],
                   env=dict(os.environ, HOME=home), capture_output=True, timeout=300)
    shutil.rmtree(home, ignore_errors=True)
    books["libreoffice"] = open(os.path.join(folder, "source.xls"), "rb").read()
    gnumeric = os.path.join(folder, "gnumeric.xls")
    subprocess.run(["ssconvert", "--export-type=Gnumeric_Excel:excel_biff8", source, gnumeric], capture_output=True)
    books["gnumeric"] = open(gnumeric, "rb").read()
    import xlwt
    workbook = xlwt.Workbook(encoding="utf-8")
    sheet = workbook.add_sheet("表")
    for column, value in enumerate(["城市", 1234567, 0.25, True, "한국😀"]):
        sheet.write(0, column, value)
    sheet.write(1, 0, datetime.date(2023, 12, 31), xlwt.easyxf(num_format_str="yyyy-mm-dd"))
    sheet.write(1, 1, 3.14159, xlwt.easyxf(num_format_str="0.00"))
    sheet.row(1).set_cell_error(2, 0x07)
    workbook.save(os.path.join(folder, "xlwt.xls"))
    books["xlwt"] = open(os.path.join(folder, "xlwt.xls"), "rb").read()
    books["excel97_tiny"] = open(TINY, "rb").read()
    return books


def gnumeric95_books(folder):
    """Gnumeric's Excel 95 workbook ("Book" stream, code page 936) and its
    dual one (an Excel 95 stream beside the Excel 97 one): name -> bytes."""
    import openpyxl
    source = os.path.join(folder, "source95.xlsx")
    book = openpyxl.Workbook()
    sheet = book.active
    sheet.title = "数据"
    sheet.append(["名称", "数量", "日期", "比例", "公式"])
    sheet.append(["北京" * 700, 12, datetime.date(2024, 3, 1), 0.125, '=A2&"市"'])
    sheet["C2"].number_format = "yyyy-mm-dd"
    sheet["D2"].number_format = "0.00%"
    book.save(source)
    books = {}
    for name, exporter in [("gnumeric95", "excel_biff7"), ("gnumeric_dual", "excel_dsf")]:
        path = os.path.join(folder, name + ".xls")
        subprocess.run(["ssconvert", "--export-type=Gnumeric_Excel:" + exporter, source, path], capture_output=True,
                       env=dict(os.environ, LANG="zh_CN.UTF-8", LC_ALL="zh_CN.UTF-8"))
        books[name] = open(path, "rb").read()
    return books


def main():
    os.makedirs(OUT, exist_ok=True)
    # With "biff5", only the Excel 95 seeds are (re)made.
    if sys.argv[1:] == ["biff5"]:
        write_biff5_seeds()
        return 0
    folder = tempfile.mkdtemp()
    try:
        for name, data in small_books(folder).items():
            open(os.path.join(OUT, name + "_file.bin"), "wb").write(b"\x01" + data)
            open(os.path.join(OUT, name + "_stream.bin"), "wb").write(b"\x00" + workbook_stream(data))
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    for name, stream in traps().items():
        open(os.path.join(OUT, name + "_stream.bin"), "wb").write(b"\x00" + stream)
    # The same records in regular sectors, out of order, and in 4,096-byte ones.
    open(os.path.join(OUT, "traps_scattered_stream.bin"), "wb").write(b"\x0A" + traps()["traps"])
    open(os.path.join(OUT, "traps_version4_stream.bin"), "wb").write(b"\x0C" + traps()["traps"])
    write_biff5_seeds()
    return 0


def write_biff5_seeds():
    for name, stream in biff5_seeds().items():
        open(os.path.join(OUT, name + "_stream.bin"), "wb").write(b"\x10" + stream)
    folder = tempfile.mkdtemp()
    try:
        for name, data in gnumeric95_books(folder).items():
            open(os.path.join(OUT, name + "_file.bin"), "wb").write(b"\x01" + data)
    finally:
        shutil.rmtree(folder, ignore_errors=True)


sys.exit(main())
