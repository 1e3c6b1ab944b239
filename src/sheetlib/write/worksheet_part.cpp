#include <algorithm>
#include <cstring>

#include "sheetlib/write/look_markup.h"
#include "sheetlib/write/parts.h"
#include "sheetlib/core/xml_text.h"

namespace sheetlib {

// Column letters of the columns in use, made once per part instead of once per cell.
class ColumnLetters {
 public:
  explicit ColumnLetters(std::uint32_t columns) : letters_(columns) {
    std::string text;
    for (std::uint32_t column = 0; column < columns; ++column) {
      text.clear();
      append_column_letters(text, column);
      letters_[column].length = static_cast<unsigned char>(text.size());
      std::memcpy(letters_[column].text, text.data(), text.size());
    }
  }
  void append(std::string& xml, std::uint32_t column) const {
    xml.append(letters_[column].text, letters_[column].length);
  }

 private:
  struct Letters {
    char text[3];
    unsigned char length;
  };
  std::vector<Letters> letters_;
};

namespace {

void append_range(std::string& xml, std::uint32_t first_row, std::uint32_t first_column, std::uint32_t last_row,
                  std::uint32_t last_column) {
  append_cell_reference(xml, first_row, first_column);
  if (first_row == last_row && first_column == last_column) return;
  xml += ':';
  append_cell_reference(xml, last_row, last_column);
}

void append_columns(std::string& xml, const std::vector<ColumnRun>& columns) {
  if (columns.empty()) return;
  xml += "<cols>";
  for (const ColumnRun& run : columns) {
    xml += "<col min=\"";
    append_number(xml, std::uint64_t{run.first} + 1);
    xml += "\" max=\"";
    append_number(xml, std::uint64_t{run.last} + 1);
    xml += "\" width=\"";
    append_decimal(xml, run.width);
    xml += '"';
    if (run.style != 0) {
      xml += " style=\"";
      append_number(xml, run.style);
      xml += '"';
    }
    if (run.hidden) xml += " hidden=\"1\"";
    xml += " customWidth=\"1\"/>";
  }
  xml += "</cols>";
}

void append_merged_ranges(std::string& xml, const std::vector<CellRange>& ranges) {
  if (ranges.empty()) return;
  xml += "<mergeCells count=\"";
  append_number(xml, ranges.size());
  xml += "\">";
  for (const CellRange& range : ranges) {
    xml += "<mergeCell ref=\"";
    append_range(xml, range.first_row, range.first_column, range.last_row, range.last_column);
    xml += "\"/>";
  }
  xml += "</mergeCells>";
}

// Attribute names in the order of the file format's schema, with their flag.
struct IgnoredErrorAttribute {
  unsigned flag;
  const char* name;
};
constexpr IgnoredErrorAttribute kIgnoredErrorAttributes[] = {
    {kEvalError, "evalError"},
    {kTwoDigitTextYear, "twoDigitTextYear"},
    {kNumberStoredAsText, "numberStoredAsText"},
    {kFormula, "formula"},
    {kFormulaRange, "formulaRange"},
    {kUnlockedFormula, "unlockedFormula"},
    {kEmptyCellReference, "emptyCellReference"},
    {kListDataValidation, "listDataValidation"},
};

void append_ignored_errors(std::string& xml, const std::vector<IgnoredErrorRange>& ranges) {
  if (ranges.empty()) return;
  xml += "<ignoredErrors>";
  for (const IgnoredErrorRange& range : ranges) {
    xml += "<ignoredError sqref=\"";
    append_range(xml, range.first_row, range.first_column, range.last_row, range.last_column);
    xml += '"';
    for (const IgnoredErrorAttribute& attribute : kIgnoredErrorAttributes) {
      if (!(range.flags & attribute.flag)) continue;
      xml += ' ';
      xml += attribute.name;
      xml += "=\"1\"";
    }
    xml += "/>";
  }
  xml += "</ignoredErrors>";
}

}  // namespace

WorksheetStream::WorksheetStream(SheetContent& sheet, bool selected)
    : sheet_(sheet), cells_(sheet.cells()), selected_(selected), row_looks_(rows_to_write(sheet.look())) {}

WorksheetStream::~WorksheetStream() = default;

void WorksheetStream::restart() {
  phase_ = Phase::head;
  next_cell_ = 0;
  next_row_look_ = 0;
  current_row_ = UINT32_MAX;
}

bool WorksheetStream::next(std::string& xml, std::size_t bytes) {
  switch (phase_) {
    case Phase::head:
      append_head(xml);
      phase_ = has_rows() ? Phase::cells : Phase::tail;
      return true;
    case Phase::cells:
      append_cells(xml, bytes);
      if (next_cell_ == cells_.size() && next_row_look_ == row_looks_.size()) phase_ = Phase::tail;
      return true;
    case Phase::tail:
      if (has_rows()) {
        if (current_row_ != UINT32_MAX) xml += "</row>";
        xml += "</sheetData>";
      }
      append_filter(xml, sheet_.look());
      append_merged_ranges(xml, sheet_.merged_ranges());
      append_look_after_merges(xml, sheet_.look());
      append_ignored_errors(xml, sheet_.ignored_errors());
      xml += "</worksheet>";
      phase_ = Phase::done;
      return true;
    case Phase::done:
      break;
  }
  return false;
}

void WorksheetStream::append_head(std::string& xml) {
  const Extent extent = sheet_.cell_extent();
  columns_ = extent.columns;
  xml += kXmlDeclaration;
  xml += "<worksheet xmlns=\"";
  xml += kSpreadsheetNamespace;
  xml += "\" xmlns:r=\"";
  xml += kRelationshipsNamespace;
  xml += "\">";
  // The print fits its pages only with this flag set.
  if (sheet_.look().fit_to_page) xml += "<sheetPr><pageSetUpPr fitToPage=\"1\"/></sheetPr>";
  xml += "<dimension ref=\"";
  if (extent.rows == 0) {
    xml += "A1";
  } else {
    std::uint32_t first_column = extent.columns - 1;
    for (const CellEntry& cell : cells_) first_column = std::min(first_column, cell.column);
    append_range(xml, cells_.front().row, first_column, extent.rows - 1, extent.columns - 1);
  }
  xml += "\"/>";
  append_sheet_views(xml, sheet_.look(), selected_);
  append_sheet_format(xml, sheet_.look());
  append_columns(xml, sheet_.columns());
  xml += has_rows() ? "<sheetData>" : "<sheetData/>";
}

void WorksheetStream::append_cells(std::string& xml, std::size_t bytes) {
  if (!letters_) letters_ = std::make_unique<ColumnLetters>(columns_);
  const std::size_t stop = xml.size() + bytes;
  while (xml.size() < stop) {
    // Rows with a look but no cells go in their place among the others.
    if (next_row_look_ < row_looks_.size() &&
        (next_cell_ == cells_.size() || row_looks_[next_row_look_].row < cells_[next_cell_].row)) {
      if (current_row_ != UINT32_MAX) xml += "</row>";
      current_row_ = UINT32_MAX;
      const RowLook& row = row_looks_[next_row_look_++];
      xml += "<row r=\"";
      append_number(xml, std::uint64_t{row.row} + 1);
      xml += '"';
      append_row_attributes(xml, row);
      xml += "/>";
      continue;
    }
    if (next_cell_ == cells_.size()) break;
    const CellEntry& cell = cells_[next_cell_++];
    if (cell.row != current_row_) {
      if (current_row_ != UINT32_MAX) xml += "</row>";
      current_row_ = cell.row;
      std::string number;
      append_number(number, std::uint64_t{cell.row} + 1);
      row_number_length_ = number.size();
      std::memcpy(row_number_, number.data(), number.size());
      xml += "<row r=\"";
      xml.append(row_number_, row_number_length_);
      xml += '"';
      if (next_row_look_ < row_looks_.size() && row_looks_[next_row_look_].row == cell.row) {
        append_row_attributes(xml, row_looks_[next_row_look_++]);
      }
      xml += '>';
    }
    xml += "<c r=\"";
    letters_->append(xml, cell.column);
    xml.append(row_number_, row_number_length_);
    xml += '"';
    const std::uint32_t style = cell.style();
    if (style != 0) {
      xml += " s=\"";
      append_number(xml, style);
      xml += '"';
    }
    switch (cell.kind()) {
      case EntryKind::string:
        if (cell.value == kNoString) {
          xml += "/>";
        } else {
          xml += " t=\"s\"><v>";
          append_number(xml, cell.value);
          xml += "</v></c>";
        }
        break;
      case EntryKind::number:
        xml += "><v>";
        append_cell_number(xml, sheet_.number(cell));
        xml += "</v></c>";
        break;
      case EntryKind::boolean:
        xml += cell.value ? " t=\"b\"><v>1</v></c>" : " t=\"b\"><v>0</v></c>";
        break;
    }
  }
}

std::uint64_t WorksheetStream::size() {
  std::uint64_t total = 0;
  std::string piece;
  restart();
  while (next(piece, kPieceBytes)) {
    total += piece.size();
    piece.clear();
  }
  restart();
  return total;
}

std::string worksheet_part(SheetContent& sheet, bool selected) {
  WorksheetStream stream(sheet, selected);
  std::string xml;
  while (stream.next(xml, WorksheetStream::kPieceBytes)) {
  }
  return xml;
}

}  // namespace sheetlib
