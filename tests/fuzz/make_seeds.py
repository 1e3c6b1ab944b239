#!/usr/bin/python3
"""Makes the seed corpora of the fuzz targets (run once; the output is kept).

seeds/fuzz_workbook: small workbooks from several producers: the read tests'
corpus (Excel, LibreOffice, openpyxl, hand-made packages), a Gnumeric workbook
cut down to its first cells, and workbooks that openpyxl and xlsxwriter write
here; and of the smaller ones a copy with its parts stored, not deflated,
whose XML the fuzzer's mutations reach. seeds/fuzz_parts: each part those workbooks hold that fuzz_parts can
replace, prefixed with the byte that chooses the part. seeds/fuzz_cell_scanner:
the worksheet parts of the shared corpus and of the fuzz_parts seeds, and
hand-written sheets of the markup the cell scanner reads (prefixes, the
strict namespace, references, rich and phonetic text) and of some it
declines; `make_seeds.py cell_scanner` makes that folder alone.
seeds/fuzz_shared_strings_scanner: the shared strings parts of the read
tests' corpus, of the shared corpus and of the fuzz_parts seeds, and
hand-written ones (prefixed, strict, rich text, phonetic runs, references,
line breaks, an extension list, an empty table, and some the scanner
declines), each behind the byte that chooses the pieces it is fed in and
the limits; `make_seeds.py shared_strings_scanner` makes that folder alone.
The workbooks of openpyxl and xlsxwriter need those modules; the two
scanner modes do not.
"""
import io
import os
import re
import sys
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = os.path.join(HERE, "..", "sheetlib", "read", "corpus")
WORKBOOKS = os.path.join(HERE, "seeds", "fuzz_workbook")
PARTS = os.path.join(HERE, "seeds", "fuzz_parts")
SCANNER_SHEETS = os.path.join(HERE, "seeds", "fuzz_cell_scanner")
SCANNER_STRINGS = os.path.join(HERE, "seeds", "fuzz_shared_strings_scanner")
SHARED_CORPUS = "/work/shared/corpus"
MAX_SHEET_BYTES = 64 * 1024
MAX_WORKBOOK_BYTES = 16 * 1024
MAX_PART_BYTES = 8 * 1024

# As fuzz_parts.cpp's kParts: the byte that chooses the part, and the kind
# of relationship (or fixed name) that finds it in a workbook.
PART_KINDS = [("sheet", 0), ("sharedStrings", 1), ("styles", 2), ("workbook", 3), ("workbook_rels", 4),
              ("package_rels", 5)]

# Corpus files under other names where theirs say nothing of what they hold.
RENAMED = {"issue127.xlsx": "libreoffice_mac.xlsx", "issues.xlsx": "excel_mixed.xlsx",
           "issue_261.xlsx": "no_app_properties.xlsx"}


def openpyxl_book():
    import openpyxl
    book = openpyxl.Workbook()
    sheet = book.active
    sheet.append(["名称", "数量", "日期", "比例"])
    import datetime
    sheet.append(["甲", 3, datetime.datetime(2024, 2, 29, 13, 30), 0.125])
    sheet.append(["乙", -7.5, datetime.date(1900, 3, 1), None])
    sheet["C2"].number_format = "yyyy\"年\"m\"月\"d\"日\""
    sheet["D2"].number_format = "0.00%"
    sheet["E5"] = "=SUM(B2:B3)"
    sheet["A7"] = True
    out = io.BytesIO()
    book.save(out)
    return out.getvalue()


def xlsxwriter_book(strings_inline):
    import xlsxwriter
    out = io.BytesIO()
    book = xlsxwriter.Workbook(out, {"in_memory": True, "strings_to_numbers": False,
                                     "constant_memory": strings_inline})
    sheet = book.add_worksheet("数据")
    money = book.add_format({"num_format": "#,##0.00;[Red]-#,##0.00"})
    date = book.add_format({"num_format": "[$-F800]dddd, mmmm dd, yyyy"})
    sheet.write_row(0, 0, ["部门", "金额", "日期", "说明"])
    sheet.write_row(1, 0, ["销售", 1234.5, 45000, "a_x0041_b"], None)
    sheet.write_number(1, 1, 1234.5, money)
    sheet.write_number(1, 2, 45000.5, date)
    sheet.write_rich_string(2, 0, "普通", book.add_format({"bold": True}), "加粗")
    sheet.write_boolean(2, 1, False)
    sheet.write_formula(2, 2, "=1/0", None, "#DIV/0!")
    sheet.write(1048575, 16383, "last")
    book.close()
    return out.getvalue()


