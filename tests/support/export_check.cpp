#include "support/export_check.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>

#include "text/encoding.h"
#include "text/gbk_chars.h"
#include "support/gbk_literal.h"
#include "support/temp_folder.h"
#include "xl/library_calls.h"
#include "xl/owned_book.h"
#include "xl/workbook_provisioning.h"

namespace colsplit::testing {

namespace {

#ifdef _WIN32
constexpr const char* kSeparator = "\\";
#else
constexpr const char* kSeparator = "/";
#endif

using Row = std::vector<Text>;
using RowCounts = std::map<Row, int>;

bool forbidden_in_names(unsigned char c) {
  return c < 0x20 || c == 0x7F || (c != 0 && std::strchr("\\/:*?\"<>|", c) != nullptr);
}

// True when `piece` is the start of `value`, each character forbidden in
// names standing as '_'.
bool piece_of_value(std::string_view piece, std::string_view value) {
  for (std::size_t pos = 0; pos < piece.size();) {
    if (pos >= value.size()) return false;
    const std::size_t length = gbk_char_length(value, pos);
    if (length == 1 && forbidden_in_names(static_cast<unsigned char>(value[pos]))) {
      if (piece[pos] != '_') return false;
    } else if (piece.substr(pos, length) != value.substr(pos, length)) {
      return false;
    }
    pos += length;
  }
  return true;
}

// The value piece of a group workbook's name: "按内容导出_" piece "_" stamp,
// then perhaps " (n)", then ".xlsx". Nothing when the name is not of that form.
std::optional<std::string_view> value_piece(std::string_view name) {
  static const Text prefix = gbk(u8"按内容导出_");
  if (!name.ends_with(".xlsx")) return std::nullopt;
  name.remove_suffix(5);
  if (name.ends_with(")")) {
    const std::size_t open = name.rfind(" (");
    if (open != std::string_view::npos) name = name.substr(0, open);
  }
  if (!name.starts_with(prefix)) return std::nullopt;
  name.remove_prefix(prefix.size());
  const std::size_t last = find_last_char(name, '_');
  if (last == std::string_view::npos) return std::nullopt;
  return name.substr(0, last);
}

std::vector<Text> split_lines(std::string_view text) {
  std::vector<Text> lines;
  for (std::size_t end; (end = text.find("\r\n")) != std::string_view::npos; text.remove_prefix(end + 2))
    lines.emplace_back(text.substr(0, end));
  lines.emplace_back(text);
  return lines;
}

Text gbk_name(const std::filesystem::path& path) {
#ifdef _WIN32
  return wide_to_gbk(path.filename().wstring());
#else
  return utf8_to_gbk(path.filename().string());
#endif
}

struct ReadBack {
  bool loaded = false;
  std::vector<Row> rows;  // heading row first
  int columns = 0;
};

ReadBack read_workbook(const Text& path, std::size_t width) {
  ReadBack book;
  const xl::OwnedBook owned_handle(xl::create_workbook());
  const xl::BookHandle handle = owned_handle.get();
  if (xl::xlBookLoadA(handle, path) == 1) {
    book.loaded = true;
    const xl::SheetHandle sheet = xl::xlBookGetSheetA(handle, 0);
    const int rows = xl::xlSheetLastRowA(sheet);
    book.columns = xl::xlSheetLastColA(sheet);
    const int columns = std::max(book.columns, static_cast<int>(width));
    for (int r = 0; r < rows; ++r) {
      Row row;
      for (int c = 0; c < columns; ++c) row.push_back(xl::xlSheetReadStrA(sheet, r, c, nullptr));
      book.rows.push_back(std::move(row));
    }
  }
  return book;
}

}  // namespace

SheetTexts sheet_of(const ListView& list) {
  SheetTexts sheet;
  for (int c = 0; c < list.column_count(); ++c) sheet.headings.push_back(list.column_heading(c));
  for (int r = 0; r < list.row_count(); ++r) {
    Row row;
    for (int c = 0; c < list.column_count(); ++c) row.push_back(list.cell_text(r, c));
    sheet.rows.push_back(std::move(row));
  }
  return sheet;
}

ExportCheck check_export(const SheetTexts& sheet, int split_column, const Text& export_folder,
                         const Text& final_message) {
  ExportCheck check;
  const auto problem = [&](const std::string& what, const Text& gbk_detail = {}) {
    check.problems.push_back(what + (gbk_detail.empty() ? "" : ": " + gbk_to_utf8(gbk_detail)));
  };
  const auto column = static_cast<std::size_t>(split_column);

  // What the final message says was not saved.
  std::vector<Text> listed;
  const std::vector<Text> lines = split_lines(final_message);
  if (final_message == gbk(u8"按指定列内容筛选导出完成")) {
  } else if (lines.size() > 1 && lines[0] == gbk(u8"导出完成，但以下文件未能保存：")) {
    listed.assign(lines.begin() + 1, lines.end());
    check.unsaved = static_cast<int>(listed.size());
    int total = 0;
    char rest = 0;
    const Text count_format = gbk(u8"……共 %d 个%c");
    if (std::sscanf(listed.back().c_str(), count_format.c_str(), &total, &rest) == 1) {
      listed.pop_back();
      check.unsaved = total;
      if (listed.size() != 20 || total <= 20) problem("the count line follows other than 20 paths");
    } else if (listed.size() > 20) {
      problem("more than 20 paths listed");
    }
  } else {
    problem("unexpected final message", final_message);
  }
  const std::set<Text> listed_paths(listed.begin(), listed.end());
  if (listed_paths.size() != listed.size()) problem("a path listed twice");

  // The input's rows by value, and the order of first appearance.
  std::map<Text, RowCounts> expected;
  std::vector<Text> values;
  for (const Row& row : sheet.rows) {
    const Text& value = row.at(column);
    if (!expected.count(value)) values.push_back(value);
    ++expected[value][row];
  }

  // Every written workbook: the heading row, then rows of one value.
  std::map<Text, RowCounts> written;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(fs_path(export_folder), error)) {
    const Text name = gbk_name(entry.path());
    const Text path = export_folder + kSeparator + name;
    if (listed_paths.count(path)) continue;
    const std::optional<std::string_view> piece = value_piece(name);
    if (!entry.is_regular_file() || !piece) {
      problem("a stray entry in the export folder", name);
      continue;
    }
    const ReadBack book = read_workbook(path, sheet.headings.size());
    ++check.written;
    if (!book.loaded) {
      problem("a workbook that does not load", name);
      continue;
    }
    if (book.columns > static_cast<int>(sheet.headings.size())) problem("more columns than the sheet", name);
    if (book.rows.empty() || book.rows[0] != sheet.headings) problem("no heading row first", name);
    if (book.rows.size() < 2) {
      problem("a workbook without rows", name);
      continue;
    }
    const Text& value = book.rows[1].at(column);
    if (!piece_of_value(*piece, value)) problem("a workbook named for another value", name);
    if (written.count(value)) problem("a value in two workbooks", name);
    RowCounts& rows = written[value];
    for (std::size_t r = 1; r < book.rows.size(); ++r) {
      if (book.rows[r].at(column) != value) problem("a row of another value", name);
      ++rows[book.rows[r]];
    }
  }
  if (error) problem("the export folder cannot be listed", export_folder);

