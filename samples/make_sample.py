#!/usr/bin/python3
"""Writes samples/sample.xlsx, the workbook of the README's demo: 30 rows of
staff expenses with Chinese headings, numbers, dates and a few empty cells.

Run with Debian's python3 (it has openpyxl): /usr/bin/python3 samples/make_sample.py
"""
import datetime
import os

from openpyxl import Workbook

DEPARTMENTS = ["销售部", "研发部", "财务部", "行政部"]
CITIES = ["北京", "上海", "广州", "深圳", "北京市"]
SURNAMES = "张王李赵刘陈杨黄周吴"
GIVEN = ["伟", "芳", "娜", "敏", "静", "强", "磊", "洋"]


def rows():
    start = datetime.date(2026, 1, 5)
    for i in range(30):
        department = DEPARTMENTS[(i * 7) % len(DEPARTMENTS)]
        name = SURNAMES[i % len(SURNAMES)] + GIVEN[(i * 3) % len(GIVEN)]
        # Every seventh row has no city: the empty value is a group of its own.
        city = None if i % 7 == 6 else CITIES[(i * 3 + i // 5) % len(CITIES)]
        day = start + datetime.timedelta(days=i * 9)
        amount = round(100 + (i * 137.25) % 2500, 2)
        if i % 11 == 10:
            amount = None
        yield [department, name, city, day, amount, i + 1]


def main():
    book = Workbook()
    sheet = book.active
    sheet.title = "报销"
    sheet.append(["部门", "姓名", "城市", "日期", "金额", "编号"])
    for row in rows():
        sheet.append(row)
    for cell in sheet["D"][1:]:
        cell.number_format = "yyyy-mm-dd"
    for cell in sheet["E"][1:]:
        cell.number_format = "#,##0.00"
    # A second sheet, which the tool does not read.
    book.create_sheet("说明").append(["只读取第一个工作表"])
    book.save(os.path.join(os.path.dirname(os.path.abspath(__file__)), "sample.xlsx"))


if __name__ == "__main__":
    main()
