#!/usr/bin/python3
"""Builds reference_cases.inc: what LibreOffice Calc shows for each
(value, format code) pair, taken from its "contents as shown" CSV export.

Run it with Debian's /usr/bin/python3 (it needs openpyxl) on a machine with
LibreOffice; the tests only read the committed .inc file.

    /usr/bin/python3 make_reference_cases.py > reference_cases.inc
    /usr/bin/python3 make_reference_cases.py --probe [--1904] [--zh] VALUE CODE ...   # ad hoc
"""
import csv
import os
import subprocess
import sys
import tempfile

import openpyxl
from openpyxl.utils.datetime import CALENDAR_MAC_1904

# family -> list of (value, format code). The 1904 family is saved in a
# workbook of the 1904 date system.
CASES = {
    "general": [
        (0.0, "General"), (-0.0, "General"), (1.0, "General"), (-1.5, "General"),
        (0.30000000000000004, "General"), (0.1 + 0.7, "General"),
        (1234567890123.0, "General"), (123456789012345.0, "General"),
        (1234567890123456.0, "General"), (99999999999999999.0, "General"),
        (1e20, "General"), (1.2345678901234567e19, "General"), (1e15, "General"),
        (1e16, "General"), (123456789012345678.0, "General"),
        (1e-10, "General"), (0.0001, "General"), (0.00001, "General"),
        (0.000123456789, "General"), (1.5e-7, "General"), (-2.5e-12, "General"),
        (3.14159265358979, "General"), (2.0 / 3.0, "General"), (-1.0 / 3.0, "General"),
        (1e100, "General"), (1.7976931348623157e308, "General"), (5e-324, "General"),
        (123.456, "General"), (1e-5 + 1e-20, "General"), (0.1, "General"),
        (100.0, "General"), (1e14, "General"), (12345.678901234567, "General"),
        (-1234567.125, "General"), (0.5, "@"), (42.0, "0;-0;0;@"),
        (1.39202446277005e-05, "General"), (1.39202446277e-05, "General"), (1.39202446277e-06, "General"),
        (1.23456e-09, "General"), (0.000139202446277005, "General"), (17824341228555.45, "General"),
        (0.1234567890123456, "General"), (-9.999999999999999e14, "General"),
    ],
    "number": [
        (3.14159, "0"), (2.5, "0"), (-2.5, "0"), (0.5, "0"), (-0.4, "0"),
        (3.14159, "0.00"), (2.675, "0.00"), (1.005, "0.00"), (-0.001, "0.00"),
        (1234.5, "#,##0"), (1234567.891, "#,##0.00"), (-1234567.891, "#,##0.00"),
        (0.0, "#,##0.00"), (12.0, "#.##"), (0.5, "#.##"), (0.0, "#"), (0.0, "#,###"),
        (5.25, "0.0#"), (5.0, "0.0#"), (5.2, "???.???"), (1.5, "0.0?"),
        (123456789.0, "#,##0,"), (123456789.0, "#,##0,,"), (123456789.0, "0.0,,\"M\""),
        (0.256, "0%"), (0.256, "0.0%"), (-0.05, "0.00%"), (1.0, "0%%"),
        (12.5, "\"USD \"0.00"), (12.5, "0.00\" kg\""), (12.5, "\\$0.00"),
        (12.5, "0.00_);(0.00)"), (-12.5, "0.00_);(0.00)"), (12.5, "*-0.00"),
        (9612.5, "#,##0.00_);[Red](#,##0.00)"), (-9612.5, "#,##0.00_);[Red](#,##0.00)"),
        (9612.5, "#,##0.00_)"), (0.5, "0.0_)\"x\""), (100.0, "#,##0_)"),
        (12.5, "[Red]0.00"), (-12.5, "0.00;[Red]-0.00"), (-12.5, "0.00;[Red]0.00"),
        (0.0, "0.00;-0.00;\"zero\""), (5.0, "0;-0;\"zero\";@"), (-5.0, "0;\"neg\""),
        (150.0, "[>100]\"big\"0;0"), (50.0, "[>100]\"big\"0;0"),
        (-50.0, "[>100]\"big\"0;0"), (50.0, "[<=100]0;\"over\""),
        (5.0, "[<0]\"neg\"0;[>0]\"pos\"0;\"zero\""),
        (-5.0, "[<0]\"neg\"0;[>0]\"pos\"0;\"zero\""),
        (1234.5, "[$€-407]#,##0.00"), (1234.5, "#,##0.00 [$€-407]"),
        (1234.5, "[$-804]#,##0.00"), (1234.5, "[$¥-804]#,##0.00"),
        (12345.678, "0.00E+00"), (0.000123, "0.00E+00"), (12345.678, "0.00E-00"),
        (0.000123, "0.00E-00"), (12345.678, "##0.0E+0"), (1234567.0, "##0.0E+0"),
        (-12345.678, "0.0E+0"), (0.0, "0.00E+00"), (1e100, "0.00E+00"),
        (0.5, "# ?/?"), (1.25, "# ?/?"), (3.14159, "# ??/??"), (-1.75, "# ?/?"),
        (0.333, "?/?"), (2.5, "?/?"), (5.0, "# ?/?"), (0.0, "# ?/?"), (1.3, "# ?/8"),
        (0.3, "# ??/100"), (5.55555, "# ???/???"),
        (5551234.0, "000-0000"), (12.0, "00000"), (1234.0, "0\" \"000"),
        (1234.56, "#,##0.00 \"元\""), (12.0, "0\"个\""), (-12.0, "\"¥\"#,##0;\"¥\"\\-#,##0"),
        (12.0, "_(* #,##0_);_(* \\(#,##0\\);_(* \"-\"_);_(@_)"),
        (0.0, "_(* #,##0_);_(* \\(#,##0\\);_(* \"-\"_);_(@_)"),
        (-12.0, "_(* #,##0_);_(* \\(#,##0\\);_(* \"-\"_);_(@_)"),
        (1e15, "0"), (123456789012345678.0, "0"), (0.1, "0.00000000000000000000"),
        (12.0, "General\" pcs\""), (-3.5, "General;General"), (1234.5, "#,##0.00;(#,##0.00)"),
        (-1234.5, "#,##0.00;(#,##0.00)"), (1000.0, "#,"), (999.0, "#,##0,\"K\""),
        (0.5, ".00"), (7.0, "0.00\\%"), (0.25, "# ?/4"),
        (0.05, "0.0"), (0.15, "0.0"), (1.45, "0.0"), (999.5, "#,##0"), (5.0, "0,000"),
        (-5.5, "0.00;@"), (0.001, "#,##0.00"), (1e-20, "0.00"), (-0.25, "0%"), (-1.25, "# ?/?"),
        (0.0, "0.00;-0.00;;@"), (1234.5678, "#,##0.0#"), (-0.0001, "0.0E+00"), (123.0, "0.0%;-0.0%"),
        (12345678.0, "#,##0.00,,\"百万\""), (12.5, "[Blue][>=10]0.0;[Red]0.0"),
        (3.0, "[>=10]0.0;[<0]-0.0;0"), (-2.0, "[<-1]0;0"), (7.5, "0\\.0"), (1.0, "\"+\"0;\"-\"0;0"),
        (1.23e-05, "0.000%"), (0.6, "# ?/?"), (0.95, "# ?/?"), (1e15, "#,##0"), (12345.6, "#,##0.00_ "),
        (-2.0, "[<=0]0;0"), (-2.0, "[<=-1]0;0"), (-2.0, "[<-1]\"x\"0;0"), (-0.5, "[<-1]0;0"),
        (-2.0, "[>=0]0;[<0]0"), (-2.0, "[<0]0;[>=0]0"), (-2.0, "[=-2]0;0"), (5.0, "[=5]\"five\";0"),
        (-5.0, "[<>0]0;\"z\""),
        (220.55, "?/?"), (45317.2, "?/?"), (-400.466, "?/?"), (5.0, "# ?/8"), (5.0, "# ??/16"), (5.0, "?/8"),
        (0.285, "0.00"), (1234.565, "#,##0.00"), (-0.0049, "0.00"),
        (12.0, "0 pcs"), (12.5, "0.0 m"), (12.0, "0 B"), (1.5, "0.0x"),
    ],
    "date": [
        (45352.0, "yyyy/m/d"), (45352.0, "yyyy-mm-dd"), (45352.0, "yy-m-d"),
        (45352.0, "d-mmm-yy"), (45352.0, "mmmm d, yyyy"), (45352.0, "mmmmm"),
        (45352.0, "ddd dd"), (45352.0, "dddd"), (45352.0, "m/d/yy"),
        (45352.0, "yyyy\"年\"m\"月\"d\"日\""), (45352.0, "yyyy年m月d日"),
        (45352.0, "aaa"), (45352.0, "aaaa"), (45352.0, "[$-804]aaaa"),
        (45352.0, "[$-804]ddd"), (45352.0, "[$-804]mmmm"), (45352.0, "[$-804]yyyy\"年\"m\"月\"d\"日\" aaaa"),
        (45352.5, "yyyy/m/d h:mm"), (45352.75, "yyyy/m/d h:mm:ss"),
        (0.5, "h:mm:ss"), (0.25, "hh:mm"), (0.75, "h:mm AM/PM"), (0.75, "h:mm am/pm"),
        (0.25, "h:mm A/P"), (0.0, "h:mm AM/PM"), (0.5, "h AM/PM"),
        (0.75, "上午/下午h\"时\"mm\"分\""), (0.25, "上午/下午h\"时\"mm\"分\"ss\"秒\""),
        (0.5208333333333334, "h\"时\"mm\"分\""), (0.5, "mm:ss"), (0.0104166666, "mm:ss"),
        (0.99999999, "h:mm:ss"), (45352.99999999, "yyyy/m/d h:mm:ss"),
        (0.4375057870, "h:mm:ss"), (0.43750578, "h:mm:ss.0"), (0.43750578, "h:mm:ss.00"),
        (0.4375057870, "hh:mm:ss.000"), (0.43749999, "h:mm"), (0.4374, "h:mm"),
        (1.5, "[h]:mm:ss"), (2.75, "[h]:mm"), (0.0625, "[mm]:ss"), (0.01, "[ss]"),
        (-0.5, "[h]:mm:ss"), (30.5, "[h]"), (0.5, "[ss].00"),
        (1.0, "yyyy/m/d"), (59.0, "yyyy/m/d"), (60.0, "yyyy/m/d"), (61.0, "yyyy/m/d"),
        (0.0, "yyyy/m/d"), (-1.0, "yyyy/m/d"), (2958465.0, "yyyy/m/d"), (2958466.0, "yyyy/m/d"),
        (36526.0, "yyyy/m/d"), (73051.0, "yyyy/m/d"), (45352.0, "m"), (45352.0, "mm"),
        (45352.0, "d"), (45352.0, "yyyy"), (45352.0, "yy"), (45352.5, "h:m"),
        (45352.50694444445, "hh:mm"), (0.50694444445, "m:s"), (0.51, "h:mm:ss"),
        (45352.0, "d/m/yyyy hh:mm"), (45352.0, "[$-F800]dddd, mmmm dd, yyyy"),
        (45352.0, "mmm-yy"), (45352.0, "d-mmm"), (45352.0, "dd/mm/yyyy;@"),
        (45352.0, "[$-409]mmmm d, yyyy"), (44927.0, "dddd mmmm"), (45000.0, "ddd"),
        (45352.0, "yyyy\"年\"mm\"月\""), (45352.0, "mm\"月\"dd\"日\""),
        (0.5, "h:mm:ss AM/PM"), (0.99999, "[h]:mm:ss"), (45352.5, "mm/dd/yyyy"), (45352.5, "yyyy-mm"),
        (45352.5, "h"), (45352.0, "dddd, mmmm d"), (45352.123, "yyyy-mm-dd hh:mm:ss.000"),
        (45352.0, "yyyy年m月d日 h:mm"), (301.869, "h:mm:ss"),
        (0.75, "[$-804]h:mm AM/PM"), (0.25, "[$-804]AM/PM h:mm"),
    ],
    "date1904": [
        (0.0, "yyyy/m/d"), (1.0, "yyyy/m/d"), (43890.0, "yyyy/m/d"), (43890.25, "yyyy/m/d h:mm"),
        (-1.0, "yyyy/m/d"), (1.5, "[h]:mm"),
    ],
    # Chinese numerals; LibreOffice writes them only for a Chinese locale, so
    # this family is shown with zh-CN as the locale (see LOCALES).
    "numerals": [
        (1234.0, "[DBNum1]General"), (10.0, "[DBNum1]General"), (15.0, "[DBNum1]General"),
        (20.0, "[DBNum1]General"), (101.0, "[DBNum1]General"), (110.0, "[DBNum1]General"),
        (1001.0, "[DBNum1]General"), (1010.0, "[DBNum1]General"), (10010.0, "[DBNum1]General"),
        (100100.0, "[DBNum1]General"), (100000.0, "[DBNum1]General"), (20000.0, "[DBNum1]General"),
        (100000001.0, "[DBNum1]General"), (100010000.0, "[DBNum1]General"), (1000010000.0, "[DBNum1]General"),
        (10001000.0, "[DBNum1]General"), (123456789.0, "[DBNum1]General"), (123456789012.0, "[DBNum1]General"),
        (1000000000000.0, "[DBNum1]General"), (1000000000010.0, "[DBNum1]General"), (0.0, "[DBNum1]General"),
        (-1234.0, "[DBNum1]General"), (1234.56, "[DBNum1]General"), (0.05, "[DBNum1]General"),
        (1.5e-7, "[DBNum1]General"), (1e16, "[DBNum1]General"),
        (1234.0, "[DBNum2]General"), (100005.0, "[DBNum2]General"), (10.0, "[DBNum2]General"),
        (15.0, "[DBNum2]General"), (0.0, "[DBNum2]General"), (-1234.0, "[DBNum2]General"),
        (1234.56, "[DBNum2]General"), (100000000.0, "[DBNum2]General"), (100010000.0, "[DBNum2]General"),
        (1234.0, "[DBNum3]General"), (1234.56, "[DBNum3]General"), (-5.0, "[DBNum3]General"),
        (0.0, "[DBNum3]General"),
        (1234.0, "[DBNum1]0"), (1234.5, "[DBNum1]0.00"), (1234.0, "[DBNum1]#,##0.00"), (1234.0, "[DBNum3]#,##0"),
        (0.25, "[DBNum1]0%"), (0.123, "[DBNum1]0.0%"), (1234.0, "[DBNum1]0\"元\""), (1.25, "[DBNum1]# ?/?"),
        (12.0, "[DBNum1]00000"), (12.0, "[DBNum2]00000"), (1234.0, "[DBNum1]0\" 件 \"0"),
        (1e16, "[DBNum1]0"), (1e20, "[DBNum1]0"), (1.5e19, "[DBNum1]#,##0"), (1e15, "[DBNum2]0"),
        (5551234.0, "[DBNum1]000-0000"), (12345.678, "[DBNum1]0.00E+00"), (1234.0, "[DBNum1][Red]0"),
        (-1234.0, "0;[DBNum2]0"),
        # What a Chinese Excel offers as 中文小写数字 and 中文大写数字.
        (1234567.0, "[DBNum1][$-804]General"), (1234567.0, "[DBNum2][$-804]General"),
        (1234.0, "[$-804][DBNum1]0"),
        # Taiwan, Hong Kong: traditional characters.
        (101.0, "[$-404][DBNum1]General"), (100010000.0, "[$-404][DBNum1]General"),
        (1234.0, "[$-404][DBNum2]General"), (101.0, "[$-404][DBNum2]General"),
        (1234.5, "[$-404][DBNum2]General"), (100010000.0, "[$-404][DBNum2]General"),
        (1234.5, "[$-404][DBNum3]General"), (1234.0, "[$-C04][DBNum2]General"),
        # Dates, among them the date and time formats a Chinese Excel offers.
        (45296.0, "[DBNum1][$-804]yyyy\"年\"m\"月\"d\"日\""), (46016.0, "[DBNum1]m\"月\"d\"日\""),
        (46016.0, "[DBNum1][$-804]m\"月\"d\"日\""), (45296.0, "[DBNum1][$-804]yyyy\"年\"m\"月\""),
        (45296.0, "[DBNum1]yyyy/mm/dd"), (45296.0, "[DBNum1]yy\"年\"mm\"月\"dd\"日\""),
        (45296.0, "[DBNum2]yyyy\"年\"m\"月\"d\"日\""), (46016.0, "[DBNum2]m\"月\"d\"日\""),
        (46016.0, "[DBNum3]yyyy\"年\"m\"月\"d\"日\""), (45352.5, "[DBNum3]yyyy/mm/dd hh:mm"),
        (45306.0, "[DBNum1]d"), (45310.0, "[DBNum1]d"), (45316.0, "[DBNum1]d"), (45322.0, "[DBNum1]d"),
        (45301.0, "[DBNum1]d"), (45296.0, "[DBNum1]mmmm"), (45296.0, "[DBNum1]mmm"), (45296.0, "[DBNum1]aaaa"),
        (45296.0, "[DBNum1]dddd"), (45306.0, "[DBNum1]yyyy\"年\"m\"月\"d\"日\" h:mm"),
        (0.5625, "[DBNum1][$-804]h\"时\"mm\"分\""), (0.5625, "[DBNum1][$-804]上午/下午h\"时\"mm\"分\""),
        (45300.5, "[DBNum1]h:mm:ss"), (45300.75625, "[DBNum1]hh\"时\"mm\"分\"ss\"秒\""),
        (1.5, "[DBNum1][h]:mm"),
        # The numeral byte of a locale tag, as LibreOffice saves [DBNum] dates:
        # digits replaced one by one.
        (46016.0, "[$-1E000804]yyyy\"年\"m\"月\"d\"日\""), (46016.0, "[$-1F000804]yyyy\"年\"m\"月\"d\"日\""),
        (46016.75, "[$-20000804]yyyy/mm/dd hh:mm"), (46016.0, "[$-21000404]yyyy\"年\"m\"月\"d\"日\""),
        (46016.75, "[$-1E000804]yyyy\"年\"m\"月\"d\"日\" h:mm"), (1234.0, "[$-1E000804]General"),
        (1234.0, "[$-22000404]General"), (1234.56, "[$-1E000804]#,##0.00"), (-1234.5, "[$-1E000804]0.0"),
        (1234.0, "[$-1D000411]General"),
    ],
    # Text cells: the code's section for texts (the fourth, or the only one
    # when it holds @); without one the text shows as it is.
    "text": [
        ("ABC", "\"编号：\"@"), ("ABC", "@"), ("ABC", "@\" 号\""), ("ABC", "_(@_)"),
        ("ABC", "_(* #,##0_);_(* \\(#,##0\\);_(* \"-\"_);_(@_)"), ("ABC", "0;-0;0;\"[\"@\"]\""),
        ("ABC", "0;-0;0;\"text\""), ("ABC", "0.00"), ("ABC", "0;-0"), ("ABC", "General"),
        ("ABC", "0;-0;0;General"), ("ABC", "@@"), ("ABC", "\\@@"),
    ],
    # The Japanese era calendar of [$-411] dates, across the era boundaries.
    "japanese": [
        (44197.0, "[$-411]ggge\"年\"m\"月\"d\"日\""), (32516.0, "[$-411]ggge\"年\"m\"月\"d\"日\""),
        (32515.0, "[$-411]ggge\"年\"m\"月\"d\"日\""), (4594.0, "[$-411]ggge\"年\"m\"月\"d\"日\""),
        (4595.0, "[$-411]ggge\"年\"m\"月\"d\"日\""), (9855.0, "[$-411]ggge\"年\"m\"月\"d\"日\""),
        (9856.0, "[$-411]ggge\"年\"m\"月\"d\"日\""), (43585.0, "[$-411]ggge\"年\"m\"月\"d\"日\""),
        (43586.0, "[$-411]ggge\"年\"m\"月\"d\"日\""), (1.0, "[$-411]ggge\"年\"m\"月\"d\"日\""),
        (61.0, "[$-411]ggge\"年\"m\"月\"d\"日\""),
        (44197.0, "[$-411]g"), (44197.0, "[$-411]gg"), (44197.0, "[$-411]ggg"), (44197.0, "[$-411]gggg"),
        (44197.0, "[$-411]e"), (44197.0, "[$-411]ee"), (44197.0, "[$-411]gggee"), (43586.0, "[$-411]ge.m.d"),
        (43586.0, "[$-411]gge"), (32516.0, "[$-411]ggg e"), (45352.0, "[$-0411]ggge\"年\""),
        (45352.0, "[$-411]aaa"), (45352.0, "[$-411]aaaa"), (45352.0, "[$-411]ddd"), (45352.0, "[$-411]dddd"),
        (45352.0, "[$-411]mmm"), (45352.0, "[$-411]mmmm"), (0.75, "[$-411]h:mm AM/PM"),
        (45352.0, "[$-411]yyyy"), (45352.5, "[DBNum1][$-411]ggge\"年\"m\"月\"d\"日\""),
        (45352.0, "[$-ja-JP]ggge\"年\""), (43586.0, "[$-ja-JP-x-gannen]ggge\"年\"m\"月\"d\"日\""),
        (44197.0, "e"), (44197.0, "ggge\"年\""), (12.0, "0 g"),
    ],
}

