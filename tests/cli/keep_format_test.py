"""colsplit-cli --keep-format on a sheet dressed as offices dress it
(dressed_book.py), and on LibreOffice's .xls copy of it: every written cell
is compared with the source cell it came from, attribute by attribute, and
every sheet-wide item (rows, columns, view, filter, validation, rule, link,
print setup) with the source's, re-ranged to the rows written; LibreOffice
opens every written workbook. The default split of the same sheet carries
none of it.

Usage: keep_format_test.py COLSPLIT_CLI WORK_FOLDER
"""
import glob
import os
import shutil
import subprocess
import sys
import tempfile
import zipfile

import openpyxl

import dressed_book

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what)


def color(c):
    """A colour as (kind, value, tint), whatever form it was given in."""
    if c is None:
        return None
    return (c.type, c.rgb if c.type == "rgb" else c.theme if c.type == "theme" else c.indexed, round(c.tint, 6))


# What each cell attribute is, read with openpyxl.
CELL_ATTRIBUTES = {
    "value": lambda c: c.value,
    "number format": lambda c: c.number_format.lower().replace("\\", ""),
    "font name": lambda c: c.font.name,
    "font size": lambda c: c.font.sz,
    "bold": lambda c: bool(c.font.b),
    "italic": lambda c: bool(c.font.i),
    "underline": lambda c: c.font.u,
    "font colour": lambda c: color(c.font.color),
    "fill pattern": lambda c: c.fill.fill_type,
    "fill colour": lambda c: color(c.fill.fgColor) if c.fill.fill_type else None,
    "borders": lambda c: tuple((s.style, color(s.color) if s.style else None)
                               for s in (c.border.left, c.border.right, c.border.top, c.border.bottom)),
    "alignment": lambda c: (c.alignment.horizontal, c.alignment.vertical, bool(c.alignment.wrap_text),
                            c.alignment.indent, c.alignment.text_rotation, bool(c.alignment.shrink_to_fit)),
}
# What LibreOffice's .xls copy holds otherwise than the source, whatever the
# split does: colours as palette entries, fonts it lacks replaced, a font's
# missing size as 11, a rotated text's alignment made explicit, default
# views. The copy's cells are compared on the rest.
XLS_SKIPS = {"font colour", "fill colour", "number format", "font name"}


def xls_normal(name, value):
    if name == "font size":
        return value or 11.0
    if name == "borders":
        return tuple(style for style, _ in value)
    if name == "alignment":
        return value[1:]
    return value


def resolve(c, palette):
    if c is None or c.type != "indexed" or palette is None or c.indexed >= len(palette):
        return color(c)
    return ("rgb", palette[c.indexed], 0)


def run(cli, *arguments):
    result = subprocess.run([cli, *arguments], capture_output=True)
    return result.returncode, result.stdout.decode("utf-8", "replace")


def written_books(out):
    return sorted(glob.glob(os.path.join(out, "按_城市_分别导出", "*.xlsx")))


