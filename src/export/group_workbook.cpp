#include "export/group_workbook.h"

#include <string_view>

#include "text/gb18030.h"
#include "text/gbk_chars.h"
#include "text/unicode.h"
#include "app/texts.h"
#include "xl/library_calls.h"
#include "xl/workbook_provisioning.h"

namespace colsplit {

namespace {

constexpr int kThinBorder = 1;
constexpr int kAllIgnoredErrors = 255;
constexpr std::size_t kLongestSheetName = 31;  // UTF-16 units

// Besides : \ / ? * [ ], sheet names hold no control characters: a value
// with a line break or a tab would otherwise leave its group without a sheet.
bool is_refused_in_sheet_names(char c) {
  return static_cast<unsigned char>(c) < 0x20 || std::string_view(":\\/?*[]").find(c) != std::string_view::npos;
}

std::string_view trim_apostrophes(std::string_view name) {
  while (!name.empty() && name.front() == '\'') name.remove_prefix(1);
  // A trailing apostrophe byte may be the trail byte of a GBK character;
  // only a single-byte one is an apostrophe.
  while (!name.empty()) {
    const std::size_t last = find_last_char(name, '\'');
    if (last == std::string_view::npos || last + 1 != name.size()) break;
    name.remove_suffix(1);
  }
  return name;
}

// Sheet names are counted in UTF-16 units, as spreadsheet applications
// count them: a character above U+FFFF takes two.
std::string_view cut_to_units(std::string_view text, std::size_t units) {
  std::size_t pos = 0;
  for (std::size_t count = 0; pos < text.size();) {
    std::size_t next = pos;
    count += utf16_length(next_gbk(text, next));
    if (count > units) break;
    pos = next;
  }
  return text.substr(0, pos);
}

xl::SheetHandle insert_named_sheet(xl::BookHandle book, const Text& name) {
  const int index = xl::xlBookSheetCountA(book);
  xl::SheetHandle sheet = xl::xlBookInsertSheetA(book, index, name, nullptr);
  if (!sheet) sheet = xl::xlBookInsertSheetA(book, index, fallback_sheet_name(name), nullptr);
  return sheet;
}

}  // namespace

Text fallback_sheet_name(const Text& name) {
  Text cleaned = name;
  for (std::size_t pos = 0; pos < cleaned.size(); pos += gbk_char_length(cleaned, pos)) {
    if (gbk_char_length(cleaned, pos) == 1 && is_refused_in_sheet_names(cleaned[pos])) cleaned[pos] = '_';
  }
  Text result(trim_apostrophes(cut_to_units(trim_apostrophes(cleaned), kLongestSheetName)));
  return result.empty() ? Text(texts::kBlankSheetName) : result;
}

bool write_group_workbook(ListView& rows, ProgressBar& progress, const std::vector<Text>& headers,
                          const Text& sheet_name, std::optional<int> column_width, const Text& path) {
  const int width = column_width.value_or(kDefaultExportColumnWidth);
  const int row_count = rows.row_count();
  const int columns = static_cast<int>(headers.size());

  const xl::BookHandle book = xl::create_workbook();
  const xl::SheetHandle sheet = insert_named_sheet(book, sheet_name);
  bool saved = false;
  if (sheet) {
    const xl::FormatHandle border = xl::xlBookAddFormatA(book, nullptr);
    xl::xlFormatSetBorderA(border, kThinBorder);
    // A cell the library refuses (a text longer than a cell may hold) would
    // be missing from a saved workbook without a word; such a workbook is
    // not saved and so counts among those the final message lists.
    bool all_written = true;
    for (int column = 0; column < columns; ++column) {
      all_written &= xl::xlSheetWriteStrA(sheet, 0, column, headers[static_cast<std::size_t>(column)], border) == 1;
    }
    progress.set_position(0);
    progress.set_maximum(row_count);
    for (int item = 0; item < row_count; ++item) {
      for (int column = 0; column < columns; ++column) {
        all_written &= xl::xlSheetWriteStrA(sheet, item + 1, column, rows.cell_text(item, column), border) == 1;
      }
      progress.set_position(bar_position(item + 1, row_count));
    }
    // One row and two columns beyond the cells, so that the whole area the
    // user sees around the data shows no "number stored as text" marks.
    xl::xlSheetAddIgnoredErrorA(sheet, 0, 0, row_count + 1, columns + 1, kAllIgnoredErrors);
    xl::xlSheetSetColA(sheet, 0, columns, static_cast<double>(width), nullptr, 0);
    if (all_written) progress.run_unmeasured([&] { saved = xl::xlBookSaveA(book, path) == 1; });
  }
  xl::xlBookReleaseA(book);
  return saved;
}

}  // namespace colsplit
