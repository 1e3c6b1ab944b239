#!/usr/bin/python3
"""Writes the cells of content.tsv into a workbook with one of Debian's
Python writers: openpyxl, xlsxwriter or pandas (through openpyxl).

    /usr/bin/python3 make_with_python.py WRITER CONTENT.tsv OUT.xlsx

Exits with 3 when the writer's module is missing.
"""
import datetime
import sys


def read_content(path):
    cells = []
    with open(path, encoding="utf-8") as lines:
        for line in lines:
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            row, column, kind, code, value = line.split("\t")
            cells.append((int(row), int(column), kind, code, value))
    return cells


def value_of(kind, value):
    if kind == "number":
        return float(value)
    if kind == "date":
        return datetime.datetime.fromisoformat(value)
    if kind == "bool":
        return value == "true"
    if kind == "rich":
        return "".join(run.lstrip("*") for run in value.split("|"))
    return value


def with_openpyxl(cells, out):
    import openpyxl
    book = openpyxl.Workbook()
    sheet = book.active
    sheet.title = "数据"
    for row, column, kind, code, value in cells:
        # openpyxl 3.0 writes no rich text: the runs go in as one text.
        cell = sheet.cell(row=row + 1, column=column + 1, value=value_of(kind, value))
        if code:
            cell.number_format = code
    book.create_sheet("其他")["A1"] = "not this one"
    book.save(out)


def with_xlsxwriter(cells, out):
    import xlsxwriter
    book = xlsxwriter.Workbook(out)
    sheet = book.add_worksheet("数据")
    bold = book.add_format({"bold": True})
    formats = {}
    for row, column, kind, code, value in cells:
        fmt = None
        if code:
            fmt = formats.setdefault(code, book.add_format({"num_format": code}))
        if kind == "rich":
            pieces = []
            for run in value.split("|"):
                if run.startswith("*"):
                    pieces += [bold, run[1:]]
                else:
                    pieces.append(run)
            sheet.write_rich_string(row, column, *pieces)
        elif kind == "date":
            sheet.write_datetime(row, column, value_of(kind, value), fmt)
        elif kind == "number":
            sheet.write_number(row, column, value_of(kind, value), fmt)
        elif kind == "bool":
            sheet.write_boolean(row, column, value_of(kind, value), fmt)
        else:
            sheet.write_string(row, column, value, fmt)
    book.add_worksheet("其他").write(0, 0, "not this one")
    book.close()


def with_pandas(cells, out):
    import pandas
    rows = max(cell[0] for cell in cells) + 1
    columns = max(cell[1] for cell in cells) + 1
    grid = [[None] * columns for _ in range(rows)]
    for row, column, kind, code, value in cells:
        grid[row][column] = value_of(kind, value)
    # The first row gives the column names; pandas writes them as the
    # heading row and leaves out the index. Its own formats apply (dates as
    # YYYY-MM-DD HH:MM:SS).
    frame = pandas.DataFrame(grid[1:], columns=grid[0])
    frame.to_excel(out, sheet_name="数据", index=False, engine="openpyxl")


WRITERS = {"openpyxl": with_openpyxl, "xlsxwriter": with_xlsxwriter, "pandas": with_pandas}


def main():
    writer, content, out = sys.argv[1:4]
    try:
        __import__({"pandas": "pandas", "openpyxl": "openpyxl", "xlsxwriter": "xlsxwriter"}[writer])
    except ImportError:
        sys.exit(3)
    WRITERS[writer](read_content(content), out)


if __name__ == "__main__":
    main()