def check_sheet(source, sheet, label, xls):
    city = sheet.title
    titles = 2  # the title row and the heading row, where they are in the source
    source_rows = [r for r in range(titles + 1, source.max_row + 1) if source.cell(r, 2).value == city]
    check(sheet.max_row == titles + len(source_rows), "%s: %d rows written" % (label, sheet.max_row))
    pairs = [(r, r) for r in range(1, titles + 1)] + [(titles + 1 + i, r) for i, r in enumerate(source_rows)]
    for name, attribute in CELL_ATTRIBUTES.items():
        if xls and name in XLS_SKIPS:
            continue
        seen = (lambda c: xls_normal(name, attribute(c))) if xls else attribute
        wrong = [(w, s, col) for w, s in pairs for col in range(1, 7) if seen(sheet.cell(w, col)) != seen(source.cell(s, col))]
        if wrong:
            w, s, col = wrong[0]
            check(False, "%s: %s of row %d column %d is %r, the source's (row %d) %r" % (
                label, name, w, col, attribute(sheet.cell(w, col)), s, attribute(source.cell(s, col))))
    # Rows and columns.
    for w, s in pairs:
        for what in ("height", "hidden"):
            got, want = getattr(sheet.row_dimensions[w], what), getattr(source.row_dimensions[s], what)
            if what == "height" and xls:
                got, want = (round(got) if got else None), (round(want) if want else None)
            check(got == want or (not got and not want), "%s: row %d %s %r, source row %d %r" % (label, w, what, got, s, want))
    for letter in "ABCDEF":
        check(sheet.column_dimensions[letter].hidden == source.column_dimensions[letter].hidden,
              "%s: column %s hidden" % (label, letter))
    last = titles + len(source_rows)
    # The view, the filter, the validation, the rule, the link, print setup.
    if not xls:
        check(sheet.freeze_panes == "B3", "%s: panes frozen at %r" % (label, sheet.freeze_panes))
        check(sheet.sheet_view.zoomScale == 85, "%s: zoom %r" % (label, sheet.sheet_view.zoomScale))
    check(sheet.auto_filter.ref == "A2:F%d" % last, "%s: filter %r" % (label, sheet.auto_filter.ref))
    if not xls:
        validations = [(v.type, v.formula1, str(v.sqref)) for v in sheet.data_validations.dataValidation]
        check(validations == [("list", '"销售部,市场部,财务部"', "C3:C%d" % last)], "%s: validation %r" % (label, validations))
        rules = [(str(r.sqref), [x.formula for x in r.rules]) for r in sheet.conditional_formatting]
        check(rules == [("E3:E%d" % last, [["50000"]])], "%s: rule %r" % (label, rules))
        dxf_fonts = [color(x.rules[0].dxf.font.color) for x in sheet.conditional_formatting]
        check(dxf_fonts == [("rgb", "FF9C0006", 0)], "%s: the rule's format %r" % (label, dxf_fonts))
        links = [(c.coordinate, c.hyperlink.target) for row in sheet.iter_rows() for c in row if c.hyperlink]
        want = [("D3", "https://example.com/员工")] if city == "上海" else []
        check(links == want, "%s: links %r" % (label, links))
    check(sheet.page_setup.orientation == "landscape" and str(sheet.page_setup.paperSize) == "9",
          "%s: landscape A4 (%r, %r)" % (label, sheet.page_setup.orientation, sheet.page_setup.paperSize))
    check(abs(sheet.page_margins.left - 0.5) < 1e-6, "%s: left margin %r" % (label, sheet.page_margins.left))
    check("销售明细" in (sheet.oddHeader.center.text or ""), "%s: header %r" % (label, sheet.oddHeader.center.text))
    check(sheet.print_title_rows == "$1:$2", "%s: print titles %r" % (label, sheet.print_title_rows))
    total = sum(sheet.cell(r, 5).value for r in range(titles + 1, last + 1))
    check(abs(total - sum(source.cell(r, 5).value for r in source_rows)) < 1e-6, "%s: the amounts add up" % label)


def opens_in_libreoffice(paths, work):
    with tempfile.TemporaryDirectory() as home:
        result = subprocess.run(["soffice", "-env:UserInstallation=file://" + home, "--headless", "--convert-to", "csv",
                                 "--outdir", work, *paths], capture_output=True, timeout=300)
    for path in paths:
        csv = os.path.join(work, os.path.splitext(os.path.basename(path))[0] + ".csv")
        check(result.returncode == 0 and os.path.exists(csv), "LibreOffice opens %s" % os.path.basename(path))


def split_and_check(cli, book, source, work, label, xls):
    for options in ([], ["--into-sheets"]):
        out = os.path.join(work, label + "".join(options))
        os.makedirs(out)
        status, output = run(cli, "--keep-format", "--heading-row", "2", *options, book, "城市", out)
        check(status == 0, "%s %s: exit %d %s" % (label, options, status, output))
        books = written_books(out)
        check(len(books) == (1 if options else 4), "%s %s: %d workbooks" % (label, options, len(books)))
        for path in books:
            for sheet in openpyxl.load_workbook(path).worksheets:
                check_sheet(source, sheet, "%s %s %s" % (label, options, sheet.title), xls)
        if shutil.which("soffice"):
            opens_in_libreoffice(books, os.path.join(out, "csv"))


def main(cli, work):
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    book = os.path.join(work, "明细.xlsx")
    dressed_book.make(book)
    source = openpyxl.load_workbook(book).active
    split_and_check(cli, book, source, work, "xlsx", False)

    # The default split carries no look: no theme, one font, one fill pair.
    out = os.path.join(work, "default")
    os.makedirs(out)
    status, _ = run(cli, "--heading-row", "2", book, "城市", out)
    for path in written_books(out):
        with zipfile.ZipFile(path) as package:
            styles = package.read("xl/styles.xml").decode()
            check("xl/theme/theme1.xml" not in package.namelist() and '<fonts count="1">' in styles and
                  "<pane" not in package.read("xl/worksheets/sheet1.xml").decode(), "default: no look in %s" % path)

    if shutil.which("soffice"):
        with tempfile.TemporaryDirectory() as home:
            subprocess.run(["soffice", "-env:UserInstallation=file://" + home, "--headless", "--convert-to",
                            "xls:MS Excel 97", "--outdir", work, book], capture_output=True, timeout=120)
        xls = os.path.join(work, "明细.xls")
        check(os.path.exists(xls), "LibreOffice made the .xls copy")
        if os.path.exists(xls):
            split_and_check(cli, xls, source, work, "xls", True)
    print("%d failures" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
