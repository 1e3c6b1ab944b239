// An output of the export written as CSV instead of a workbook: UTF-8 with a
// byte-order mark, by which spreadsheet applications tell it from the
// system's code page; lines end in CR LF; a field that holds a comma, a
// quote, CR or LF is quoted, its quotes doubled. Every cell is the text the
// list shows.
#pragma once

#include <string>
#include <vector>

#include "app/controls/controls.h"
#include "export/filled_file.h"

namespace colsplit {

class CsvFile final : public FilledFile {
 public:
  // The title rows, the headings, then rows `rows` of the list, each line
  // as many fields as there are headings (a shorter title row filled with
  // empty fields); drives the progress bar from 0 to the row count.
  CsvFile(const ListView& list, const std::vector<int>& rows, const std::vector<Text>& headings,
          const std::vector<std::vector<Text>>& title_rows, ProgressBar& progress);

  bool complete() const override { return true; }
  long long cell_count() const override { return cells_; }
  bool save(const Text& path) override;

  const std::string& bytes() const { return bytes_; }

 private:
  void add_field(const Text& text, bool first);

  std::string bytes_;
  long long cells_ = 0;
};

}  // namespace colsplit
