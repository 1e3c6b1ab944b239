// The worksheet part: the cells of <sheetData>, each stored as the text it
// shows (and a number, boolean or error with its value), and around them
// the column widths and merged ranges. <dimension> is not read: writers get
// it wrong, and cells say where they are.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sheetlib/format/number_format.h"
#include "sheetlib/core/cell_storage.h"
#include "sheetlib/core/grid_text.h"
#include "sheetlib/core/limits.h"
#include "sheetlib/core/read_status.h"
#include "sheetlib/core/style_formats.h"
#include "sheetlib/read/shared_strings_part.h"
#include "sheetlib/read/sheet_look_part.h"
#include "sheetlib/read/styles_part.h"
#include "sheetlib/read/xml_stream.h"

namespace sheetlib {

// The text without the white space XML allows around a value.
std::string_view trim_xml_space(std::string_view text);

// Parses a cell reference ("B7", "XFD1048576") into zero-based row and
// column; false when malformed or outside the sheet.
bool parse_cell_reference(std::string_view reference, std::uint32_t& row, std::uint32_t& column);

// The ranges and widths kept at most: a sheet can hardly use more, and a
// hostile one may list millions.
constexpr std::size_t kMaxMergedRanges = 65'536;
constexpr std::size_t kMaxColumnWidths = kMaxColumns;

// What a worksheet says beside its cells: <cols> before <sheetData>,
// <mergeCells> after it.
struct SheetLayout {
  std::vector<MergedRange> merged_ranges;
  std::vector<ColumnWidth> column_widths;
};

// A cell read from one piece of a sheet that is read in pieces: its text
// lies in the arena of the handler that read it.
struct PlacedCell {
  std::uint32_t row;
  std::uint32_t column;
  std::uint32_t offset;
  std::uint32_t length;
};
using PieceCells = std::vector<PlacedCell>;

// The type a cell's t attribute gives it.
enum class CellType : std::uint8_t { number, shared, inline_string, string, boolean, error, date, other };
CellType cell_type_of(std::string_view t);
// The style index of a cell's s attribute: its leading digits, 0 when none.
long cell_style_of(std::string_view s);
// A <row>'s r attribute as a zero-based row; false when malformed or outside the sheet.
bool parse_row_number(std::string_view text, std::uint32_t& row);

// A cell as its markup gives it: what <v> holds (its text with the
// references resolved, _xHHHH_ escapes still in it) and what the <t>
// elements of <is> hold, joined.
struct CellMarkup {
  CellType type = CellType::number;
  long style = 0;
  bool has_value = false;
  bool has_inline = false;
  std::string_view value;
  std::string_view inline_text;
};

// Where the rows and cells of a sheet go, and how a cell's markup becomes
// the text it shows: the one piece that every reader of sheetData (the
// expat handler and the cell scanner) places and stores cells with.
class SheetCells {
 public:
  SheetCells(CellGrid::Storage& storage, const StyleFormats& styles, bool date1904)
      : storage_(storage), styles_(styles), date1904_(date1904) {}

  // A <row>, with its r attribute or null: a row without a number follows
  // the one before it.
  ReadStatus begin_row(const std::string_view* number);
  // A <c> of the current row, with its r attribute or null: a cell without
  // a reference follows the one before it in its row, and one that names
  // another row is placed where it says.
  ReadStatus begin_cell(const std::string_view* reference);
  // Stores the cell begun last.
  ReadStatus finish_cell(const CellMarkup& cell) {
    if (look_) look_->styles.add(row_, column_, styles_.value_style(cell.style));
    return store_cell(cell);
  }
  // The cells from here on go to `piece` (see PieceCells), texts still to
  // the storage, and what the rows say of the look to `piece_look`.
  void send_to(PieceCells* piece, RowsLook* piece_look) {
    piece_cells_ = piece;
    if (keeps_look_) look_ = piece_look;
  }