def gnumeric_cut():
    """The Gnumeric workbook with only its first cells, its markup as written."""
    source = zipfile.ZipFile(os.path.join(CORPUS, "issue_174.xlsx"))
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as target:
        for info in source.infolist():
            data = source.read(info)
            if info.filename.startswith("xl/worksheets/"):
                text = data.decode("utf-8")
                # Its few rows hold tens of thousands of formatted cells each.
                text = re.sub(r"(<row\b[^>]*>)(.*?)(</row>)",
                              lambda m: m.group(1) + "".join(re.findall(r"<c\b.*?(?:/>|</c>)", m.group(2), re.S)[:40])
                              + m.group(3), text, flags=re.S)
                data = text.encode("utf-8")
            target.writestr(info.filename, data)
    return out.getvalue()


def stored_copy(workbook_bytes):
    """The same workbook with every part stored, not deflated."""
    source = zipfile.ZipFile(io.BytesIO(workbook_bytes))
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w", zipfile.ZIP_STORED) as target:
        for info in source.infolist():
            target.writestr(info.filename, source.read(info))
    return out.getvalue()


def relationship_targets(archive, rels_name, base):
    """Relationship type (last word) -> part name, from a .rels part."""
    try:
        rels = archive.read(rels_name).decode("utf-8", "replace")
    except KeyError:
        return {}
    found = {}
    for rel in re.findall(r"<(?:\w+:)?Relationship\b[^>]*>", rels):
        kind = re.search(r'Type="[^"]*/([^"/]+)"', rel)
        target = re.search(r'Target="([^"]+)"', rel)
        if not kind or not target:
            continue
        path = target.group(1)
        path = path.lstrip("/") if path.startswith("/") else os.path.normpath(os.path.join(base, path))
        found.setdefault(kind.group(1), path)
    return found


def parts_of(workbook_bytes):
    try:
        archive = zipfile.ZipFile(io.BytesIO(workbook_bytes))
    except zipfile.BadZipFile:
        return {}
    names = {name.lower(): name for name in archive.namelist()}
    read = lambda name: archive.read(names[name.lower()]) if name.lower() in names else None
    parts = {"package_rels": read("_rels/.rels")}
    workbook = relationship_targets(archive, "_rels/.rels", "").get("officeDocument", "xl/workbook.xml")
    parts["workbook"] = read(workbook)
    folder, file = os.path.split(workbook)
    rels_name = os.path.join(folder, "_rels", file + ".rels")
    parts["workbook_rels"] = read(rels_name)
    targets = relationship_targets(archive, rels_name, folder)
    parts["sheet"] = read(targets["worksheet"]) if "worksheet" in targets else None
    parts["sharedStrings"] = read(targets["sharedStrings"]) if "sharedStrings" in targets else None
    parts["styles"] = read(targets["styles"]) if "styles" in targets else None
    return {kind: data for kind, data in parts.items() if data is not None}


def written_sheets():
    """Sheets of the markup that the cell scanner reads, and of markup it declines."""
    main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
    strict = "http://purl.oclc.org/ooxml/spreadsheetml/main"
    decl = '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\r\n'
    rows = ('<row r="1" spans="1:4" x14ac:dyDescent="0.25"><c r="A1" t="s"><v>0</v></c>'
            '<c r="B1" s="1"><v>45000.5</v></c><c r="C1" t="inlineStr"><is><r><rPr><b/><sz val="11"/>'
            '<rFont val="宋体"/></rPr><t xml:space="preserve">a &amp; b_x000D_</t></r><r><t>&#x4E2D;&#25991;</t></r>'
            '<rPh sb="0" eb="1"><t>ignored</t></rPh><phoneticPr fontId="1"/></is></c>'
            '<c r="D1" t="str"><f>A1&amp;"x"</f><v>x&lt;y&gt;&quot;&apos;</v></c></row>\n'
            '<row><c><v> 12 </v></c><c t="b"><v>1</v></c><c t="e"><v>#N/A</v></c><c/><c t="d">'
            '<v>2024-02-29T12:00:00</v></c><c s="3"><v>0.125</v></c></row>'
            '<row r="7"/><row r="9"><c r="B9" t="inlineStr"><is><t>line\r\nbreak</t></is></c>'
            '<c r="A12"><v>-1E+300</v></c><c t="s"><v/></c></row>')
    def sheet(body, head=decl, root_attrs=f' xmlns="{main}"', prefix="", tail=""):
        return (f'{head}<{prefix}worksheet{root_attrs} xmlns:x14ac="http://schemas.microsoft.com/office/'
                f'spreadsheetml/2009/9/ac"><{prefix}cols><{prefix}col min="1" max="2" width="12.5"/></{prefix}cols>'
                f'<{prefix}sheetData>{body}</{prefix}sheetData>{tail}</{prefix}worksheet>').encode("utf-8")
    prefixed = re.sub(r"<(/?)(?=[a-zA-Z])(?!x14ac)", r"<\1x:", rows)
    merged = '<mergeCells count="1"><mergeCell ref="A1:B2"/></mergeCells>'
    return {
        "written_plain": sheet(rows, tail=merged),
        "written_prefixed": sheet(prefixed, root_attrs=f' xmlns:x="{main}"', prefix="x:"),
        "written_strict": sheet(rows, root_attrs=f' xmlns="{strict}"'),
        "written_no_declaration": sheet(rows, head=""),
        "written_declines_comment": sheet(rows.replace("<row r=\"7\"/>", "<!-- gone --><row r=\"7\"/>")),
        "written_declines_cdata": sheet(rows.replace("<v>0.125</v>", "<v><![CDATA[0.125]]></v>")),
        "written_declines_latin1": sheet(rows, head='<?xml version="1.0" encoding="ISO-8859-1"?>'),
        "written_two_sheet_data": sheet(rows, tail="<sheetData><row><c><v>2</v></c></row></sheetData>"),
    }


