// Numbers, booleans, number formats and merged ranges through the C
// interface: what each call refuses, what a written sheet answers, and a
// workbook of them read back by openpyxl and by our own reader.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "sheetlib/api/book_guard.h"
#include "sheetlib/api/host_python.h"
#include "sheetlib/sheetlib.h"
#include "sheetlib/support/scratch_folder.h"
#include "support/gbk_literal.h"

namespace {

using colsplit::testing::BookGuard;
using colsplit::testing::gbk;
using colsplit::testing::ScratchFolder;

std::string u8s(std::u8string_view s) { return std::string(reinterpret_cast<const char*>(s.data()), s.size()); }

std::string text_or_null(const char* text) { return text ? text : "(null)"; }

// A new book with a sheet, another book (its formats are refused), and a
// loaded, read-only one.
class TypedCells : public ::testing::Test {
 protected:
  void SetUp() override {
    BookGuard written;
    xlSheetWriteStrA(xlBookInsertSheetA(written, 0, "s", nullptr), 0, 0, "x", nullptr);
    const std::string path = folder_.gbk_path("loaded.xlsx");
    ASSERT_EQ(xlBookSaveA(written, path.c_str()), 1);
    ASSERT_EQ(xlBookLoadA(loaded_, path.c_str()), 1);
  }