  // Each value: all its rows written once, or its workbook listed.
  std::vector<Text> unwritten;
  for (const Text& value : values) {
    const auto found = written.find(value);
    if (found == written.end()) {
      unwritten.push_back(value);
    } else if (found->second != expected[value]) {
      problem("rows lost or doubled in the workbook of", value);
    }
  }
  for (const auto& [value, rows] : written) {
    if (!expected.count(value)) problem("a workbook of a value the sheet does not have", value);
  }
  if (static_cast<int>(unwritten.size()) != check.unsaved)
    problem("values without a workbook: " + std::to_string(unwritten.size()) + ", reported not saved: " +
            std::to_string(check.unsaved));
  // Listed in run order, which is the order of first appearance.
  std::size_t next = 0;
  for (const Text& path : listed) {
    const Text name = path.substr(std::min(path.size(), export_folder.size() + 1));
    const std::optional<std::string_view> piece = value_piece(name);
    const bool in_folder = path.starts_with(export_folder + kSeparator);
    while (next < unwritten.size() && !(in_folder && piece && piece_of_value(*piece, unwritten[next]))) ++next;
    if (next == unwritten.size()) {
      problem("a listed path that is no group's without a workbook", path);
      break;
    }
    ++next;
  }
  return check;
}

}  // namespace colsplit::testing
