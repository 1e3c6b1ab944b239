// Excel 5.0/95 workbooks (BIFF5): strings as bytes of the workbook's code
// page, in a "Book" stream or a "Workbook" one; the cells' values and
// formats as in BIFF8.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_package.h"
#include "xls_maker.h"

namespace sheetlib::testing {
namespace {

using Rows = std::vector<std::vector<std::string>>;
using Names = std::vector<std::string>;

// Chinese in code page 936 (GBK), Western in 1252.
const std::string kZhongWen = "\xD6\xD0\xCE\xC4";  // 中文
const std::string kShuJu = "\xCA\xFD\xBE\xDD";     // 数据
const std::string kYuan = "\xD4\xAA";              // 元
const std::string kCafe = "caf\xE9";               // café
const std::string kQuoted = "\x93\x80\x94";        // “€”
const std::string kMoskva = "\xCC\xEE\xF1\xEA\xE2\xE0";  // Москва in 1251

std::string book(const std::string& globals, const std::vector<std::pair<std::string, std::string>>& sheets) {
  return make_compound_file({{"Book", biff5_workbook_stream(globals, sheets)}}).bytes;
}

std::uint32_t rk_of_integer(std::int32_t value) { return static_cast<std::uint32_t>(value) << 2 | 2u; }

TEST(Biff5, StringsAndSheetNamesInTheWorkbooksCodePage) {
  const struct {
    std::string globals;
    std::string name;
    std::string cells;
    Rows rows;
    std::string shown_name;
  } cases[] = {
      {codepage(936), kShuJu, label5(0, 0, kZhongWen) + rstring5(0, 1, kZhongWen + "ab", 2),
       {{"中文", "中文ab"}}, "数据"},
      // A formula's text result, and a Western name in the Chinese page.
      {codepage(936), "Sheet", formula_special(0, 0, 0) + string_result5(kYuan + "1"),
       {{"元1"}}, "Sheet"},
      {codepage(1252), kCafe, label5(0, 0, kCafe) + label5(0, 1, kQuoted) + rstring5(0, 2, "x\xA0y", 0),
       {{"café", "“€”", "x\u00A0y"}}, "café"},
      // No CODEPAGE record: Western.
      {"", kQuoted, label5(0, 0, kCafe), {{"café"}}, "“€”"},
      // GB18030 reads as the Chinese page it extends; an empty label.
      {codepage(54936), kZhongWen, label5(0, 0, kShuJu) + label5(0, 1, ""), {{"数据", ""}}, "中文"},
      // The other single-byte pages, Mac Roman (also as the old 32768).
      {codepage(1251), kMoskva, label5(0, 0, kMoskva), {{"Москва"}}, "Москва"},
      {codepage(1250), "x", label5(0, 0, "\xA3\xF3" "d\x9F") + label5(0, 1, "\x81"), {{"Łódź", "\u0081"}}, "x"},
      {codepage(1253), "x", label5(0, 0, "\xC1\xE8\xDE\xED\xE1") + label5(0, 1, "\xAA"),
       {{"Αθήνα", "\uFFFD"}}, "x"},
      {codepage(874), "x", label5(0, 0, "\xE4\xB7\xC2"), {{"ไทย"}}, "x"},
      {codepage(1255), "x", label5(0, 0, "\xF9\xEC\xE5\xED"), {{"שלום"}}, "x"},
      {codepage(10000), "caf\x8E", label5(0, 0, "\xB7"), {{"∑"}}, "café"},
      {codepage(32768), "x", label5(0, 0, "caf\x8E"), {{"café"}}, "x"},
      // The double-byte pages: pairs, half-width katakana alone, a lead byte
      // at the end or before a byte that cannot trail it.
      {codepage(932), "\x93\x8C", label5(0, 0, "\x93\x8C\x8B\x9E\xB6\xC0") + label5(0, 1, "a\x93") +
           label5(0, 2, "\x93" "\x0A" "b"),
       {{"東京ｶﾀ", "a\uFFFD", "\uFFFD\nb"}}, "東"},
      {codepage(949), "\xBC\xAD\xBF\xEF", label5(0, 0, "\xBC\xAD\xBF\xEF"), {{"서울"}}, "서울"},
      {codepage(950), "x", label5(0, 0, "\xBB" "O\xA5_"), {{"臺北"}}, "x"},
      // A page without a table reads as Western.
      {codepage(437), "x", label5(0, 0, kCafe), {{"café"}}, "x"},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    const auto& c = cases[i];
    const Loaded loaded = load(book(c.globals, {{c.name, c.cells}}));
    ASSERT_EQ(loaded.status, ReadStatus::ok);
    EXPECT_EQ(grid_rows(loaded.grid), c.rows);
    CellGrid grid;
    Names names;
    ASSERT_EQ(read_worksheet(book(c.globals, {{c.name, c.cells}}), 0, grid, &names), ReadStatus::ok);
    EXPECT_EQ(names, Names{c.shown_name});
  }
}

TEST(Biff5, ValuesAndTheirFormatsAsInLaterVersions) {
  // XF 0 General, 1 the built-in date, 2 the workbook's code naming 元.
  const std::string globals = codepage(936) + format_record5(164, "0.0\"" + kYuan + "\"") + xf_record(0) +
                              xf_record(14) + xf_record(164);
  const std::string cells = number(0, 0, 45352, 1) + rk(0, 1, rk_of_integer(42)) +
                            mulrk(0, 2, {rk_of_integer(7), rk_of_integer(-3)}, 2) + boolerr(1, 0, 1, false) +
                            boolerr(1, 1, 0x07, true) + formula_number(1, 2, 2.5, 2) + formula_special(1, 3, 1, 0);
  CellGrid grid;
  Names names;
  ASSERT_EQ(read_worksheet(book(globals, {{"a", number(0, 0, 1)}, {kShuJu, cells}}), 1, grid, &names),
            ReadStatus::ok);
  EXPECT_EQ(names, (Names{"a", "数据"}));
  const struct {
    int row, column;
    const char* shown;
    CellKind kind;
    double number;
    std::uint32_t style;
  } cases[] = {
      {0, 0, "2024/3/1", CellKind::number, 45352, 1}, {0, 1, "42", CellKind::number, 42, 0},
      {0, 2, "7.0元", CellKind::number, 7, 2},        {0, 3, "-3.0元", CellKind::number, -3, 2},
      {1, 0, "TRUE", CellKind::boolean, 1, 0},        {1, 1, "#DIV/0!", CellKind::error, 0, 0},
      {1, 2, "2.5元", CellKind::number, 2.5, 2},      {1, 3, "FALSE", CellKind::boolean, 0, 0},
  };
  const Rows rows = grid_rows(grid);
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.row) + "," + std::to_string(c.column));
    const CellValue value = grid.value(c.row, c.column);
    EXPECT_EQ(rows[c.row][c.column], c.shown);
    EXPECT_EQ(value.kind, c.kind);
    EXPECT_EQ(value.number, c.number);
    EXPECT_EQ(value.style, c.style);
  }
  ASSERT_EQ(grid.style_formats().size(), 3u);
  EXPECT_EQ(grid.style_formats()[2].code, "0.0\"元\"");
}

