// The parts of an .xlsx package that the writer makes, one function (and one
// source file) per part. Each returns the part's XML, but for the shared
// strings, whose items are deflated as the strings come (DeflatedBytes), and
// the worksheet, which a large sheet gives piece by piece (WorksheetStream).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sheetlib/core/sheet_look.h"
#include "sheetlib/write/deflated_part.h"
#include "sheetlib/write/sheet_content.h"

namespace sheetlib {

struct SheetToWrite {
  std::string name_utf8;
  SheetContent* content;
};

// [Content_Types].xml: the type of every part; `theme` when the package has
// xl/theme/theme1.xml.
std::string content_types_part(std::size_t sheet_count, bool theme = false);

// _rels/.rels: where the workbook is.
std::string package_relationships_part();

// xl/workbook.xml and xl/_rels/workbook.xml.rels: the sheets, in order, and
// the parts they and the workbook refer to (sheet i is worksheets/sheet<i+1>.xml),
// and the names of the sheets' filters, print titles and print areas.
std::string workbook_part(const std::vector<SheetToWrite>& sheets);
std::string workbook_relationships_part(std::size_t sheet_count, bool theme = false);

// One cell format of the workbook, as the styles part describes it.
struct CellFormatToWrite {
  int border = 0;         // style of its four sides: 0 none, 1 thin, … 13 slantDashDot
  int number_format = 0;  // below 164 a built-in id, else a code of the workbook's own
  // A format taken from a loaded book: its font, fill and border (indexes
  // into the lists of the written book's BookLook), alignment and
  // protection; `border` is then not used.
  const CellLook* look = nullptr;
};

// xl/styles.xml: the workbook's own number format codes (`custom_codes[i]`,
// UTF-8, has id 164 + i), the default font, fills and border, and one cell
// format for each entry of `formats`: cell format i + 1 is formats[i].
std::string styles_part(const std::vector<CellFormatToWrite>& formats, const std::vector<std::string>& custom_codes,
                        const BookLook& look = {});

// xl/sharedStrings.xml, deflated (its items were made, and most of them
// deflated, as the strings came); `reference_count` is the number of cells
// using it.
DeflatedBytes shared_strings_part(SharedStrings& strings, std::uint64_t reference_count);

// xl/worksheets/sheetN.xml. `selected` marks the tab shown when the workbook opens.
std::string worksheet_part(SheetContent& sheet, bool selected);

// xl/worksheets/_rels/sheetN.xml.rels: the addresses the sheet's links go
// to; empty when no link leaves the workbook.
std::string worksheet_relationships_part(const SheetLook& look);

class ColumnLetters;

// The same part made piece by piece, so that a sheet of millions of cells
// never lies in memory as XML: the package deflates it as it comes.
class WorksheetStream {
 public:
  static constexpr std::size_t kPieceBytes = 256 * 1024;

  WorksheetStream(SheetContent& sheet, bool selected);
  ~WorksheetStream();
  WorksheetStream(const WorksheetStream&) = delete;
  WorksheetStream& operator=(const WorksheetStream&) = delete;

  // Appends the next piece (about `bytes` long, a little more) to `xml`;
  // false, appending nothing, once the part is complete.
  bool next(std::string& xml, std::size_t bytes);
  // Starts again at the beginning of the part.
  void restart();
  // The part's length in bytes (made once to count it); starts again.
  std::uint64_t size();

 private:
  enum class Phase { head, cells, tail, done };
  void append_head(std::string& xml);
  void append_cells(std::string& xml, std::size_t bytes);
  bool has_rows() const { return !cells_.empty() || !row_looks_.empty(); }

  SheetContent& sheet_;
  const std::vector<CellEntry>& cells_;
  bool selected_;
  // The rows that have a height or are hidden, in row order.
  std::vector<RowLook> row_looks_;
  std::size_t next_row_look_ = 0;
  Phase phase_ = Phase::head;
  std::uint32_t columns_ = 0;
  std::unique_ptr<ColumnLetters> letters_;
  std::size_t next_cell_ = 0;
  std::uint32_t current_row_ = UINT32_MAX;
  char row_number_[16] = {};
  std::size_t row_number_length_ = 0;
};

// docProps/app.xml: the application that wrote the workbook.
std::string application_properties_part();

// The whole package as zip bytes, or an empty string when it cannot be built.
// `look` holds the fonts, fills, borders, dxfs, palette and theme that
// formats taken from loaded books use (empty for a plain workbook).
std::string build_package(const std::vector<SheetToWrite>& sheets, SharedStrings& strings,
                          const std::vector<CellFormatToWrite>& formats, const std::vector<std::string>& custom_codes,
                          const BookLook& look = {});

inline constexpr char kSpreadsheetNamespace[] = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
inline constexpr char kRelationshipsNamespace[] =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
inline constexpr char kXmlDeclaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";

}  // namespace sheetlib