def make_cell_scanner_seeds(workbooks):
    """seeds/fuzz_cell_scanner: worksheet parts, whole, as the target takes them."""
    os.makedirs(SCANNER_SHEETS, exist_ok=True)
    sheets = dict(written_sheets())
    for name, data in workbooks.items():
        sheet = parts_of(data).get("sheet")
        if sheet is not None:
            sheets["sheet_" + os.path.splitext(name)[0]] = sheet
    for name in sorted(os.listdir(PARTS)):
        data = open(os.path.join(PARTS, name), "rb").read()
        if name.startswith("sheet_") and data[:1] == b"\x00":
            sheets.setdefault("parts_" + name, data[1:])
    written = set()
    for name, data in sorted(sheets.items()):
        if len(data) > MAX_SHEET_BYTES or data in written:
            continue
        written.add(data)
        open(os.path.join(SCANNER_SHEETS, name), "wb").write(data)
    print(f"{len(written)} worksheet parts for fuzz_cell_scanner", file=sys.stderr)


# fuzz_shared_strings_scanner's first byte: bits 0-2 and 3-5 choose the
# sizes of the pieces (0 the whole part, 1 one byte, 4 five, 5 seventeen),
# bit 6 a limit of three strings, bit 7 a depth limit of four.
WHOLE, BYTE_BY_BYTE, FIVE_AND_SEVENTEEN = 0x00, 0x09, 0x2C
FEW_STRINGS, SHALLOW = 0x40, 0x80


def written_string_tables():
    """Shared strings parts of the markup the scanner reads, and of some it declines."""
    main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
    strict = "http://purl.oclc.org/ooxml/spreadsheetml/main"
    decl = '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\r\n'
    items = ('<si><t>plain</t></si><si><t xml:space="preserve"> lead and trail </t></si><si><t/></si><si/>'
             '<si><r><rPr><b/><i/><sz val="11"/><color rgb="FFFF0000"/><rFont val="宋体"/><family val="2"/>'
             '<charset val="134"/><scheme val="minor"/></rPr><t>粗体</t></r><r><t xml:space="preserve"> 普通</t>'
             '</r></si><si><t>東京</t><rPh sb="0" eb="2"><t>トウキョウ</t></rPh><phoneticPr fontId="1" '
             'type="noConversion"/></si><si><r><t>課</t></r><rPh sb="0" eb="1"><r><t>カ</t></r></rPh>'
             '<phoneticPr fontId="1"/></si><si><t>&lt;&amp;&gt;&quot;&apos;&#65;&#x4E2D;&#25991;</t></si>'
             '<si><t>line\r\nbreak\rand\nmore</t></si>\r\n<si><t>a_x000D_b_x005F_x0041_</t></si>')
    pretty = items.replace("<si>", "\n  <si>").replace("<r>", "\n    <r>").replace("</si>", "\n  </si>")

    def table(body, head=decl, root=f'sst xmlns="{main}" count="9" uniqueCount="9"', end="</sst>"):
        return f"{head}<{root}>{body}{end}".encode("utf-8")
    prefixed = re.sub(r"<(/?)(?=[a-zA-Z])", r"<\1x:", items)
    return {
        "written_plain": table(items),
        "written_pretty": table(pretty + "\n"),
        "written_prefixed": table(prefixed, root=f'x:sst xmlns:x="{main}"', end="</x:sst>"),
        "written_strict": table(items, head="\ufeff", root=f'sst xmlns="{strict}"'),
        "written_extension_list": table(items + '<extLst><ext uri="{x}"><si><t>not read</t></si></ext></extLst>'),
        "written_head_comment": table(items, head=decl + "<!--Shared string table generated by xlsx-->"),
        "written_empty": table("", root=f'sst xmlns="{main}" count="0" uniqueCount="0"/', end=""),
        "written_declines_comment": table(items.replace("<si/>", "<!-- gone --><si/>")),
        "written_declines_item_after_extension": table(items + "<extLst/><si><t>late</t></si>"),
        "written_declines_latin1": table(items, head='<?xml version="1.0" encoding="ISO-8859-1"?>'),
    }


