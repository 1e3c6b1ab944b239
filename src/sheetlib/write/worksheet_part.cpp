#include <algorithm>
#include <cstring>

#include "sheetlib/write/parts.h"
#include "sheetlib/write/xml_text.h"

namespace sheetlib {

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

void append_sheet_data(std::string& xml, const std::vector<CellEntry>& cells, std::uint32_t columns) {
  if (cells.empty()) {
    xml += "<sheetData/>";
    return;
  }
  const ColumnLetters letters(columns);
  char row_number[16];
  std::size_t row_number_length = 0;
  xml += "<sheetData>";
  std::uint32_t current_row = UINT32_MAX;
  for (const CellEntry& cell : cells) {
    if (cell.row != current_row) {
      if (current_row != UINT32_MAX) xml += "</row>";
      current_row = cell.row;
      std::string number;
      append_number(number, std::uint64_t{cell.row} + 1);
      row_number_length = number.size();
      std::memcpy(row_number, number.data(), number.size());
      xml += "<row r=\"";
      xml.append(row_number, row_number_length);
      xml += "\">";
    }
    xml += "<c r=\"";
    letters.append(xml, cell.column);
    xml.append(row_number, row_number_length);
    xml += '"';
    if (cell.style != 0) {
      xml += " s=\"";
      append_number(xml, cell.style);
      xml += '"';
    }
    if (cell.string_index == kNoString) {
      xml += "/>";
    } else {
      xml += " t=\"s\"><v>";
      append_number(xml, cell.string_index);
      xml += "</v></c>";
    }
  }
  xml += "</row></sheetData>";
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

std::size_t digits(std::uint64_t value) {
  std::size_t count = 1;
  while (value >= 10) {
    value /= 10;
    ++count;
  }
  return count;
}

// An upper bound of the length of the <sheetData> element.
std::size_t sheet_data_bound(const std::vector<CellEntry>& cells, const Extent& extent) {
  std::uint32_t max_style = 0;
  std::uint32_t max_string = 0;
  std::size_t rows = 0;
  std::uint32_t current_row = UINT32_MAX;
  for (const CellEntry& cell : cells) {
    max_style = std::max(max_style, cell.style);
    if (cell.string_index != kNoString) max_string = std::max(max_string, cell.string_index);
    if (cell.row != current_row) {
      current_row = cell.row;
      ++rows;
    }
  }
  const std::size_t row_digits = digits(extent.rows);
  const std::size_t letters = extent.columns > 702 ? 3 : extent.columns > 26 ? 2 : 1;
  // <c r="AB12" s="1" t="s"><v>123</v></c>
  const std::size_t per_cell = 6 + letters + row_digits + 1 + 5 + digits(max_style) + 10 + digits(max_string) + 8;
  // <row r="12"></row>
  const std::size_t per_row = 10 + row_digits + 6;
  return 32 + cells.size() * per_cell + rows * per_row;
}

}  // namespace

std::string worksheet_part(SheetContent& sheet, bool selected) {
  const std::vector<CellEntry>& cells = sheet.cells();
  const Extent extent = sheet.cell_extent();

  // Reserved for the longest cells this sheet can have, so that the part,
  // the largest buffer of a save, is never copied while it grows.
  std::string xml;
  xml.reserve(sheet_data_bound(cells, extent) + 1024 + sheet.columns().size() * 80 +
              sheet.ignored_errors().size() * 240);
  xml += kXmlDeclaration;
  xml += "<worksheet xmlns=\"";
  xml += kSpreadsheetNamespace;
  xml += "\" xmlns:r=\"";
  xml += kRelationshipsNamespace;
  xml += "\"><dimension ref=\"";
  if (extent.rows == 0) {
    xml += "A1";
  } else {
    std::uint32_t first_column = extent.columns - 1;
    for (const CellEntry& cell : cells) first_column = std::min(first_column, cell.column);
    append_range(xml, cells.front().row, first_column, extent.rows - 1, extent.columns - 1);
  }
  xml += "\"/><sheetViews><sheetView";
  if (selected) xml += " tabSelected=\"1\"";
  xml += " workbookViewId=\"0\"/></sheetViews><sheetFormatPr defaultRowHeight=\"15\"/>";
  append_columns(xml, sheet.columns());
  append_sheet_data(xml, cells, extent.columns);
  xml += "<pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" header=\"0.3\" footer=\"0.3\"/>";
  append_ignored_errors(xml, sheet.ignored_errors());
  xml += "</worksheet>";
  return xml;
}

}  // namespace sheetlib
