// The workbooks of a folder as openpyxl reads them (dump_workbooks.py, run
// with Debian's python3): the second reader beside our own.
#pragma once

#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace colsplit::testing {

using DumpedRows = std::vector<std::vector<std::string>>;  // UTF-8, empty for no value

struct WorkbookDump {
  std::vector<std::string> sheets;
  DumpedRows rows;
  bool strings = false;
  bool borders = false;
  std::vector<std::string> cols;
  std::vector<std::string> ignored;
};

// A cell value as dump_workbooks.py escapes it.
inline std::string unescaped(const std::string& field) {
  std::string text;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\' || i + 1 == field.size()) {
      text += field[i];
      continue;
    }
    const char next = field[++i];
    text += next == 't' ? '\t' : next == 'r' ? '\r' : next == 'n' ? '\n' : next;
  }
  return text;
}

inline std::vector<std::string> split_tabs(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1) {
    fields.push_back(line.substr(start, tab - start));
  }
  fields.push_back(line.substr(start));
  return fields;
}

// The workbooks of a folder by file name (UTF-8), as dump_workbooks.py reads them.
inline std::map<std::string, WorkbookDump> read_back(const std::filesystem::path& folder) {
  const std::string command = std::string(COLSPLIT_PYTHON) + " '" + COLSPLIT_SOURCE_DIR +
                              "/tests/export/dump_workbooks.py' '" + folder.string() + "'";
  std::map<std::string, WorkbookDump> books;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return books;
  std::string output;
  char buffer[4096];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, got);
  EXPECT_EQ(pclose(pipe), 0) << command;

  WorkbookDump* book = nullptr;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    std::vector<std::string> fields = split_tabs(line);
    const std::string kind = fields[0];
    fields.erase(fields.begin());
    if (kind == "FILE") book = &books[fields.at(0)];
    if (!book) continue;
    if (kind == "SHEETS") book->sheets = fields;
    if (kind == "ROW") {
      for (std::string& field : fields) field = field == "<null>" ? std::string() : unescaped(field);
      book->rows.push_back(fields);
    }
    if (kind == "STRINGS") book->strings = fields.at(0) == "yes";
    if (kind == "BORDERS") book->borders = fields.at(0) == "yes";
    if (kind == "COLS") book->cols.push_back(fields.at(0));
    if (kind == "IGNORED") book->ignored.push_back(fields.at(0) + " " + fields.at(1));
  }
  return books;
}

}  // namespace colsplit::testing