  ScratchFolder folder_;
  BookGuard book_;
  BookGuard other_;
  BookGuard loaded_;
  SheetHandle sheet_ = xlBookInsertSheetA(book_, 0, "s", nullptr);
};

TEST_F(TypedCells, WritesRefusedAndWhatTheSheetAnswers) {
  SheetHandle read_only = xlBookGetSheetA(loaded_, 0);
  FormatHandle own = xlBookAddFormatA(book_, nullptr);
  FormatHandle foreign = xlBookAddFormatA(other_, nullptr);
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  constexpr double kInfinity = std::numeric_limits<double>::infinity();
  struct Write {
    SheetHandle sheet;
    int row, column;
    bool boolean;  // a boolean write of `value` != 0, else a number write
    double value;
    FormatHandle format;
    int result;
  };
  const Write writes[] = {
      {sheet_, 0, 0, false, 1234.5, own, 1},    {sheet_, 1048575, 16383, false, -0.0, nullptr, 1},
      {sheet_, 0, 1, true, 7, nullptr, 1},      {sheet_, 0, 2, true, 0, own, 1},
      {sheet_, 0, 3, false, kNaN, nullptr, 0},  {sheet_, 0, 3, false, -kInfinity, own, 0},
      {sheet_, -1, 0, false, 1, nullptr, 0},    {sheet_, 1048576, 0, true, 1, nullptr, 0},
      {sheet_, 0, 16384, false, 1, nullptr, 0}, {sheet_, 0, 3, true, 1, foreign, 0},
      {read_only, 0, 0, false, 1, nullptr, 0},  {read_only, 0, 0, true, 1, nullptr, 0},
  };
  for (const Write& write : writes) {
    const int result = write.boolean
                           ? xlSheetWriteBoolA(write.sheet, write.row, write.column, static_cast<int>(write.value),
                                               write.format)
                           : xlSheetWriteNumA(write.sheet, write.row, write.column, write.value, write.format);
    EXPECT_EQ(result, write.result) << write.row << "," << write.column << " " << write.value;
  }
  xlSheetWriteStrA(sheet_, 2, 0, "text", nullptr);
  xlSheetWriteStrA(sheet_, 2, 1, "", own);
  xlSheetWriteNumA(sheet_, 2, 2, 5, nullptr);
  xlSheetWriteStrA(sheet_, 2, 2, "replaced", nullptr);
  xlSheetWriteStrA(sheet_, 2, 3, "replaced", nullptr);
  xlSheetWriteBoolA(sheet_, 2, 3, 1, own);

  struct Answer {
    int row, column;
    int type;
    double number;
    FormatHandle format;
    const char* text;
  };
  const Answer answers[] = {
      {0, 0, 1, 1234.5, own, "1234.5"}, {0, 1, 3, 1, nullptr, "TRUE"},   {0, 2, 3, 0, own, "FALSE"},
      {0, 3, 0, 0, nullptr, nullptr},   {2, 0, 2, 0, nullptr, "text"},   {2, 1, 4, 0, own, nullptr},
      {2, 2, 2, 0, nullptr, "replaced"}, {2, 3, 3, 1, own, "TRUE"},      {1048575, 16383, 1, 0, nullptr, "0"},
      {-1, 0, 0, 0, nullptr, nullptr},  {0, 16384, 0, 0, nullptr, nullptr},
  };
  for (const Answer& answer : answers) {
    SCOPED_TRACE(testing::Message() << answer.row << "," << answer.column);
    EXPECT_EQ(xlSheetCellTypeA(sheet_, answer.row, answer.column), answer.type);
    FormatHandle format = reinterpret_cast<FormatHandle>(1);
    EXPECT_EQ(xlSheetReadNumA(sheet_, answer.row, answer.column, &format), answer.number);
    EXPECT_EQ(format, answer.format);
    const int is_true = answer.type == 3 && answer.number != 0 ? 1 : 0;
    EXPECT_EQ(xlSheetReadBoolA(sheet_, answer.row, answer.column, nullptr), is_true);
    EXPECT_EQ(text_or_null(xlSheetReadStrA(sheet_, answer.row, answer.column, nullptr)), text_or_null(answer.text));
  }
  EXPECT_EQ(xlSheetLastRowA(sheet_), 1048576);
  EXPECT_EQ(xlSheetLastColA(sheet_), 16384);
}

TEST_F(TypedCells, CustomNumberFormats) {
  // Appended: MinGW's GCC 12 warns falsely about a sum of strings.
  std::string chinese_255;
  for (int i = 0; i < 255; ++i) chinese_255.append(gbk(u8"元"));
  const std::string chinese_256 = std::string(chinese_255).append(gbk(u8"元"));
  const std::string yuan = gbk(u8"0.00\"元\"");
  const struct {
    std::optional<std::string> code;  // nothing: a null pointer
    int id;
  } cases[] = {
      {"#,##0.00", 164}, {"yyyy-mm-dd", 165}, {"#,##0.00", 164},    {"#,##0.00 ", 166},
      {yuan, 167},       {chinese_255, 168},  {chinese_256, 0},     {std::string(256, '0'), 0},
      {"", 0},           {std::nullopt, 0},   {"yyyy-mm-dd", 165},
  };
  for (const auto& test : cases) {
    EXPECT_EQ(xlBookAddCustomNumFormatA(book_, test.code ? test.code->c_str() : nullptr), test.id)
        << test.code.value_or("(null)");
  }
  EXPECT_EQ(text_or_null(xlBookCustomNumFormatA(book_, 167)), yuan);
  for (int id : {0, 14, 163, 169, -1}) EXPECT_EQ(xlBookCustomNumFormatA(book_, id), nullptr) << id;
  EXPECT_EQ(xlBookAddCustomNumFormatA(loaded_, "0.000"), 0);

  // Built-in ids and the book's own are taken; anything else leaves the format as it was.
  FormatHandle format = xlBookAddFormatA(book_, nullptr);
  EXPECT_EQ(xlFormatNumFormatA(format), 0);
  const std::pair<int, int> settings[] = {{14, 14}, {163, 163}, {168, 168}, {169, 168}, {-1, 168}, {0, 0}, {167, 167}};
  for (const auto& [id, kept] : settings) {
    xlFormatSetNumFormatA(format, id);
    EXPECT_EQ(xlFormatNumFormatA(format), kept) << id;
  }
  EXPECT_EQ(xlFormatNumFormatA(xlBookAddFormatA(book_, format)), 167);  // a copy keeps it
  xlSheetWriteNumA(sheet_, 0, 0, 1234.5, format);
  EXPECT_EQ(text_or_null(xlSheetReadStrA(sheet_, 0, 0, nullptr)), gbk(u8"1234.50元"));

  // 250 codes of the workbook's own at most; one already there is still found.
  for (int i = 5; i < 250; ++i) {
    ASSERT_EQ(xlBookAddCustomNumFormatA(book_, std::string("0").append(static_cast<std::size_t>(i), '#').c_str()),
              164 + i);
  }
  EXPECT_EQ(xlBookAddCustomNumFormatA(book_, "0.0"), 0);
  EXPECT_EQ(xlBookAddCustomNumFormatA(book_, yuan.c_str()), 167);
}

TEST_F(TypedCells, MergedRangesAndTheirCopies) {
  const struct {
    int first_row, last_row, first_column, last_column;
    int result;
  } merges[] = {
      {0, 0, 0, 7, 1},          // A1:H1
      {2, 4, 1, 2, 1},          // B3:C5
      {1, 1, 0, 7, 1},          // touching both
      {5, 1048575, 1, 16383, 1},
      {0, 0, 7, 8, 0},          // overlapping A1:H1
      {3, 3, 0, 1, 0},          // overlapping B3:C5
      {6, 6, 0, 0, 0},          // a single cell
      {7, 6, 0, 0, 0},          // reversed
      {6, 6, 1, 0, 0},          //
      {-1, 6, 0, 0, 0},         // outside the sheet
      {6, 1048576, 0, 0, 0},    //
      {6, 6, 0, 16384, 0},      //
  };
  for (const auto& merge : merges) {
    EXPECT_EQ(xlSheetSetMergeA(sheet_, merge.first_row, merge.last_row, merge.first_column, merge.last_column),
              merge.result)
        << merge.first_row << "-" << merge.last_row << "," << merge.first_column << "-" << merge.last_column;
  }
  EXPECT_EQ(xlSheetSetMergeA(xlBookGetSheetA(loaded_, 0), 0, 1, 0, 1), 0);
  xlSheetWriteNumA(sheet_, 1, 1, 2.5, nullptr);
  xlSheetSetColA(sheet_, 2, 4, 12.5, nullptr, 0);

  SheetHandle copy = xlBookInsertSheetA(book_, 1, "copy", sheet_);
  ASSERT_NE(copy, nullptr);
  xlSheetSetMergeA(sheet_, 7, 8, 0, 0);  // the copy stays as it was
  for (SheetHandle each : {sheet_, copy}) {
    ASSERT_EQ(xlSheetMergeSizeA(each), each == sheet_ ? 5 : 4);
    for (int index = 0; index < 4; ++index) {
      int bounds[4] = {-1, -1, -1, -1};
      ASSERT_EQ(xlSheetMergeA(each, index, &bounds[0], &bounds[1], &bounds[2], &bounds[3]), 1);
      const auto& expected = merges[index];
      EXPECT_EQ(std::vector<int>(bounds, bounds + 4),
                (std::vector<int>{expected.first_row, expected.last_row, expected.first_column, expected.last_column}));
    }
    EXPECT_EQ(xlSheetMergeA(each, 5, nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(xlSheetMergeA(each, -1, nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(xlSheetReadNumA(each, 1, 1, nullptr), 2.5);
    EXPECT_EQ(xlSheetColWidthA(each, 1), -1);
    EXPECT_EQ(xlSheetColWidthA(each, 3), 12.5);
  }
}

// The workbook a report would write: a merged title, numbers in the
// workbook's own formats and a built-in one, booleans. A twin of it with
// the same borders and another code is saved first: the styles part of one
// may not be handed out for the other.
class TypedWorkbook : public ::testing::Test {
 protected:
  static void write(const std::string& path, std::u8string_view money_code) {
    BookGuard book;
    SheetHandle sheet = xlBookInsertSheetA(book, 0, gbk(u8"汇总").c_str(), nullptr);
    ASSERT_NE(sheet, nullptr);
    const auto format_of = [&](int number_format) {
      FormatHandle format = xlBookAddFormatA(book, nullptr);
      xlFormatSetBorderA(format, 1);
      xlFormatSetNumFormatA(format, number_format);
      return format;
    };
    FormatHandle money = format_of(xlBookAddCustomNumFormatA(book, gbk(money_code).c_str()));
    FormatHandle date = format_of(xlBookAddCustomNumFormatA(book, "yyyy-mm-dd"));
    FormatHandle percent = format_of(xlBookAddCustomNumFormatA(book, "0.0%"));
    FormatHandle builtin_date = format_of(14);
    ASSERT_EQ(xlSheetWriteStrA(sheet, 0, 0, gbk(u8"销售汇总").c_str(), nullptr), 1);
    ASSERT_EQ(xlSheetSetMergeA(sheet, 0, 0, 0, 7), 1);
    ASSERT_EQ(xlSheetWriteNumA(sheet, 1, 0, 1234.5, money), 1);
    ASSERT_EQ(xlSheetWriteNumA(sheet, 1, 1, 45292, date), 1);
    ASSERT_EQ(xlSheetWriteNumA(sheet, 1, 2, 0.125, percent), 1);
    ASSERT_EQ(xlSheetWriteNumA(sheet, 1, 3, 45293, builtin_date), 1);
    ASSERT_EQ(xlSheetWriteBoolA(sheet, 1, 4, 1, nullptr), 1);
    ASSERT_EQ(xlSheetWriteBoolA(sheet, 1, 5, 0, nullptr), 1);
    ASSERT_EQ(xlSheetWriteNumA(sheet, 1, 6, 123456789012345678.0, nullptr), 1);
    ASSERT_EQ(xlSheetWriteNumA(sheet, 1, 7, 1e-7, nullptr), 1);
    ASSERT_EQ(xlSheetSetMergeA(sheet, 2, 3, 1, 2), 1);
    ASSERT_EQ(xlBookSaveA(book, path.c_str()), 1);
  }

  void SetUp() override {
    write(twin_, u8"0.000");
    write(path_, u8"#,##0.00\"元\"");
  }

  ScratchFolder folder_;
  const std::string twin_ = folder_.gbk_path("twin.xlsx");
  const std::string path_ = folder_.gbk_path(gbk(u8"报表.xlsx"));
};

TEST_F(TypedWorkbook, ReadBackByOpenpyxl) {
  const std::optional<std::string> output = colsplit::testing::run_python("read_back_values.py", path_);
  if (!output) GTEST_SKIP() << "Python with openpyxl cannot be started from here";
  // openpyxl turns numbers with a date format into dates, and gives the
  // built-in 14 its own (en-US) code.
  EXPECT_EQ(*output, u8s(u8"cell A1 s str \"销售汇总\" \"General\"\n"
                         u8"cell A2 n float 1234.5 \"#,##0.00\\\"元\\\"\"\n"
                         u8"cell B2 d datetime 2024-01-01T00:00:00 \"yyyy-mm-dd\"\n"
                         u8"cell C2 n float 0.125 \"0.0%\"\n"
                         u8"cell D2 d datetime 2024-01-02T00:00:00 \"mm-dd-yy\"\n"
                         u8"cell E2 b bool true \"General\"\n"
                         u8"cell F2 b bool false \"General\"\n"
                         u8"cell G2 n int 123456789012345680 \"General\"\n"
                         u8"cell H2 n float 1e-07 \"General\"\n"
                         u8"merged A1:H1\n"
                         u8"merged B3:C4\n"));
  const std::optional<std::string> twin = colsplit::testing::run_python("read_back_values.py", twin_);
  ASSERT_TRUE(twin);
  EXPECT_NE(twin->find("cell A2 n float 1234.5 \"0.000\"\n"), std::string::npos) << *twin;
}

TEST_F(TypedWorkbook, ReadBackByOurReader) {
  BookGuard book;
  ASSERT_EQ(xlBookLoadA(book, path_.c_str()), 1);
  SheetHandle sheet = xlBookGetSheetA(book, 0);
  struct Cell {
    int column;
    int type;
    double number;
    int number_format;  // of the format xlSheetReadNumA gives
    std::u8string_view code;
  };
  const Cell cells[] = {
      {0, 1, 1234.5, 164, u8"#,##0.00\"元\""}, {1, 1, 45292, 165, u8"yyyy-mm-dd"}, {2, 1, 0.125, 166, u8"0.0%"},
      {3, 1, 45293, 14, u8""},                 {4, 3, 1, 0, u8""},                {5, 3, 0, 0, u8""},
      {6, 1, 123456789012345678.0, 0, u8""},   {7, 1, 1e-7, 0, u8""},
  };
  EXPECT_EQ(xlSheetCellTypeA(sheet, 0, 0), 2);
  for (const Cell& cell : cells) {
    SCOPED_TRACE(cell.column);
    EXPECT_EQ(xlSheetCellTypeA(sheet, 1, cell.column), cell.type);
    FormatHandle format = nullptr;
    EXPECT_EQ(xlSheetReadNumA(sheet, 1, cell.column, &format), cell.number);
    ASSERT_NE(format, nullptr);
    EXPECT_EQ(xlFormatNumFormatA(format), cell.number_format);
    const char* code = xlBookCustomNumFormatA(book, cell.number_format);
    EXPECT_EQ(text_or_null(code), cell.code.empty() ? "(null)" : gbk(cell.code));
  }
  EXPECT_EQ(xlSheetReadBoolA(sheet, 1, 4, nullptr), 1);
  ASSERT_EQ(xlSheetMergeSizeA(sheet), 2);
  int bounds[4] = {};
  ASSERT_EQ(xlSheetMergeA(sheet, 1, &bounds[0], &bounds[1], &bounds[2], &bounds[3]), 1);
  EXPECT_EQ(bounds[0], 2);
  EXPECT_EQ(bounds[1], 3);
  EXPECT_EQ(bounds[2], 1);
  EXPECT_EQ(bounds[3], 2);
  ASSERT_EQ(xlSheetMergeA(sheet, 0, &bounds[0], &bounds[1], &bounds[2], &bounds[3]), 1);
  EXPECT_EQ(bounds[3], 7);
}

}  // namespace