# The locale LibreOffice runs with for a family (en-US otherwise).
LOCALES = {"numerals": "zh_CN.UTF-8", "japanese": "zh_CN.UTF-8"}


def libreoffice_shows(cases, date1904, locale=None):
    """The texts that LibreOffice shows for `cases`, in order."""
    with tempfile.TemporaryDirectory() as work:
        book = openpyxl.Workbook()
        if date1904:
            book.epoch = CALENDAR_MAC_1904
        sheet = book.active
        for row, (value, code) in enumerate(cases, start=1):
            cell = sheet.cell(row=row, column=1, value=value)
            cell.number_format = code
        path = os.path.join(work, "cases.xlsx")
        book.save(path)
        env = dict(os.environ, HOME=os.path.join(work, "home"))
        if locale:
            env.update(LC_ALL=locale, LANG=locale)
        subprocess.run(
            ["soffice", "--headless", "--convert-to",
             "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,true,false,false",
             "--outdir", work, path],
            check=True, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        with open(os.path.join(work, "cases.csv"), encoding="utf-8", newline="") as f:
            rows = [row[0] if row else "" for row in csv.reader(f)]
    rows += [""] * (len(cases) - len(rows))
    return rows


# Where the renderer deliberately shows something else than LibreOffice:
# (family, value, code) -> (what we show, why).
EXPONENT = "two exponent digits at least, as Excel writes them (1E+20); LibreOffice pads positive ones to three"
FIFTEEN = "at most 15 significant digits: a 16th integer digit is not held by the double"
FICTITIOUS = "Excel's 1900 system (day 1 = 1900-01-01, day 60 = 1900-02-29); LibreOffice counts from 1899-12-30"
NO_DATE = "no date before day 0 or after 9999-12-31: the number shows instead (Excel shows ####)"
KEEPS_SIGN = "the section for the remaining numbers keeps the sign; dropping it shows a wrong number"
CHINESE_TIME = ("hours, minutes and seconds of 10 to 19 go without their 一 as months and days do: "
                "a Chinese Excel shows 13:30 under this code as 十三时三十分; LibreOffice writes 一十三")
E_IS_THE_YEAR = ("e and ee are the four-digit year in every locale but Japanese and Taiwanese, as Office "
                 "shows them; LibreOffice counts a year of its own")
SECONDS = "the time is rounded to whole seconds before it is split, as Excel does; LibreOffice truncates"
OURS = {
    ("general", 1234567890123456.0, "General"): ("1.23456789012346E+15", FIFTEEN),
    ("general", 1e15, "General"): ("1E+15", FIFTEEN),
    ("general", -9.999999999999999e14, "General"): ("-1E+15", FIFTEEN),
    ("general", 1e17, "General"): ("1E+17", EXPONENT),
    ("general", 1e20, "General"): ("1E+20", EXPONENT),
    ("general", 1.2345678901234567e19, "General"): ("1.23456789012346E+19", EXPONENT),
    ("general", 1e16, "General"): ("1E+16", EXPONENT),
    ("general", 123456789012345678.0, "General"): ("1.23456789012346E+17", EXPONENT),
    ("general", 1.7976931348623157e308, "General"):
        ("1.79769313486232E+308", "the largest double is a number, not an overflow"),
    ("number", -50.0, "[>100]\"big\"0;0"): ("-50", KEEPS_SIGN),
    ("number", -0.5, "[<-1]0;0"): ("-1", KEEPS_SIGN),
    ("date", 45352.0, "aaa"): ("五", "aaa is the Chinese weekday of a Chinese Excel"),
    ("date", 45352.0, "aaaa"): ("星期五", "aaaa is the Chinese weekday of a Chinese Excel"),
    ("date", 0.25, "h:mm A/P"): ("6:00 A", "A/P shows the letter as the code writes it, as in Excel"),
    ("date", 0.75, "上午/下午h\"时\"mm\"分\""):
        ("下午6时00分", "上午/下午 is the AM/PM of a Chinese Excel; LibreOffice does not know it"),
    ("date", 0.25, "上午/下午h\"时\"mm\"分\"ss\"秒\""):
        ("上午6时00分00秒", "上午/下午 is the AM/PM of a Chinese Excel; LibreOffice does not know it"),
    ("date", 0.0104166666, "mm:ss"): ("15:00", SECONDS),
    ("date", 0.99999999, "h:mm:ss"): ("0:00:00", SECONDS),
    ("date", 0.43749999, "h:mm"): ("10:30", SECONDS),
    ("date", 301.869, "h:mm:ss"): ("20:51:22", SECONDS),
    ("date", 0.5, "[ss].00"): ("43200.00", "elapsed seconds with hundredths; LibreOffice does not read the code"),
    ("date", 1.0, "yyyy/m/d"): ("1900/1/1", FICTITIOUS),
    ("date", 59.0, "yyyy/m/d"): ("1900/2/28", FICTITIOUS),
    ("date", 60.0, "yyyy/m/d"): ("1900/2/29", FICTITIOUS),
    ("date", 0.0, "yyyy/m/d"): ("1900/1/0", FICTITIOUS),
    ("date", -1.0, "yyyy/m/d"): ("-1", NO_DATE),
    ("date", 2958466.0, "yyyy/m/d"): ("2958466", NO_DATE),
    ("date", 45352.0, "[$-F800]dddd, mmmm dd, yyyy"):
        ("2024年3月1日", "[$-F800] stands for the system's long date, here a Chinese Windows's"),
    ("date1904", -1.0, "yyyy/m/d"): ("-1", NO_DATE),
    ("numerals", 1e16, "[DBNum1]General"):
        ("一E+一十六", "General shows 1E+16 (15 significant digits at most), its digits in numerals"),
    ("numerals", 5551234.0, "[DBNum1]000-0000"):
        ("五百五十五-一千二百三十四", "the code's own text stays as written; LibreOffice makes the hyphen full-width"),
    ("numerals", 45306.0, "[DBNum1]yyyy\"年\"m\"月\"d\"日\" h:mm"):
        ("二〇二四年一月十五日 〇:〇", "every field is counted alike; LibreOffice writes zero minutes as 〇〇 here, as 〇 in h:mm:ss"),
    ("numerals", 0.5625, "[DBNum1][$-804]h\"时\"mm\"分\""): ("十三时三十分", CHINESE_TIME),
    ("numerals", 0.5625, "[DBNum1][$-804]上午/下午h\"时\"mm\"分\""):
        ("下午一时三十分", CHINESE_TIME + "; LibreOffice does not know 上午/下午"),
    ("numerals", 45300.5, "[DBNum1]h:mm:ss"): ("十二:〇:〇", CHINESE_TIME),
    ("numerals", 45300.75625, "[DBNum1]hh\"时\"mm\"分\"ss\"秒\""): ("十八时九分〇秒", CHINESE_TIME),
    ("numerals", 46016.75, "[$-1E000804]yyyy\"年\"m\"月\"d\"日\" h:mm"):
        ("二〇二五年十二月二十五日 十八:〇", "the hours and minutes counted like the month and day; LibreOffice reads them "
         "digit by digit here and counts them under [DBNum1]"),
    ("numerals", 1234.56, "[$-1E000804]#,##0.00"):
        ("一,二三四．五六", "only the digits and the point are replaced; LibreOffice makes the comma 、"),
    ("numerals", -1234.5, "[$-1E000804]0.0"):
        ("-一二三四．五", "only the digits and the point are replaced; LibreOffice makes the minus full-width"),
    ("japanese", 1.0, "[$-411]ggge\"年\"m\"月\"d\"日\""): ("明治33年1月1日", FICTITIOUS),
    ("japanese", 44197.0, "[$-411]gggg"): ("令和", "four or more g are the era's name, as Excel shows them"),
    ("japanese", 45352.0, "[$-ja-JP]ggge\"年\""):
        ("令和6年", "the locale named in words, as newer Excel writes it; LibreOffice does not read the name"),
    ("japanese", 43586.0, "[$-ja-JP-x-gannen]ggge\"年\"m\"月\"d\"日\""):
        ("令和元年5月1日", "Excel's tag for the 元年 of an era's first year; LibreOffice does not read it"),
    ("japanese", 44197.0, "e"): ("2021", E_IS_THE_YEAR),
    ("japanese", 44197.0, "ggge\"年\""): ("2021年", E_IS_THE_YEAR + "; g has no era outside a Japanese date"),
}


def c_string(text):
    # "??" is escaped so that no trigraph ("??/") can form.
    escaped = text.replace("\\", "\\\\").replace('"', '\\"').replace("?", "\\?")
    return '"' + escaped + '"'


def c_double(value):
    text = repr(value)
    return text if ("e" in text or "." in text or "n" in text) else text + ".0"


def main():
    if len(sys.argv) > 1 and sys.argv[1] == "--probe":
        args = sys.argv[2:]
        date1904, locale = False, None
        if args and args[0] == "--1904":
            date1904, args = True, args[1:]
        if args and args[0] == "--zh":
            locale, args = "zh_CN.UTF-8", args[1:]
        cases = [(float(args[i]), args[i + 1]) for i in range(0, len(args), 2)]
        for (value, code), shown in zip(cases, libreoffice_shows(cases, date1904, locale)):
            print(f"{value!r}\t{code}\t{shown}")
        return
    print("// Generated by make_reference_cases.py from LibreOffice Calc's")
    print("// \"contents as shown\" CSV export; edit the script, not this file.")
    for family, cases in CASES.items():
        shown = libreoffice_shows(cases, family == "date1904", LOCALES.get(family))
        kind = "TextReferenceCase" if family == "text" else "ReferenceCase"
        print(f"\ninline const {kind} k_{family}_cases[] = {{")
        for (value, code), text in zip(cases, shown):
            ours = OURS.get((family, value, code))
            if ours:
                print(f"    // LibreOffice shows {c_string(text)}; {ours[1]}")
                text = ours[0]
            shown_value = c_string(value) if isinstance(value, str) else c_double(value)
            print(f"    {{{shown_value}, {c_string(code)}, {c_string(text)}}},")
        print("};")


if __name__ == "__main__":
    main()
