#include "sheetlib/core/style_names.h"
#include "sheetlib/xls/conditional_formats.h"

#include <algorithm>
#include <cstdint>

#include "sheetlib/core/xml_text.h"
#include "sheetlib/xls/little_endian.h"
#include "sheetlib/xls/simple_formulas.h"

namespace sheetlib::xls {

namespace {

constexpr std::size_t kMaxItems = 65'536;
constexpr std::uint32_t kLastColumn = 255;

constexpr std::uint8_t kCellValue = 1;  // the rule's type: compares the cell's value
constexpr const char* kOperators[] = {"between",  "notBetween",  "equal",
                                      "notEqual", "greaterThan", "lessThan",
                                      "greaterThanOrEqual", "lessThanOrEqual"};

// The differential format's flags: which parts it leaves unchanged
// ("ninch", not in change), and which blocks follow.
constexpr std::uint32_t kLeftUnchanged = 1u << 10;
constexpr std::uint32_t kPatternUnchanged = 1u << 16;
constexpr std::uint32_t kForeUnchanged = 1u << 17;
constexpr std::uint32_t kBackUnchanged = 1u << 18;
constexpr std::uint32_t kHasNumber = 1u << 25;
constexpr std::uint32_t kHasFont = 1u << 26;
constexpr std::uint32_t kHasAlignment = 1u << 27;
constexpr std::uint32_t kHasBorder = 1u << 28;
constexpr std::uint32_t kHasPattern = 1u << 29;
constexpr std::uint16_t kUserNumberFormat = 0x0001;

constexpr std::size_t kFontBlock = 118;
constexpr std::size_t kAlignmentBlock = 8;
constexpr std::size_t kBorderBlock = 8;
constexpr std::size_t kPatternBlock = 4;
constexpr std::uint32_t kAutomatic = 0xFFFFFFFF;


void append_color(std::string& out, const char* element, std::uint32_t index) {
  if (index > 65) return;
  out += '<';
  out += element;
  out += " indexed=\"";
  append_number(out, index);
  out += "\"/>";
}

// The font block: name, then the font's fields (height, style, weight,
// escapement, underline, …), its colour, then flags saying which of them
// the format leaves unchanged.
void append_font(std::string& out, std::string_view block) {
  const std::uint32_t style = le32(block, 68);
  const std::uint16_t weight = le16(block, 72);
  const auto underline = static_cast<std::uint8_t>(block[76]);
  const std::uint32_t color = le32(block, 80);
  const std::uint32_t style_unchanged = le32(block, 88);
  const bool underline_unchanged = le32(block, 96) != 0;
  const bool weight_unchanged = le32(block, 100) != 0;
  std::string font;
  if (!weight_unchanged && weight >= 600) font += "<b/>";
  if (!(style_unchanged & 0x02) && (style & 0x02)) font += "<i/>";
  if (!(style_unchanged & 0x80) && (style & 0x80)) font += "<strike/>";
  if (!underline_unchanged && underline == 1) font += "<u/>";
  if (!underline_unchanged && underline == 2) font += "<u val=\"double\"/>";
  if (color != kAutomatic) append_color(font, "color", color);
  if (!font.empty()) out += "<font>" + font + "</font>";
}

void append_pattern(std::string& out, std::string_view block, std::uint32_t flags) {
  const unsigned pattern = le16(block, 0) >> 10;
  const std::uint16_t colors = le16(block, 2);
  out += "<fill><patternFill";
  if (!(flags & kPatternUnchanged) && pattern < std::size(kFillPatternNames)) {
    out += " patternType=\"";
    out += kFillPatternNames[pattern];
    out += '"';
  }
  out += '>';
  if (!(flags & kForeUnchanged)) append_color(out, "fgColor", colors & 0x7Fu);
  if (!(flags & kBackUnchanged)) append_color(out, "bgColor", (colors >> 7) & 0x7Fu);
  out += "</patternFill></fill>";
}

// The border block has the XF record's layout of edges; an edge the
// format leaves unchanged is left out.
void append_border(std::string& out, std::string_view block, std::uint32_t flags) {
  const std::uint16_t styles = le16(block, 0);
  const std::uint16_t sides = le16(block, 2);
  const std::uint32_t more = le32(block, 4);
  const unsigned style[4] = {styles & 0x0Fu, (styles >> 4) & 0x0Fu, (styles >> 8) & 0x0Fu, (styles >> 12) & 0x0Fu};
  const std::uint32_t color[4] = {sides & 0x7Fu, (sides >> 7) & 0x7Fu, more & 0x7F, (more >> 7) & 0x7F};
  constexpr const char* kEdges[4] = {"left", "right", "top", "bottom"};
  out += "<border>";
  for (int i = 0; i < 4; ++i) {
    if (flags & (kLeftUnchanged << i)) continue;
    out += '<';
    out += kEdges[i];
    if (style[i] == 0 || style[i] >= std::size(kBorderStyleNames)) {
      out += "/>";
      continue;
    }
    out += " style=\"";
    out += kBorderStyleNames[style[i]];
    out += "\">";
    append_color(out, "color", color[i]);
    out += "</";
    out += kEdges[i];
    out += '>';
  }
  out += "</border>";
}

}  // namespace

// CONDFMT: the number of rules, an id, the bounding range, then the ranges.
void ConditionalFormatsReader::take_ranges(std::string_view data) {
  finish();
  if (data.size() < 14) return;
  rules_left_ = le16(data, 0);
  const std::size_t count = std::min<std::size_t>(le16(data, 12), (data.size() - 14) / 8);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t at = 14 + 8 * i;
    const MergedRange range{le16(data, at), le16(data, at + 2), le16(data, at + 4),
                            std::min<std::uint32_t>(le16(data, at + 6), kLastColumn)};
    if (range.first_row > range.last_row || range.first_column > range.last_column) continue;
    pending_.ranges.push_back(range);
  }
}

