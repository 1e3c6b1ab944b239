// The look through the C interface: a dressed sheet (tests/cli/dressed_book.py)
// loaded with its look answers every question of it; copied row for row into
// a new book through the same functions, saved and loaded again, it answers
// the same. What each function refuses, in one table.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "sheetlib/api/book_guard.h"
#include "sheetlib/api/host_python.h"
#include "sheetlib/sheetlib.h"
#include "sheetlib/support/scratch_folder.h"

namespace {

using colsplit::testing::BookGuard;
using colsplit::testing::ScratchFolder;

std::string range_text(int first_row, int last_row, int first_column, int last_column) {
  std::string text = std::to_string(first_row);
  text += '-';
  text += std::to_string(last_row);
  text += ',';
  text += std::to_string(first_column);
  text += '-';
  text += std::to_string(last_column);
  return text;
}

// Everything the sheet tells of its look, as texts.
std::map<std::string, std::string> answers(BookHandle book, SheetHandle sheet) {
  std::map<std::string, std::string> seen;
  // Texts built by appending: GCC 12 on i686 warns of an overlapping copy
  // in chains of + on temporaries.
  for (int row : {0, 1, 3, 5}) {
    std::string name = "row ";
    name += std::to_string(row);
    std::string& text = seen[name];
    text = std::to_string(xlSheetRowHeightA(sheet, row));
    if (xlSheetRowHiddenA(sheet, row)) text += " hidden";
  }
  std::string& hidden = seen["hidden columns"];
  hidden = std::to_string(xlSheetColHiddenA(sheet, 4));
  hidden += std::to_string(xlSheetColHiddenA(sheet, 5));
  int a = 0, b = 0, c = 0, d = 0;
  seen["split"] = xlSheetGetSplitA(sheet, &a, &b) ? range_text(a, a, b, b) : "none";
  std::string& view = seen["view"];
  view = std::to_string(xlSheetZoomA(sheet));
  view += ' ';
  view += std::to_string(xlSheetDisplayGridlinesA(sheet));
  view += std::to_string(xlSheetRightToLeftA(sheet));
  seen["filter"] = xlSheetGetAutoFilterA(sheet, &a, &b, &c, &d) ? range_text(a, b, c, d) : "none";
  const auto items = [&](int count, auto range) {
    std::string text = std::to_string(count);
    for (int i = 0; i < count; ++i) {
      if (range(i, &a, &b, &c, &d)) {
        text += ' ';
        text += range_text(a, b, c, d);
      }
    }
    return text;
  };
  seen["validations"] = items(xlSheetDataValidationSizeA(sheet), [&](int i, int* r1, int* r2, int* c1, int* c2) {
    return xlSheetDataValidationRangeA(sheet, i, 0, r1, r2, c1, c2);
  });
  seen["rules"] = items(xlSheetConditionalFormatSizeA(sheet), [&](int i, int* r1, int* r2, int* c1, int* c2) {
    return xlSheetConditionalFormatRangeA(sheet, i, 0, r1, r2, c1, c2);
  });
  seen["links"] = items(xlSheetHyperlinkSizeA(sheet), [&](int i, int* r1, int* r2, int* c1, int* c2) {
    return xlSheetHyperlinkRangeA(sheet, i, r1, r2, c1, c2);
  });
  seen["print titles"] = xlSheetGetPrintRepeatRowsA(sheet, &a, &b) ? range_text(a, b, 0, 0) : "none";
  // The date cell's number format, and whether the title's and a data
  // cell's formats are there.
  const FormatHandle date = xlSheetCellFormatA(sheet, 2, 0);
  const int id = date ? xlFormatNumFormatA(date) : -1;
  const char* code = id >= 164 ? xlBookCustomNumFormatA(book, id) : nullptr;
  seen["date format"] = code ? code : std::to_string(id);
  std::string& formats = seen["formats"];
  formats = xlSheetCellFormatA(sheet, 0, 0) != nullptr ? "1" : "0";
  formats += xlSheetCellFormatA(sheet, 7, 3) != nullptr ? "1" : "0";
  return seen;
}

TEST(Look, ReadCopiedSavedAndReadAgain) {
  ScratchFolder folder;
  const std::string source_path = folder.gbk_path("dressed.xlsx");
  if (!colsplit::testing::run_python("../../cli/dressed_book.py", source_path))
    GTEST_SKIP() << "Python with openpyxl cannot be started from here";
  BookGuard source;
  xlBookSetKeepFormatA(source, 1);
  ASSERT_EQ(xlBookLoadA(source, source_path.c_str()), 1);
  const SheetHandle from = xlBookGetSheetA(source, 0);
  const std::map<std::string, std::string> read = answers(source, from);
  const std::map<std::string, std::string> expected = {
      {"row 0", "36.000000"}, {"row 1", "24.000000"}, {"row 3", "-1.000000"}, {"row 5", "30.000000"},
      {"hidden columns", "01"},
      {"split", "2-2,1-1"},
      {"view", "85 10"},
      {"filter", "1-41,0-5"},
      {"validations", "1 2-41,2-2"},
      {"rules", "1 2-41,4-4"},
      {"links", "1 2-2,3-3"},
      {"print titles", "0-1,0-0"},
      {"date format", "yyyy-mm-dd"},
      {"formats", "11"},
  };
  EXPECT_EQ(read, expected);

  // Row for row into a new book, through the functions the export uses.
  BookGuard copy;
  const SheetHandle to = xlBookInsertSheetA(copy, 0, "copy", nullptr);
  const int rows = xlSheetLastRowA(from), columns = xlSheetLastColA(from);
  std::map<FormatHandle, FormatHandle> formats;
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < columns; ++column) {
      const FormatHandle format = xlSheetCellFormatA(from, row, column);
      if (!formats.count(format)) formats[format] = xlBookAddFormatA(copy, format);
      ASSERT_EQ(xlSheetWriteStrA(to, row, column, xlSheetReadStrA(from, row, column, nullptr), formats[format]), 1);
    }
    const double height = xlSheetRowHeightA(from, row);
    ASSERT_EQ(xlSheetSetRowA(to, row, height, nullptr, xlSheetRowHiddenA(from, row)), 1);
  }
  for (int column = 0; column < columns; ++column)
    xlSheetSetColA(to, column, column, 10, nullptr, xlSheetColHiddenA(from, column));
  int a = 0, b = 0, c = 0, d = 0;
  xlSheetGetSplitA(from, &a, &b);
  xlSheetSplitA(to, a, b);
  xlSheetSetZoomA(to, xlSheetZoomA(from));
  xlSheetGetAutoFilterA(from, &a, &b, &c, &d);
  ASSERT_EQ(xlSheetSetAutoFilterA(to, a, b, c, d), 1);
  const auto same_ranges = [&](auto range, int i) {
    std::vector<int> ranges;
    for (int k = 0; range(i, k, &a, &b, &c, &d); ++k) ranges.insert(ranges.end(), {a, b, c, d});
    return ranges;
  };
  const std::vector<int> list = same_ranges([&](int i, int k, int* r1, int* r2, int* c1, int* c2) {
    return xlSheetDataValidationRangeA(from, i, k, r1, r2, c1, c2);
  }, 0);
  ASSERT_EQ(xlSheetCopyDataValidationA(to, from, 0, list.data(), static_cast<int>(list.size() / 4)), 1);
  const std::vector<int> rule = same_ranges([&](int i, int k, int* r1, int* r2, int* c1, int* c2) {
    return xlSheetConditionalFormatRangeA(from, i, k, r1, r2, c1, c2);
  }, 0);
  ASSERT_EQ(xlSheetCopyConditionalFormatA(to, from, 0, rule.data(), static_cast<int>(rule.size() / 4)), 1);
  xlSheetHyperlinkRangeA(from, 0, &a, &b, &c, &d);
  ASSERT_EQ(xlSheetCopyHyperlinkA(to, from, 0, a, b, c, d), 1);
  ASSERT_EQ(xlSheetCopyPageSetupA(to, from), 1);
  xlSheetGetPrintRepeatRowsA(from, &a, &b);
  ASSERT_EQ(xlSheetSetPrintRepeatRowsA(to, a, b), 1);

  const std::string copy_path = folder.gbk_path("copy.xlsx");
  ASSERT_EQ(xlBookSaveA(copy, copy_path.c_str()), 1);
  BookGuard again;
  xlBookSetKeepFormatA(again, 1);
  ASSERT_EQ(xlBookLoadA(again, copy_path.c_str()), 1);
  EXPECT_EQ(answers(again, xlBookGetSheetA(again, 0)), expected);

  // The cells are dropped from a loaded sheet as a whole only, and the look
  // stays.
  EXPECT_EQ(xlSheetClearA(from, 0, rows - 2, 0, columns - 1), 0);
  EXPECT_EQ(xlSheetClearA(from, 0, rows - 1, 0, columns - 1), 1);
  EXPECT_EQ(xlSheetLastRowA(from), 0);
  EXPECT_EQ(answers(source, from), expected);
}

