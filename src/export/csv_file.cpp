#include "export/csv_file.h"

#include <string_view>

#include "text/whole_files.h"
#include "text/encoding.h"

namespace colsplit {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kLineEnd = "\r\n";

}  // namespace

CsvFile::CsvFile(const ListView& list, const std::vector<int>& rows, const std::vector<Text>& headings,
                 const std::vector<std::vector<Text>>& title_rows, ProgressBar& progress) {
  const std::size_t columns = headings.size();
  bytes_ = kByteOrderMark;
  const Text empty;
  for (const std::vector<Text>& titles : title_rows) {
    for (std::size_t column = 0; column < columns; ++column) {
      add_field(column < titles.size() ? titles[column] : empty, column == 0);
    }
    bytes_ += kLineEnd;
  }
  for (std::size_t column = 0; column < columns; ++column) add_field(headings[column], column == 0);
  bytes_ += kLineEnd;

  const int row_count = static_cast<int>(rows.size());
  progress.set_position(0);
  progress.set_maximum(row_count);
  for (int item = 0; item < row_count; ++item) {
    const int row = rows[static_cast<std::size_t>(item)];
    for (std::size_t column = 0; column < columns; ++column) {
      add_field(list.cell_text(row, static_cast<int>(column)), column == 0);
    }
    bytes_ += kLineEnd;
    progress.set_position(bar_position(item + 1, row_count));
  }
  cells_ = static_cast<long long>(title_rows.size() + 1 + rows.size()) * static_cast<long long>(columns);
}

void CsvFile::add_field(const Text& text, bool first) {
  if (!first) bytes_ += ',';
  const GbkAsUtf8 converted(text);
  const std::string_view field = converted.text();
  if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
    bytes_ += field;
    return;
  }
  bytes_ += '"';
  for (const char c : field) {
    if (c == '"') bytes_ += '"';
    bytes_ += c;
  }
  bytes_ += '"';
}

bool CsvFile::save(const Text& path) { return write_file_atomically(path, bytes_); }

}  // namespace colsplit