// CF: the rule's type and operator (a byte each), the lengths of its two
// formulas, the differential format, then the formulas.
void ConditionalFormatsReader::take_rule(std::string_view data) {
  if (rules_left_ == 0 || pending_.ranges.empty()) return;
  --rules_left_;
  if (data.size() < 6 || static_cast<std::uint8_t>(data[0]) != kCellValue) return;
  const unsigned op = static_cast<std::uint8_t>(data[1]);
  const std::size_t lengths = std::size_t{le16(data, 2)} + le16(data, 4);
  if (op == 0 || op > std::size(kOperators) || data.size() - 6 < lengths) return;
  std::string formulas[2];
  const std::string_view rgce1 = data.substr(data.size() - lengths, le16(data, 2));
  const std::string_view rgce2 = data.substr(data.size() - le16(data, 4));
  if (!decode_simple_formula(rgce1, formulas[0])) return;
  const bool two = op <= 2;
  if (two && !decode_simple_formula(rgce2, formulas[1])) return;
  const std::string dxf = dxf_fragment(data.substr(6, data.size() - 6 - lengths));
  if (dxf.empty() || look_.book.dxfs.size() >= kMaxItems) return;

  std::string& out = pending_.markup;
  out += "<cfRule type=\"cellIs\" dxfId=\"";
  append_number(out, dxf_index(dxf));
  out += "\" priority=\"";
  append_number(out, static_cast<std::uint64_t>(++priority_));
  out += "\" operator=\"";
  out += kOperators[op - 1];
  out += "\">";
  for (int i = 0; i < (two ? 2 : 1); ++i) {
    out += "<formula>";
    append_escaped_text(out, formulas[i]);
    out += "</formula>";
  }
  out += "</cfRule>";
}

void ConditionalFormatsReader::finish() {
  if (!pending_.markup.empty() && look_.sheet.conditional_formats.size() < kMaxItems)
    look_.sheet.conditional_formats.push_back(std::move(pending_));
  pending_ = RangedItem();
  rules_left_ = 0;
}

std::size_t ConditionalFormatsReader::dxf_index(const std::string& dxf) {
  const auto [at, added] = known_dxfs_.try_emplace(dxf, look_.book.dxfs.size());
  if (added) look_.book.dxfs.push_back(dxf);
  return at->second;
}

// The differential format: flags (four bytes, then two), then the blocks
// the flags announce, in order: number format, font, alignment, border,
// pattern, protection. Empty when the blocks run past the data.
std::string ConditionalFormatsReader::dxf_fragment(std::string_view dxfn) const {
  if (dxfn.size() < 6) return {};
  const std::uint32_t flags = le32(dxfn, 0);
  const std::uint16_t more = le16(dxfn, 4);
  std::size_t at = 6;
  const auto block = [&](std::size_t size) -> std::string_view {
    if (at > dxfn.size() || dxfn.size() - at < size) {
      at = dxfn.size() + 1;
      return {};
    }
    const std::string_view part = dxfn.substr(at, size);
    at += size;
    return part;
  };
  if (flags & kHasNumber) {
    if (more & kUserNumberFormat) {
      const std::string_view size = block(2);
      if (size.size() == 2) block(le16(size, 0) >= 2 ? le16(size, 0) - 2u : 0u);
    } else {
      block(2);
    }
  }
  const std::string_view font = (flags & kHasFont) ? block(kFontBlock) : std::string_view();
  if (flags & kHasAlignment) block(kAlignmentBlock);
  const std::string_view border = (flags & kHasBorder) ? block(kBorderBlock) : std::string_view();
  const std::string_view pattern = (flags & kHasPattern) ? block(kPatternBlock) : std::string_view();
  if (at > dxfn.size()) return {};
  std::string out = "<dxf>";
  if (!font.empty()) append_font(out, font);
  if (!pattern.empty()) append_pattern(out, pattern, flags);
  if (!border.empty()) append_border(out, border, flags);
  return out + "</dxf>";
}

}  // namespace sheetlib::xls