TEST(Biff5, StreamsAndDamage) {
  const std::string stream = biff5_workbook_stream(codepage(936), {{kShuJu, label5(0, 0, kZhongWen)}});
  // A BOUNDSHEET whose name is cut (the globals' BOF is 20 bytes, then
  // CODEPAGE 6, then BOUNDSHEET: its count byte at 20 + 6 + 4 + 6).
  std::string cut_name = stream;
  ASSERT_EQ(cut_name.substr(26, 2), u16le(0x0085));
  cut_name[36] = '\x40';
  const struct {
    std::string file;
    ReadStatus status;
    Rows rows;
  } cases[] = {
      {make_compound_file({{"Book", stream}}).bytes, ReadStatus::ok, {{"中文"}}},
      // Excel 97 could save BIFF5 into a "Workbook" stream.
      {make_xls(stream), ReadStatus::ok, {{"中文"}}},
      {make_compound_file({{"Book", cut_name}}).bytes, ReadStatus::malformed, {}},
      // A label counting more bytes than its record holds.
      {book("", {{"s", biff(0x0204, std::string(6, '\0') + u16le(9) + "abc")}}), ReadStatus::malformed, {}},
      {book("", {{"s", biff(0x0204, std::string(6, '\0') + "\x01")}}), ReadStatus::malformed, {}},
      // A FORMAT record whose code is cut costs its format only.
      {book(format_record5(164, "") + biff(0x041E, u16le(165) + "\x05" "ab") + xf_record(165),
            {{"s", number(0, 0, 2.5)}}),
       ReadStatus::ok, {{"2.5"}}},
      // A cut GBK character is U+FFFD, not a broken text.
      {book(codepage(936), {{"s", label5(0, 0, "a\xD6")}}), ReadStatus::ok, {{"a\uFFFD"}}},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    const Loaded loaded = load(cases[i].file);
    ASSERT_EQ(loaded.status, cases[i].status);
    if (loaded.status == ReadStatus::ok) {
      EXPECT_EQ(grid_rows(loaded.grid), cases[i].rows);
    }
  }
}

}  // namespace
}  // namespace sheetlib::testing
