// The cells of an .xls worksheet and the choice of that worksheet: what
// each kind of cell record shows, what counts for the extents, and which
// damage fails the load.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "sheetlib/format/number_format.h"
#include "sheetlib/xls/worksheet_cells.h"
#include "sheetlib/xls/xls_reader.h"
#include "support/gbk_literal.h"
#include "test_package.h"
#include "xls_maker.h"

namespace sheetlib::testing {
namespace {

using colsplit::testing::gbk;
using Rows = std::vector<std::vector<std::string>>;

Loaded load_cells(const std::string& cells, const std::string& globals = "") {
  return load(make_xls(one_sheet_stream(cells, globals)));
}

Rows rows_of(const std::string& cells, const std::string& globals = "") {
  Loaded loaded = load_cells(cells, globals);
  EXPECT_EQ(loaded.status, ReadStatus::ok);
  return grid_rows(loaded.grid);
}

// The RK form of a double: its upper 30 bits.
std::uint32_t rk_of_double(double value, bool times_100 = false) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return (static_cast<std::uint32_t>(bits >> 32) & 0xFFFFFFFCu) | (times_100 ? 1u : 0u);
}

std::uint32_t rk_of_integer(std::int32_t value, bool times_100 = false) {
  return static_cast<std::uint32_t>(value) << 2 | 2u | (times_100 ? 1u : 0u);
}

TEST(RkNumbers, EveryEncoding) {
  EXPECT_EQ(xls::rk_value(rk_of_integer(5)), 5);
  EXPECT_EQ(xls::rk_value(rk_of_integer(-5)), -5);
  EXPECT_EQ(xls::rk_value(rk_of_integer(536'870'911)), 536'870'911);  // the largest 30-bit integer
  EXPECT_EQ(xls::rk_value(rk_of_integer(-536'870'912)), -536'870'912);
  EXPECT_EQ(xls::rk_value(rk_of_integer(1234, true)), 12.34);
  EXPECT_EQ(xls::rk_value(rk_of_integer(-1, true)), -0.01);
  EXPECT_EQ(xls::rk_value(rk_of_double(1.5)), 1.5);
  EXPECT_EQ(xls::rk_value(rk_of_double(-2.75)), -2.75);
  EXPECT_EQ(xls::rk_value(rk_of_double(1.5, true)), 0.015);
  EXPECT_EQ(xls::rk_value(0), 0);
}

TEST(Numbers, NumberRkAndMulrkShowAsTheGeneralFormatShowsThem) {
  EXPECT_EQ(rows_of(number(0, 0, 0.1) + number(0, 1, 1e20) + number(0, 2, -0.0) + number(0, 3, 123456789012345678.0) +
                    rk(1, 0, rk_of_integer(42)) + rk(1, 1, rk_of_integer(1234, true)) +
                    mulrk(2, 1, {rk_of_integer(7), rk_of_double(0.5), rk_of_integer(-3, true)})),
            (Rows{{"0.1", "1E+20", "0", "1.23456789012346E+17"}, {"42", "12.34", "", ""}, {"", "7", "0.5", "-0.03"}}));
}

TEST(Numbers, TheXfOfACellChoosesItsFormat) {
  // XF 0 General, 1 a built-in percent, 2 the built-in short date, 3 a code
  // of the workbook's own, 4 a built-in id the workbook redefines, 5 text.
  const std::string globals = format_record(164, u"0.000") + format_record(5, u"\"$\"#,##0") + xf_record(0) +
                              xf_record(10) + xf_record(14) + xf_record(164) + xf_record(5) + xf_record(49);
  EXPECT_EQ(rows_of(number(0, 0, 0.25, 0) + number(0, 1, 0.25, 1) + number(0, 2, 45352, 2) + number(0, 3, 2, 3) +
                        rk(0, 4, rk_of_integer(1234), 4) + number(0, 5, 12.5, 5) + number(0, 6, 3, 77),
                    globals),
            (Rows{{"0.25", "25.00%", "2024/3/1", "2.000", "$1,234", "12.5", "3"}}));
}

// Every kind of text cell shows through its format's section for texts; a
// format without one leaves the text as it is.
TEST(Texts, ShowThroughTheSectionForTextsOfTheirFormat) {
  // XF 0 General, 1 "编号："@, 2 the accounting format with _(@_), 3 a number format.
  const std::string globals = sst({u"ABC"}) + format_record(164, u"\"编号：\"@") +
                              format_record(165, u"_(* #,##0_);_(* \\(#,##0\\);_(* \"-\"_);_(@_)") + xf_record(0) +
                              xf_record(164) + xf_record(165) + xf_record(2);
  const std::string cells = label_sst(0, 0, 0, 0) + label_sst(0, 1, 0, 1) + label_sst(0, 2, 0, 2) +
                            label_sst(0, 3, 0, 3) + label(1, 0, u"北京", 1) + label(1, 1, u"北京", 2) +
                            formula_special(1, 2, 0, 0, 1) + string_result(u"x") + number(1, 3, 5, 1);
  EXPECT_EQ(rows_of(cells, globals),
            (Rows{{"ABC", "编号：ABC", " ABC ", "ABC"}, {"编号：北京", " 北京 ", "编号：x", "5"}}));
  // A load that keeps the look keeps the texts, which carry their format.
  CellGrid grid;
  grid.want_look();
  std::vector<std::string> names;
  ASSERT_EQ(xls::read_xls_worksheet(make_xls(one_sheet_stream(cells, globals)), 0, grid, names, ReadLimits{}),
            ReadStatus::ok);
  EXPECT_EQ(grid_rows(grid), (Rows{{"ABC", "ABC", "ABC", "ABC"}, {"北京", "北京", "x", "5"}}));
}

TEST(Numbers, Datemode1904ShiftsDates) {
  const std::string globals = biff(0x0022, u16le(1)) + xf_record(0) + xf_record(14);
  EXPECT_EQ(rows_of(number(0, 0, 0, 1) + number(0, 1, 1, 0), globals), (Rows{{"1904/1/1", "1"}}));
  EXPECT_EQ(rows_of(number(0, 0, 45352, 1), xf_record(0) + xf_record(14)), (Rows{{"2024/3/1"}}));
}

TEST(BooleansAndErrors, ShowAsTheirNames) {
  EXPECT_EQ(rows_of(boolerr(0, 0, 1, false) + boolerr(0, 1, 0, false) + boolerr(1, 0, 0x00, true) +
                    boolerr(1, 1, 0x07, true) + boolerr(1, 2, 0x0F, true) + boolerr(1, 3, 0x17, true) +
                    boolerr(1, 4, 0x1D, true) + boolerr(1, 5, 0x24, true) + boolerr(1, 6, 0x2A, true)),
            (Rows{{"TRUE", "FALSE", "", "", "", "", ""},
                  {"#NULL!", "#DIV/0!", "#VALUE!", "#REF!", "#NAME?", "#NUM!", "#N/A"}}));
}

TEST(Formulas, CachedResultsOfEveryKind) {
  const std::string shared_formula = biff(0x04BC, std::string(10, '\0'));
  Loaded loaded = load_cells(
      formula_number(0, 0, 2.5) + formula_special(0, 1, 0) + shared_formula + string_result(u"北京x") +
          formula_special(0, 2, 1, 1) + formula_special(0, 3, 1, 0) + formula_special(0, 4, 2, 0x07) +
          formula_special(0, 5, 3) +
          // A text result whose STRING record never comes, and a STRING
          // record after a number: neither shows.
          formula_special(1, 0, 0) + number(1, 1, 9) + string_result(u"stray"),
      xf_record(0));
  ASSERT_EQ(loaded.status, ReadStatus::ok);
  EXPECT_EQ(grid_rows(loaded.grid),
            (Rows{{"2.5", "北京x", "TRUE", "FALSE", "#DIV/0!", ""}, {"", "9", "", "", "", ""}}));
  // The empty text is a value, as an empty formula text is in .xlsx.
  EXPECT_TRUE(loaded.grid.has_value(0, 5));
  EXPECT_FALSE(loaded.grid.has_value(1, 0));
}

TEST(Extents, OnlyCellsWithValuesCountAndTheDimensionIsNotBelieved) {
  const std::string dimension = biff(0x0200, u32le(0) + u32le(60000) + u16le(0) + u16le(200) + u16le(0));
  const std::string mulblank = biff(0x00BE, u16le(5) + u16le(0) + u16le(0) + u16le(0) + u16le(0) + u16le(2));
  Loaded loaded = load_cells(dimension + number(0, 0, 1) + label(2, 1, u"b") + blank(9, 9) + mulblank);
  ASSERT_EQ(loaded.status, ReadStatus::ok);
  EXPECT_EQ(loaded.grid.row_extent(), 3);
  EXPECT_EQ(loaded.grid.column_extent(), 2);
}

TEST(Extents, CellsOutOfOrderAreSortedAndTheLaterOfTwinsWins) {
  EXPECT_EQ(rows_of(number(2, 2, 1) + number(0, 1, 2) + label(0, 1, u"later") + number(1, 0, 3)),
            (Rows{{"", "later", ""}, {"3", "", ""}, {"", "", "1"}}));
}

TEST(Extents, TheLastRowAndColumnOfTheFormat) {
  Loaded loaded = load_cells(number(65535, 255, 1) + number(0, 16383, 2));
  ASSERT_EQ(loaded.status, ReadStatus::ok);
  EXPECT_EQ(loaded.grid.row_extent(), 65536);
  EXPECT_EQ(loaded.grid.column_extent(), 16384);
  EXPECT_EQ(load_cells(number(0, 16384, 1)).status, ReadStatus::malformed);
  EXPECT_EQ(load_cells(mulrk(0, 16383, {rk_of_integer(1), rk_of_integer(2)})).status, ReadStatus::malformed);
}

TEST(EmbeddedCharts, TheirCachedSeriesValuesAreNotCells) {
  const std::string chart = bof(kChartSubstream) + number(0, 0, 99) + label(5, 5, u"series") + bof(kChartSubstream) +
                            number(7, 7, 1) + eof() + eof();
  EXPECT_EQ(rows_of(number(0, 0, 1) + chart + number(1, 1, 2)), (Rows{{"1", ""}, {"", "2"}}));
}

TEST(DamagedCells, RecordsTooShortOrPointingNowhereFail) {
  EXPECT_EQ(load_cells(label_sst(0, 0, 0)).status, ReadStatus::malformed);  // no shared strings at all
  EXPECT_EQ(load_cells(label_sst(0, 0, 1), sst({u"only"})).status, ReadStatus::malformed);
  EXPECT_EQ(load_cells(biff(0x0203, u16le(0) + u16le(0) + u16le(0) + "1234567")).status, ReadStatus::malformed);
  EXPECT_EQ(load_cells(biff(0x027E, u16le(0) + u16le(0) + u16le(0))).status, ReadStatus::malformed);
  EXPECT_EQ(load_cells(biff(0x00BD, u16le(0) + u16le(0) + u16le(0))).status, ReadStatus::malformed);
  EXPECT_EQ(load_cells(biff(0x0205, u16le(0) + u16le(0) + u16le(0) + "\x01")).status, ReadStatus::malformed);
  EXPECT_EQ(load_cells(biff(0x0006, u16le(0) + u16le(0) + u16le(0) + "12345")).status, ReadStatus::malformed);
  EXPECT_EQ(load_cells(biff(0x00FD, u16le(0))).status, ReadStatus::malformed);
}

TEST(DamagedRecords, WhatOnlyDressesTheCellsIsPassedOverWhatTheyNeedFails) {
  // The workbook's own code 164, a code cut short (165), a built-in id
  // given a code cut short (14), a FORMAT too short to name an id.
  const std::string cut_format = biff(0x041E, u16le(165) + u16le(40) + std::string("\0ab", 3));
  const std::string cut_builtin = biff(0x041E, u16le(14) + u16le(40) + std::string("\0yy", 3));
  const std::string formats = format_record(164, u"0.000") + cut_format + cut_builtin + biff(0x041E, "\xA6");
  const std::string cells = number(0, 0, 1234.5678, 1) + number(0, 1, 1234.5678, 2) + number(0, 2, 45000.25, 3) +
                            number(0, 3, 0.5, 4) + label(0, 4, u"x");
  const Rows shown{{"1234.568", "1234.5678", "45000.25", "50.00%", "x"}};
  // Records no cell needs, damaged: fonts, names, window and width
  // settings, the string table's index, dimensions and rows.
  const std::string unread_globals = biff(0x0031, "\x01") + biff(0x0018, "\xFF\xFF\xFF") + biff(0x003D, "") +
                                     biff(0x00FF, "\x08");
  const std::string unread_sheet = biff(0x0200, "\x01\x02") + biff(0x0208, "") + biff(0x023E, "\x01") +
                                   biff(0x0055, "") + biff(0x020B, "\x07");
  const struct {
    std::string globals, cells;
    ReadStatus status;
    Rows rows;
  } cases[] = {
      {formats + xf_record(0) + xf_record(164) + xf_record(165) + xf_record(14) + xf_record(10), cells,
       ReadStatus::ok, shown},
      // A good code of an id stands when a damaged one of it follows.
      {format_record(164, u"0.000") + biff(0x041E, u16le(164) + u16le(9)) + xf_record(0) + xf_record(164),
       number(0, 0, 1.5, 1), ReadStatus::ok, {{"1.500"}}},
      // A damaged XF is General and keeps its place: XF 2 is still the code 164.
      {format_record(164, u"0.000") + xf_record(0) + biff(0x00E0, "\x01\x00") + xf_record(164) + xf_record(14) +
           xf_record(10) + biff(0x00E0, ""),
       number(0, 0, 1234.5678, 1) + number(0, 1, 1234.5678, 2) + number(0, 2, 7, 5), ReadStatus::ok,
       {{"1234.5678", "1234.568", "7"}}},
      {unread_globals + xf_record(0), unread_sheet + number(0, 0, 1), ReadStatus::ok, {{"1"}}},
      // A code holding a NUL character counts as damaged.
      {format_record(164, std::u16string(u"0.0\0", 4)) + xf_record(0) + xf_record(164), number(0, 0, 1.25, 1),
       ReadStatus::ok, {{"1.25"}}},
      // The shared strings and the sheet list stay strict.
      {biff(0x00FC, u32le(1) + u32le(1) + u16le(5) + "\x00" "ab"), label_sst(0, 0, 0), ReadStatus::malformed, {}},
      {biff(0x0085, u32le(0)), number(0, 0, 1), ReadStatus::malformed, {}},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    Loaded loaded = load_cells(cases[i].cells, cases[i].globals);
    ASSERT_EQ(loaded.status, cases[i].status);
    if (loaded.status == ReadStatus::ok) {
      EXPECT_EQ(grid_rows(loaded.grid), cases[i].rows);
    }
  }
  // What the typed output keeps: a lost code is General, not the id's own.
  Loaded loaded = load_cells(cells, formats + xf_record(0) + xf_record(164) + xf_record(165) + xf_record(14));
  ASSERT_EQ(loaded.status, ReadStatus::ok);
  const std::vector<StyleNumberFormat>& styles = loaded.grid.style_formats();
  ASSERT_EQ(styles.size(), 5u);  // the fifth: General for the XF past the list
  EXPECT_EQ(styles[1].id, 164);
  EXPECT_EQ(styles[1].code, "0.000");
  EXPECT_EQ(styles[2].id, 0);
  EXPECT_EQ(styles[3].id, 0);
  EXPECT_EQ(styles[3].code, "");
}

TEST(DamagedCells, AMulrkIsAsLongAsItsRecordSays) {
  // The last column the record names (here 200) is not believed; its length is.
  std::string data = u16le(0) + u16le(1) + u16le(0) + u32le(rk_of_integer(5)) + u16le(0) +
                     u32le(rk_of_integer(6)) + u16le(200);
  EXPECT_EQ(rows_of(biff(0x00BD, data)), (Rows{{"", "5", "6"}}));
}

TEST(DamagedStreams, RecordsPastTheStreamAndMissingEndsFail) {
  const std::string good = one_sheet_stream(number(0, 0, 1));
  ASSERT_EQ(load(make_xls(good)).status, ReadStatus::ok);
  // The sheet's EOF cut off, and a record claiming more than is left.
  EXPECT_EQ(load(make_xls(good.substr(0, good.size() - 4))).status, ReadStatus::malformed);
  EXPECT_EQ(load(make_xls(good.substr(0, good.size() - 4) + u16le(0x0203) + u16le(500) + "x")).status,
            ReadStatus::malformed);
  // Globals without their EOF.
  EXPECT_EQ(load(make_xls(bof(kGlobalsSubstream) + xf_record(0))).status, ReadStatus::malformed);
  EXPECT_EQ(load(make_xls("")).status, ReadStatus::malformed);
  // Padding behind the last EOF, as writers leave it, is not read.
  EXPECT_EQ(load(make_xls(good + std::string(3000, '\0'))).status, ReadStatus::ok);
}

TEST(FirstWorksheet, ChartMacroAndDialogSheetsArePassedOver) {
  const std::string dialog_flag = biff(0x0081, std::string("\x11\x04", 2));
  const std::string stream = workbook_stream("", {{number(0, 0, 1), kChartSheet, kChartSubstream},
                                                  {number(0, 0, 2), kMacroSheet, kMacroSubstream},
                                                  {dialog_flag + number(0, 0, 3)},
                                                  {biff(0x0081, std::string("\xC1\x04", 2)) + number(0, 0, 4)},
                                                  {number(0, 0, 5)}});
  Loaded loaded = load(make_xls(stream));
  ASSERT_EQ(loaded.status, ReadStatus::ok);
  EXPECT_EQ(grid_rows(loaded.grid), (Rows{{"4"}}));

  // A sheet listed as a worksheet whose BOF says chart is passed over too.
  Loaded mislabeled = load(make_xls(workbook_stream("", {{number(0, 0, 1), kWorksheetSheet, kChartSubstream},
                                                         {number(0, 0, 2)}})));
  ASSERT_EQ(mislabeled.status, ReadStatus::ok);
  EXPECT_EQ(grid_rows(mislabeled.grid), (Rows{{"2"}}));
}

TEST(FirstWorksheet, AListNamingOneDialogSheetOverAndOverLooksAtItOnce) {
  // 300,000 BOUNDSHEET records name a dialog sheet whose WSBOOL comes after
  // 250 other records; the last one names the worksheet.
  const auto boundsheet = [](std::uint32_t offset) {
    return biff(0x0085, u32le(offset) + std::string("\0\0\1\0S", 5));
  };
  constexpr int kNames = 300'000;
  const std::size_t globals_size = bof(kGlobalsSubstream).size() + (kNames + 1) * boundsheet(0).size() + eof().size();
  std::string dialog = bof(kWorksheetSubstream);
  for (int i = 0; i < 250; ++i) dialog += biff(0x0208, std::string(16, '\0'));  // ROW
  dialog += biff(0x0081, std::string("\x11\x04", 2)) + eof();
  std::string stream = bof(kGlobalsSubstream);
  for (int i = 0; i < kNames; ++i) stream += boundsheet(static_cast<std::uint32_t>(globals_size));
  stream += boundsheet(static_cast<std::uint32_t>(globals_size + dialog.size())) + eof() + dialog +
            bof(kWorksheetSubstream) + number(0, 0, 8) + eof();
  Loaded loaded = load(make_xls(stream));
  ASSERT_EQ(loaded.status, ReadStatus::ok);
  EXPECT_EQ(grid_rows(loaded.grid), (Rows{{"8"}}));
}

TEST(FirstWorksheet, AWorkbookWithoutOneHasNoSheetToShow) {
  EXPECT_EQ(load(make_xls(workbook_stream("", {{number(0, 0, 1), kChartSheet, kChartSubstream}}))).status,
            ReadStatus::not_a_workbook);
  EXPECT_EQ(load(make_xls(workbook_stream("", {}))).status, ReadStatus::not_a_workbook);
}

TEST(FirstWorksheet, GlobalsWithoutSheetListsAreFollowedByTheirSheets) {
  const std::string stream = bof(kGlobalsSubstream) + xf_record(0) + eof() + bof(kChartSubstream) + eof() +
                             bof(kWorksheetSubstream) + number(0, 0, 7) + eof();
  Loaded loaded = load(make_xls(stream));
  ASSERT_EQ(loaded.status, ReadStatus::ok);
  EXPECT_EQ(grid_rows(loaded.grid), (Rows{{"7"}}));
}

TEST(FirstWorksheet, ASheetListedWhereNoSheetBeginsFails) {
  std::string stream = one_sheet_stream(number(0, 0, 1));
  // The BOUNDSHEET record follows the globals' BOF (20 bytes): its offset
  // field, pointed past the stream's end and then into the globals' middle.
  ASSERT_EQ(stream.substr(20, 2), u16le(0x0085));
  stream.replace(24, 4, u32le(0x7FFFFFF0));
  EXPECT_EQ(load(make_xls(stream)).status, ReadStatus::malformed);
  stream.replace(24, 4, u32le(22));
  EXPECT_EQ(load(make_xls(stream)).status, ReadStatus::malformed);
}

TEST(Versions, EncryptedAndOlderWorkbooksSayWhyTheyFail) {
  const std::string filepass = biff(0x002F, u16le(1) + std::string(52, '\x5A'));
  EXPECT_EQ(load(make_xls(one_sheet_stream(number(0, 0, 1), filepass))).status, ReadStatus::encrypted);
  // A version no Excel wrote.
  EXPECT_EQ(load(make_xls(bof(kGlobalsSubstream, 0x0700) + eof())).status, ReadStatus::unsupported_version);
  // A stream that begins with a worksheet, not with the globals.
  EXPECT_EQ(load(make_xls(bof(kWorksheetSubstream) + number(0, 0, 1) + eof())).status, ReadStatus::malformed);
  EXPECT_EQ(load(make_xls(number(0, 0, 1))).status, ReadStatus::malformed);
}

}  // namespace
}  // namespace sheetlib::testing
