// What LibreOffice shows of a workbook's first sheet (its CSV of the cells'
// texts as shown), and the comparison of the reader's texts with it.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace sheetlib::testing {

using Rows = std::vector<std::vector<std::string>>;

// The whole file's bytes; empty when it cannot be read.
std::string file_bytes(const std::string& path);

// LibreOffice's CSV: comma-separated, text in double quotes when it holds a
// comma, quote or line break, quotes doubled; trailing empty rows dropped.
Rows parse_libreoffice_csv(const std::string& csv);

// "A1" for row 0, column 0.
std::string cell_name(int row, int column);

// The built-in format 14 is the system's short date: LibreOffice, running
// with en-US, shows it as m/d/yyyy; a Chinese Excel, which the reader
// follows, as yyyy/m/d. The expected text in the reader's form, or empty.
std::string as_chinese_short_date(const std::string& us_date);

// Compares the reader's texts (UTF-8) with LibreOffice's, cell by cell, and
// adds a test failure for each cell that differs. `ours_where_libreoffice_errs`
// gives, by cell name, what the reader shows where LibreOffice is wrong;
// `also_accepted`, when given, another text accepted for a LibreOffice text.
void expect_shown_as_libreoffice_shows(const Rows& ours, const Rows& libreoffice,
                                       const std::map<std::string, std::string>& ours_where_libreoffice_errs = {},
                                       std::string (*also_accepted)(const std::string&) = nullptr);

}  // namespace sheetlib::testing
