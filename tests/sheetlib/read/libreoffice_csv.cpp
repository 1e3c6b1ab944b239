#include "libreoffice_csv.h"

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

Rows parse_csv(const std::string& csv) {
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

}  // namespace sheetlib::testing