TEST(Look, Refusals) {
  BookGuard written;
  const SheetHandle sheet = xlBookInsertSheetA(written, 0, "s", nullptr);
  BookGuard plain;  // loaded without its look
  ScratchFolder folder;
  const std::string path = folder.gbk_path("plain.xlsx");
  xlSheetWriteStrA(sheet, 0, 0, "x", nullptr);
  ASSERT_EQ(xlBookSaveA(written, path.c_str()), 1);
  ASSERT_EQ(xlBookLoadA(plain, path.c_str()), 1);
  const SheetHandle loaded = xlBookGetSheetA(plain, 0);
  const FormatHandle own = xlBookAddFormatA(written, nullptr);
  const int one_range[] = {0, 3, 0, 0};
  const int reversed[] = {3, 0, 0, 0};
  struct Case {
    const char* what;
    int result;
    int expected;
  } cases[] = {
      {"a row of a loaded sheet", xlSheetSetRowA(loaded, 0, 20, nullptr, 0), 0},
      {"a row with a format", xlSheetSetRowA(sheet, 0, 20, own, 0), 0},
      {"a row past 409 points", xlSheetSetRowA(sheet, 0, 410, nullptr, 0), 0},
      {"a row before the first", xlSheetSetRowA(sheet, -1, 20, nullptr, 0), 0},
      {"a row", xlSheetSetRowA(sheet, 0, 20, nullptr, 1), 1},
      {"a filter of a loaded sheet", xlSheetSetAutoFilterA(loaded, 0, 1, 0, 1), 0},
      {"a reversed filter", xlSheetSetAutoFilterA(sheet, 2, 1, 0, 1), 0},
      {"a copy from a sheet without its look", xlSheetCopyDataValidationA(sheet, loaded, 0, one_range, 1), 0},
      {"a copy from a written sheet", xlSheetCopyConditionalFormatA(sheet, sheet, 0, one_range, 1), 0},
      {"a copy over a reversed range", xlSheetCopyDataValidationA(sheet, loaded, 0, reversed, 1), 0},
      {"a link from a sheet without its look", xlSheetCopyHyperlinkA(sheet, loaded, 0, 0, 0, 0, 0), 0},
      {"page setup onto a loaded sheet", xlSheetCopyPageSetupA(loaded, sheet), 0},
      {"print titles past the sheet", xlSheetSetPrintRepeatRowsA(sheet, 0, 1 << 21), 0},
      {"a print area of a loaded sheet", xlSheetSetPrintAreaA(loaded, 0, 1, 0, 1), 0},
      {"a loaded sheet's cells in part", xlSheetClearA(loaded, 0, 0, 0, -1), 0},
      {"a written sheet's cells", xlSheetClearA(sheet, 0, 0, 0, 0), 0},
      {"no look read: a cell's format", xlSheetCellFormatA(loaded, 0, 0) != nullptr, 0},
      {"no look read: split", xlSheetGetSplitA(loaded, nullptr, nullptr), 0},
      {"null sheet", xlSheetRowHiddenA(nullptr, 0) + xlSheetHyperlinkSizeA(nullptr) + xlSheetZoomA(nullptr), 100},
      {"a written sheet's own row", xlSheetRowHiddenA(sheet, 0), 1},
  };
  for (const Case& c : cases) EXPECT_EQ(c.result, c.expected) << c.what;
}

}  // namespace