def make_shared_strings_scanner_seeds(workbooks):
    """seeds/fuzz_shared_strings_scanner: shared strings parts behind the choosing byte."""
    os.makedirs(SCANNER_STRINGS, exist_ok=True)
    tables = {}
    for name, data in workbooks.items():
        part = parts_of(data).get("sharedStrings")
        if part is not None:
            tables["strings_" + os.path.splitext(name)[0]] = part
    for name in sorted(os.listdir(PARTS)):
        data = open(os.path.join(PARTS, name), "rb").read()
        if name.startswith("sharedStrings_") and data[:1] == b"\x01":
            tables.setdefault("parts_" + name, data[1:])
    choices = {name: [WHOLE, FIVE_AND_SEVENTEEN] for name in tables}
    for name, data in written_string_tables().items():
        tables[name] = data
        choices[name] = [WHOLE, BYTE_BY_BYTE, FIVE_AND_SEVENTEEN]
    choices["written_plain"] += [FEW_STRINGS | FIVE_AND_SEVENTEEN, SHALLOW]
    written = set()
    for name, data in sorted(tables.items()):
        if len(data) > MAX_SHEET_BYTES or data in written:
            continue
        written.add(data)
        for choice in choices[name]:
            open(os.path.join(SCANNER_STRINGS, f"{name}_{choice:02x}"), "wb").write(bytes([choice]) + data)
    print(f"{len(written)} shared strings parts for fuzz_shared_strings_scanner", file=sys.stderr)


def corpus_workbooks():
    return {RENAMED.get(name, name): open(os.path.join(CORPUS, name), "rb").read()
            for name in sorted(os.listdir(CORPUS)) if name.endswith(".xlsx")}


def shared_corpus_workbooks():
    if not os.path.isdir(SHARED_CORPUS):
        return {}
    return {"shared_" + name: open(os.path.join(SHARED_CORPUS, name), "rb").read()
            for name in sorted(os.listdir(SHARED_CORPUS)) if name.endswith(".xlsx")}


def main():
    if sys.argv[1:] == ["cell_scanner"]:
        make_cell_scanner_seeds(shared_corpus_workbooks())
        return
    if sys.argv[1:] == ["shared_strings_scanner"]:
        make_shared_strings_scanner_seeds({**shared_corpus_workbooks(), **corpus_workbooks()})
        return
    os.makedirs(WORKBOOKS, exist_ok=True)
    os.makedirs(PARTS, exist_ok=True)
    workbooks = {}
    for name in sorted(os.listdir(CORPUS)):
        if not name.endswith(".xlsx"):
            continue
        data = open(os.path.join(CORPUS, name), "rb").read()
        if len(data) <= MAX_WORKBOOK_BYTES:
            workbooks[RENAMED.get(name, name)] = data
    workbooks["gnumeric_cut.xlsx"] = gnumeric_cut()
    workbooks["openpyxl.xlsx"] = openpyxl_book()
    workbooks["xlsxwriter.xlsx"] = xlsxwriter_book(False)
    workbooks["xlsxwriter_inline.xlsx"] = xlsxwriter_book(True)
    for name, data in list(workbooks.items()):
        if zipfile.is_zipfile(io.BytesIO(data)):
            stored = stored_copy(data)
            if len(stored) <= MAX_WORKBOOK_BYTES:
                workbooks[name.replace(".xlsx", "_stored.xlsx")] = stored
    seen_parts = set()
    for name, data in workbooks.items():
        open(os.path.join(WORKBOOKS, name), "wb").write(data)
        for kind, part in parts_of(data).items():
            if len(part) > MAX_PART_BYTES or part in seen_parts:
                continue
            seen_parts.add(part)
            selector = dict(PART_KINDS)[kind]
            stem = os.path.splitext(name)[0]
            open(os.path.join(PARTS, f"{kind}_{stem}"), "wb").write(bytes([selector]) + part)
    print(f"{len(workbooks)} workbooks, {len(seen_parts)} parts", file=sys.stderr)
    make_cell_scanner_seeds({**shared_corpus_workbooks(), **workbooks})
    make_shared_strings_scanner_seeds({**shared_corpus_workbooks(), **corpus_workbooks(), **workbooks})


if __name__ == "__main__":
    main()
