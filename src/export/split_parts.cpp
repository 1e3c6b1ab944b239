#include "export/split_parts.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <unordered_map>

#include "app/controls/split_session.h"
#include "export/grouping.h"
#include "export/output_names.h"
#include "text/formatted_text.h"
#include "text/texts.h"

namespace colsplit {

std::vector<int> split_columns(int chosen, const std::vector<int>& also_by, int column_count) {
  std::vector<int> columns{chosen};
  for (const int column : also_by) {
    if (columns.size() > SplitChoices::kMostAlsoBy) break;
    if (column < 0 || column >= column_count) continue;
    if (std::find(columns.begin(), columns.end(), column) == columns.end()) columns.push_back(column);
  }
  return columns;
}

namespace {

// The values of several columns as one key: each length-prefixed, so that
// no two different combinations give the same bytes whatever they hold.
void append_key_piece(std::string& key, const Text& value) {
  const auto length = static_cast<std::uint32_t>(value.size());
  key.append(reinterpret_cast<const char*>(&length), sizeof length);
  key += value;
}

SplitPart combined_part(const std::vector<Text>& values) {
  SplitPart part;
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i > 0) {
      part.value += '\t';
      part.name_piece += '_';
      part.sheet_name += '_';
    }
    part.value += values[i];
    part.name_piece += clean_name_piece(values[i]);
    part.sheet_name += values[i];
  }
  return part;
}

}  // namespace

std::vector<SplitPart> parts_by_columns(const ListView& list, const std::vector<int>& columns) {
  std::vector<SplitPart> parts;
  if (columns.size() == 1) {
    for (Group& group : collect_groups(list, columns.front())) {
      parts.push_back({group.value, clean_name_piece(group.value), group.value, std::move(group.rows)});
    }
    return parts;
  }
  std::unordered_map<std::string, std::size_t> part_of_key;
  std::vector<Text> values(columns.size());
  std::string key;
  const int rows = list.row_count();
  for (int row = 0; row < rows; ++row) {
    key.clear();
    for (std::size_t i = 0; i < columns.size(); ++i) {
      values[i] = list.cell_text(row, columns[i]);
      append_key_piece(key, values[i]);
    }
    const auto [found, is_new] = part_of_key.try_emplace(key, parts.size());
    if (is_new) parts.push_back(combined_part(values));
    parts[found->second].rows.push_back(row);
  }
  return parts;
}

std::vector<SplitPart> parts_by_runs(int row_count, int rows_per_part) {
  std::vector<SplitPart> parts;
  if (rows_per_part <= 0) return parts;
  for (long long first = 0; first < row_count; first += rows_per_part) {
    const int last = static_cast<int>(std::min<long long>(first + rows_per_part, row_count));
    SplitPart part;
    part.value = format_text(texts::kRunNameFormat, static_cast<int>(first) + 1, last);
    part.name_piece = clean_name_piece(part.value);
    part.sheet_name = part.value;
    part.rows.reserve(static_cast<std::size_t>(last - first));
    for (int row = static_cast<int>(first); row < last; ++row) part.rows.push_back(row);
    parts.push_back(std::move(part));
  }
  return parts;
}

}  // namespace colsplit
