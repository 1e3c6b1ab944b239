#include "libreoffice_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace sheetlib::testing {

std::string file_bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

Rows parse_libreoffice_csv(const std::string& csv) {
  Rows rows;
  std::vector<std::string> row;
  std::string field;
  bool quoted = false, any = false;
  for (std::size_t i = 0; i < csv.size(); ++i) {
    const char c = csv[i];
    if (quoted) {
      if (c == '"' && i + 1 < csv.size() && csv[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        field += c;
      }
    } else if (c == '"') {
      quoted = any = true;
    } else if (c == ',') {
      row.push_back(field);
      field.clear();
      any = true;
    } else if (c == '\n') {
      if (any || !field.empty()) row.push_back(field);
      rows.push_back(row);
      row.clear();
      field.clear();
      any = false;
    } else if (c != '\r') {
      field += c;
      any = true;
    }
  }
  if (any || !field.empty()) {
    row.push_back(field);
    rows.push_back(row);
  }
  // Trailing rows without any text are the CSV's, not the sheet's.
  while (!rows.empty()) {
    bool empty = true;
    for (const std::string& cell : rows.back()) empty = empty && cell.empty();
    if (!empty) break;
    rows.pop_back();
  }
  return rows;
}

std::string cell_name(int row, int column) {
  std::string letters;
  for (int c = column + 1; c > 0; c = (c - 1) / 26) letters.insert(letters.begin(), static_cast<char>('A' + (c - 1) % 26));
  return letters + std::to_string(row + 1);
}

std::string as_chinese_short_date(const std::string& us_date) {
  int month = 0, day = 0, year = 0;
  char tail = 0;
  if (std::sscanf(us_date.c_str(), "%d/%d/%d%c", &month, &day, &year, &tail) != 3 || year < 1000) return "";
  return std::to_string(year) + "/" + std::to_string(month) + "/" + std::to_string(day);
}

void expect_shown_as_libreoffice_shows(const Rows& ours, const Rows& libreoffice,
                                       const std::map<std::string, std::string>& ours_where_libreoffice_errs,
                                       std::string (*also_accepted)(const std::string&)) {
  const std::size_t row_count = std::max(ours.size(), libreoffice.size());
  for (std::size_t r = 0; r < row_count; ++r) {
    const std::size_t columns =
        std::max(r < ours.size() ? ours[r].size() : 0, r < libreoffice.size() ? libreoffice[r].size() : 0);
    for (std::size_t c = 0; c < columns; ++c) {
      const std::string mine = r < ours.size() && c < ours[r].size() ? ours[r][c] : "";
      const std::string theirs = r < libreoffice.size() && c < libreoffice[r].size() ? libreoffice[r][c] : "";
      const std::string where = cell_name(static_cast<int>(r), static_cast<int>(c));
      if (const auto known = ours_where_libreoffice_errs.find(where); known != ours_where_libreoffice_errs.end()) {
        EXPECT_EQ(mine, known->second) << where;
        continue;
      }
      if (mine == theirs || (also_accepted && mine == also_accepted(theirs))) continue;
      ADD_FAILURE() << where << ": ours \"" << mine << "\", LibreOffice \"" << theirs << "\"";
    }
  }
}

}  // namespace sheetlib::testing
