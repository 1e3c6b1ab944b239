"""Prints what openpyxl reads of a written workbook's look, one line per
fact, for the writer's tests to compare with what they wrote. Every part of
the package must be well-formed XML; a part that is not is reported as
"malformed PART: reason".
"""
import sys
import zipfile
import xml.etree.ElementTree as ElementTree

import openpyxl

MAIN = "{http://schemas.openxmlformats.org/spreadsheetml/2006/main}"


def color(c):
    return c.rgb if c is not None and c.type == "rgb" else None


def main(path):
    with zipfile.ZipFile(path) as package:
        for name in package.namelist():
            try:
                ElementTree.fromstring(package.read(name))
            except ElementTree.ParseError as error:
                print("malformed", name + ":", error)
        styles = ElementTree.fromstring(package.read("xl/styles.xml"))
        workbook = ElementTree.fromstring(package.read("xl/workbook.xml"))
        print("parts", " ".join(sorted(package.namelist())))
    font = styles.find(MAIN + "fonts")[0]
    print("default font", font.find(MAIN + "name").get("val"), font.find(MAIN + "scheme").get("val")
          if font.find(MAIN + "scheme") is not None else "-")
    print("styles", " ".join(child.tag.replace(MAIN, "") for child in styles))
    for name in workbook.iter(MAIN + "definedName"):
        print("name", name.get("name"), name.get("localSheetId"), name.get("hidden"), name.text)

    book = openpyxl.load_workbook(path)
    print("theme", book.loaded_theme is not None)
    for sheet in book.worksheets:
        print("sheet", sheet.title)
        for row in sheet.iter_rows():
            for cell in row:
                if cell.has_style:
                    f, b, a = cell.font, cell.border, cell.alignment
                    print("cell", cell.coordinate, "font", f.name, f.sz, "bold" if f.b else "-",
                          "italic" if f.i else "-", color(f.color),
                          "fill", cell.fill.patternType, color(cell.fill.fgColor),
                          "border", "/".join(str(s.style) for s in (b.left, b.right, b.top, b.bottom)),
                          "align", a.horizontal, a.wrap_text, "locked", cell.protection.locked,
                          "format", cell.number_format)
                if cell.hyperlink is not None:
                    h = cell.hyperlink
                    print("link", cell.coordinate, h.target, h.location, h.tooltip, h.display)
        for index, dimension in sorted(sheet.row_dimensions.items()):
            if dimension.ht is not None or dimension.hidden:
                print("row", index, dimension.ht, dimension.hidden)
        formats = sheet.sheet_format
        print("defaults", formats.defaultRowHeight, formats.customHeight, formats.defaultColWidth)
        view = sheet.sheet_view
        print("view", sheet.freeze_panes, view.zoomScale, view.showGridLines, view.rightToLeft, view.tabSelected)
        print("filter", sheet.auto_filter.ref)
        for validation in sheet.data_validations.dataValidation:
            print("validation", validation.type, validation.sqref, validation.formula1)
        for rules in sheet.conditional_formatting:
            for rule in rules.rules:
                print("rule", rules.sqref, rule.type, rule.operator, rule.formula, color(rule.dxf.font.color))
        print("print", sheet.page_setup.orientation, sheet.page_setup.paperSize, sheet.page_margins.left,
              sheet.page_margins.top, sheet.print_options.gridLines, sheet.oddHeader.center.text)
        print("titles", sheet.print_title_rows, sheet.print_title_cols, sheet.print_area)


if __name__ == "__main__":
    main(sys.argv[1])
