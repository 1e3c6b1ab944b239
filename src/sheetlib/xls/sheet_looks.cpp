#include "sheetlib/xls/sheet_looks.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "sheetlib/core/limits.h"
#include "sheetlib/core/xml_text.h"
#include "sheetlib/xls/cell_links.h"
#include "sheetlib/xls/validations.h"
#include "sheetlib/xls/little_endian.h"

namespace sheetlib::xls {

namespace {

// A BIFF8 sheet has 65,536 rows and 256 columns; a sheet giving its rows
// and columns over and over is capped at as many items.
constexpr std::uint32_t kRows = 65'536;
constexpr std::uint32_t kColumns = 256;
constexpr std::size_t kMaxItems = 65'536;
// Every cell of a BIFF8 sheet styled apart from its neighbours; blank cells
// cost two bytes each in MULBLANK, so a file could otherwise ask for runs
// many times its size.
constexpr std::size_t kMaxStyleRuns = std::size_t{kRows} * kColumns;

constexpr std::uint16_t kRowHidden = 0x0020;
constexpr std::uint16_t kRowCustomHeight = 0x0040;
constexpr std::uint16_t kShowGridlines = 0x0002;
constexpr std::uint16_t kFrozen = 0x0008;
constexpr std::uint16_t kRightToLeft = 0x0040;
constexpr std::uint16_t kPageBreakPreview = 0x0800;
constexpr std::uint16_t kFitToPage = 0x0100;  // in WSBOOL
constexpr std::uint16_t kPortrait = 0x0002;   // SETUP's options
constexpr std::uint16_t kNoPrinterSettings = 0x0004;
constexpr std::uint16_t kNoOrientation = 0x0040;

// What the application takes for margins a sheet does not give, in inches.
constexpr double kDefaultMargins[6] = {0.75, 0.75, 1, 1, 0.5, 0.5};

bool is_sane_length(double value) { return std::isfinite(value) && value >= 0 && value < 100; }

void append_attribute(std::string& out, const char* name, double value) {
  out += ' ';
  out += name;
  out += "=\"";
  append_decimal(out, value);
  out += '"';
}

}  // namespace

void SheetLooksReader::take(const Record& record) {
  const std::string_view data = record.data;
  switch (record.type) {
    case record::kLabelSst:
    case record::kLabel:
    case record::kRString:
    case record::kNumber:
    case record::kRk:
    case record::kBoolErr:
    case record::kFormula:
    case record::kBlank:
      if (data.size() >= 6) add_style(le16(data, 0), le16(data, 2), le16(data, 4));
      break;
    case record::kMulRk:
    case record::kMulBlank: {
      // Row, first column, then an XF per cell (with an RK number after it
      // in MULRK), then the last column.
      const std::size_t step = record.type == record::kMulRk ? 6 : 2;
      if (data.size() < 6) break;
      const std::size_t count = (data.size() - 6) / step;
      const std::uint32_t row = le16(data, 0), first = le16(data, 2);
      for (std::size_t i = 0; i < count && first + i < kMaxColumns; ++i)
        add_style(row, first + static_cast<std::uint32_t>(i), le16(data, 4 + step * i));
      break;
    }
    case record::kRow:
      take_row(data);
      break;
    case record::kColInfo:
      // First and last column, width, XF, options (bit 0: hidden).
      if (data.size() >= 10 && (le16(data, 8) & 0x0001) && look_.sheet.hidden_columns.size() < kMaxItems) {
        const std::uint32_t first = le16(data, 0);
        const std::uint32_t last = std::min<std::uint32_t>(le16(data, 2), kColumns - 1);
        if (first <= last) look_.sheet.hidden_columns.push_back({first, last});
      }
      break;
    case record::kDefaultRowHeight:
      // Options, then the height in twips.
      if (data.size() >= 4) look_.sheet.default_row_height = le16(data, 2) / 20.0;
      break;
    case record::kDefColWidth:
      if (data.size() >= 2 && look_.sheet.default_column_width == 0)
        look_.sheet.default_column_width = std::min<double>(le16(data, 0), 255);
      break;
    case record::kStandardWidth:
      // In 1/256 of a character: finer than DEFCOLWIDTH, and preferred.
      if (data.size() >= 2) standard_width_ = std::min(le16(data, 0) / 256.0, 255.0);
      break;
    case record::kWindow2:
      take_window(data);
      break;
    case record::kPane:
      if (data.size() >= 4) {
        pane_columns_ = std::min<std::uint32_t>(le16(data, 0), kColumns - 1);
        pane_rows_ = le16(data, 2);
      }
      break;
    case record::kScl:
      if (data.size() >= 4 && le16(data, 2) != 0) scl_zoom_ = static_cast<int>(le16(data, 0) * 100u / le16(data, 2));
      break;
    case record::kWsBool:
      if (data.size() >= 2) fit_to_page_ = (le16(data, 0) & kFitToPage) != 0;
      break;
    case record::kSetup:
      take_setup(data);
      break;
    case record::kLeftMargin:
    case record::kRightMargin:
    case record::kTopMargin:
    case record::kBottomMargin:
      if (data.size() >= 8 && is_sane_length(le_double(data.data())))
        margins_[record.type - record::kLeftMargin] = le_double(data.data());
      break;
    case record::kHCenter:
    case record::kVCenter:
    case record::kPrintHeaders:
    case record::kPrintGridlines:
      if (data.size() >= 2) {
        const int option = record.type == record::kHCenter          ? 0
                           : record.type == record::kVCenter        ? 1
                           : record.type == record::kPrintHeaders   ? 2
                                                                  : 3;
        print_options_[option] = le16(data, 0) != 0;
      }
      break;
    case record::kHeader:
      take_header_footer(data, header_);
      break;
    case record::kFooter:
      take_header_footer(data, footer_);
      break;
    case record::kAutoFilterInfo:
      has_filter_ = true;
      break;
    case record::kHyperlink:
      if (look_.sheet.links.size() < kMaxItems) {
        CellLink link;
        if (read_hyperlink(data, link)) look_.sheet.links.push_back(std::move(link));
      }
      break;
    case record::kValidation:
      if (look_.sheet.validations.size() < kMaxItems) {
        RangedItem item;
        if (read_validation(data, item)) look_.sheet.validations.push_back(std::move(item));
      }
      break;
    case record::kCondFmt:
      conditional_formats_.take_ranges(data);
      break;
    case record::kCf:
      conditional_formats_.take_rule(data);
      break;
    case record::kLinkTooltip: {
      // Follows the link of its range.
      MergedRange range;
      std::string tooltip;
      if (!look_.sheet.links.empty() && read_link_tooltip(data, range, tooltip) &&
          look_.sheet.links.back().range == range)
        look_.sheet.links.back().tooltip = std::move(tooltip);
      break;
    }
    default:
      break;
  }
}

void SheetLooksReader::add_style(std::uint32_t row, std::uint32_t column, std::uint16_t xf) {
  if (column >= kMaxColumns || look_.cell_styles.runs().size() >= kMaxStyleRuns) return;
  look_.cell_styles.add(row, column, xf < xf_count_ ? xf : 0);
}

// ROW: row, first and one-past-last column, height in twips (bit 15 an old
// flag), two unused words, options (hidden, custom height, …), XF.
void SheetLooksReader::take_row(std::string_view data) {
  if (data.size() < 16) return;
  std::vector<RowLook>& rows = look_.sheet.rows;
  const std::uint32_t row = le16(data, 0);
  const std::uint16_t options = le16(data, 12);
  const bool hidden = (options & kRowHidden) != 0;
  const double height = (options & kRowCustomHeight) ? (le16(data, 6) & 0x7FFF) / 20.0 : 0;
  if (!hidden && height == 0) return;
  if (rows.size() >= kMaxItems || row >= kRows) return;
  rows.push_back({row, height, hidden});
}

// WINDOW2: options, first row and column shown, the header colour, then in
// BIFF8 the zooms of page break preview and of the normal view.
void SheetLooksReader::take_window(std::string_view data) {
  if (data.size() < 2) return;
  const std::uint16_t options = le16(data, 0);
  look_.sheet.gridlines = (options & kShowGridlines) != 0;
  look_.sheet.right_to_left = (options & kRightToLeft) != 0;
  frozen_ = (options & kFrozen) != 0;
  if (data.size() >= 14 && !(options & kPageBreakPreview)) window_zoom_ = le16(data, 12);
}

// SETUP: paper size, scale, first page number, fit width and height,
// options, two resolutions, header and footer margins (doubles), copies.
void SheetLooksReader::take_setup(std::string_view data) {
  if (data.size() < 12) return;
  has_setup_ = true;
  const std::uint16_t options = le16(data, 10);
  fit_width_ = le16(data, 6);
  fit_height_ = le16(data, 8);
  if (!(options & kNoPrinterSettings)) {
    paper_ = le16(data, 0);
    scale_ = le16(data, 2);
    if (!(options & kNoOrientation)) orientation_ = (options & kPortrait) ? 1 : 2;
  }
  if (data.size() >= 32) {
    if (is_sane_length(le_double(data.data() + 16))) margins_[4] = le_double(data.data() + 16);
    if (is_sane_length(le_double(data.data() + 24))) margins_[5] = le_double(data.data() + 24);
  }
}

// HEADER and FOOTER: a string (with a one-byte count in BIFF5); empty data
// for none.
void SheetLooksReader::take_header_footer(std::string_view data, std::string& text) {
  text.clear();
  if (data.empty()) return;
  const std::vector<std::string_view> fragments{data};
  FragmentCursor cursor(fragments);
  if (!cursor.read_string(form_.byte_strings, form_, text)) text.clear();
}

void SheetLooksReader::finish() {
  SheetLook& sheet = look_.sheet;
  look_.cell_styles.finish();
  conditional_formats_.finish();
  // Rows in order, one each: the last record of a row stands.
  std::stable_sort(sheet.rows.begin(), sheet.rows.end(),
                   [](const RowLook& a, const RowLook& b) { return a.row < b.row; });
  const auto last = std::unique(sheet.rows.rbegin(), sheet.rows.rend(),
                                [](const RowLook& a, const RowLook& b) { return a.row == b.row; });
  sheet.rows.erase(sheet.rows.begin(), last.base());
  if (standard_width_ > 0) sheet.default_column_width = standard_width_;
  if (frozen_) {
    sheet.frozen_rows = pane_rows_ < kRows ? pane_rows_ : 0;
    sheet.frozen_columns = pane_columns_;
  }
  // Zooms the application allows.
  const int zoom = scl_zoom_ != 0 ? scl_zoom_ : window_zoom_;
  if (zoom >= 10 && zoom <= 400) sheet.zoom = zoom;

  std::string options;
  constexpr const char* kOptionNames[4] = {"horizontalCentered", "verticalCentered", "headings", "gridLines"};
  for (int i = 0; i < 4; ++i) {
    if (!print_options_[i]) continue;
    options += ' ';
    options += kOptionNames[i];
    options += "=\"1\"";
  }
  if (!options.empty()) sheet.print_options = "<printOptions" + options + "/>";

  if (has_setup_ || std::any_of(std::begin(margins_), std::begin(margins_) + 4, [](double m) { return m >= 0; })) {
    // Every margin is required there: those not given are the defaults.
    constexpr const char* kMarginNames[6] = {"left", "right", "top", "bottom", "header", "footer"};
    sheet.page_margins = "<pageMargins";
    for (int i = 0; i < 6; ++i)
      append_attribute(sheet.page_margins, kMarginNames[i], margins_[i] >= 0 ? margins_[i] : kDefaultMargins[i]);
    sheet.page_margins += "/>";
  }

  if (has_setup_) {
    std::string setup;
    if (paper_ != 0) append_attribute(setup, "paperSize", paper_);
    if (scale_ >= 10 && scale_ <= 400 && scale_ != 100) append_attribute(setup, "scale", scale_);
    if (fit_to_page_) {
      if (fit_width_ != 1) append_attribute(setup, "fitToWidth", fit_width_);
      if (fit_height_ != 1) append_attribute(setup, "fitToHeight", fit_height_);
    }
    if (orientation_ != 0) setup += orientation_ == 1 ? " orientation=\"portrait\"" : " orientation=\"landscape\"";
    if (!setup.empty()) sheet.page_setup = "<pageSetup" + setup + "/>";
    sheet.fit_to_page = fit_to_page_;
  }

  if (!header_.empty() || !footer_.empty()) {
    std::string& out = sheet.header_footer;
    out = "<headerFooter>";
    if (!header_.empty()) {
      out += "<oddHeader>";
      append_escaped_text(out, header_);
      out += "</oddHeader>";
    }
    if (!footer_.empty()) {
      out += "<oddFooter>";
      append_escaped_text(out, footer_);
      out += "</oddFooter>";
    }
    out += "</headerFooter>";
  }
}

}  // namespace sheetlib::xls