  // Keeps every cell's style and the rows' looks, in `into` (or, when null,
  // in the pieces the cells are sent to).
  void keep_look(RowsLook* into) {
    keeps_look_ = true;
    look_ = into;
  }
  bool keeps_look() const { return look_ != nullptr; }
  // The look of the row begun last: its ht, customHeight and hidden
  // attributes (empty when absent).
  void note_row_look(std::string_view height, std::string_view custom_height, std::string_view hidden);

 private:
  ReadStatus store_cell(const CellMarkup& cell);
  ReadStatus store_number(std::string_view value_text, long style);
  ReadStatus store_text(std::string_view text, long style);
  bool formats_texts(long style);
  ReadStatus store(std::string_view utf8, bool escapes, const CellValue* value = nullptr);
  CellValue typed(CellKind kind, double number, long style) const {
    return {kind, number, styles_.value_style(style)};
  }
  void add_cell(std::uint32_t offset, std::uint32_t length) {
    if (piece_cells_) {
      piece_cells_->push_back({row_, column_, offset, length});
    } else {
      storage_.add_cell(row_, column_, offset, length);
    }
  }

  CellGrid::Storage& storage_;
  PieceCells* piece_cells_ = nullptr;
  RowsLook* look_ = nullptr;
  bool keeps_look_ = false;
  const StyleFormats& styles_;
  bool date1904_;
  NumberFormatter formatter_;
  std::string rendered_;
  // Per style, once asked: 0 not yet, 1 texts show as they are, 2 through
  // the style's section for texts.
  std::vector<std::uint8_t> text_formats_;
  std::uint32_t row_ = 0;
  std::uint32_t column_ = 0;
  std::uint32_t next_row_ = 0;
  std::uint32_t next_column_ = 0;
};

class WorksheetHandler : public xml::Handler {
 public:
  // String cells are stored with the index of their shared string in place
  // of their text's (see CellGrid::Storage::kSharedStringCell): the reader
  // resolves them once the shared strings are read too. The merged ranges
  // and column widths go to `layout` when one is given, the look to `look`.
  WorksheetHandler(CellGrid::Storage& storage, const StyleFormats& styles, bool date1904,
                   SheetLayout* layout = nullptr, WorksheetLook* look = nullptr)
      : cells_(storage, styles, date1904), layout_(layout) {
    if (look) {
      cells_.keep_look(&look->rows);
      look_part_ = std::make_unique<SheetLookPart>(*look);
    }
  }

  void start(xml::Name name, const xml::Attributes& attributes) override;
  void end(xml::Name name) override;
  void text(std::string_view text) override;

  // True between rows, inside <sheetData>: where a piece may begin.
  bool between_rows() const { return in_sheet_data_ && !in_row_ && depth_ == 2; }
  // Where this handler places and stores its cells: a scanner that reads
  // the rows in its stead (see cell_scanner.h) goes on with the same.
  SheetCells& cells() { return cells_; }

 private:
  // The list of the layout that the child elements being read belong to.
  enum class LayoutList : std::uint8_t { none, columns, merged_ranges };

  void begin_row(const xml::Attributes& attributes);
  void begin_cell(const xml::Attributes& attributes);
  void begin_layout_list(std::string_view local_name);
  void add_layout_item(std::string_view local_name, const xml::Attributes& attributes);
  void fail_unless_ok(ReadStatus status) {
    if (status != ReadStatus::ok) fail(status);
  }

  SheetCells cells_;
  SheetLayout* layout_;
  std::unique_ptr<SheetLookPart> look_part_;  // when the look is kept

  int depth_ = 0;
  bool in_sheet_data_ = false;
  bool in_row_ = false;
  bool in_cell_ = false;
  bool in_value_ = false;
  bool in_inline_ = false;
  LayoutList layout_list_ = LayoutList::none;

  // The cell being read.
  CellMarkup cell_;
  std::string value_;
  RichTextCollector inline_;
};

}  // namespace sheetlib
