// What LibreOffice shows of a sheet, as its CSV export ("save cell contents
// as shown") gives it: the reference that the reader's comparison tests
// hold their grids to.
#pragma once

#include <string>
#include <vector>

namespace sheetlib::testing {

using Rows = std::vector<std::vector<std::string>>;

// The whole file's bytes; empty when it cannot be read.
std::string file_bytes(const std::string& path);

// LibreOffice's CSV: comma-separated, text in double quotes when it holds a
// comma, quote or line break, quotes doubled. Trailing rows without any text
// are the CSV's, not the sheet's, and are left out.
Rows parse_csv(const std::string& csv);

// The built-in format 14 is the system's short date: LibreOffice, running
// with en-US, shows it as m/d/yyyy; a Chinese Excel, which the reader
// follows, as yyyy/m/d. The expected text in the reader's form, or empty.
std::string as_chinese_short_date(const std::string& us_date);

// "B7" for row 6, column 1.
std::string cell_name(int row, int column);

}  // namespace sheetlib::testing
