#include "sheetlib/core/style_names.h"
#include "sheetlib/xls/cell_looks.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>

#include "sheetlib/core/xml_text.h"
#include "sheetlib/xls/little_endian.h"

namespace sheetlib::xls {

const std::uint32_t kDefaultPalette[56] = {
    0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF, 0x800000, 0x008000, 0x000080,
    0x808000, 0x800080, 0x008080, 0xC0C0C0, 0x808080, 0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF, 0x660066, 0xFF8080,
    0x0066CC, 0xCCCCFF, 0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000, 0x008080, 0x0000FF, 0x00CCFF,
    0xCCFFFF, 0xCCFFCC, 0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xFFCC99, 0x3366FF, 0x33CCCC, 0x99CC00, 0xFFCC00,
    0xFF9900, 0xFF6600, 0x666699, 0x969696, 0x003366, 0x339966, 0x003300, 0x333300, 0x993300, 0x993366, 0x333399,
    0x333333};

namespace {

// Cells name fonts and XFs by 16-bit indexes: records past that many cannot
// be reached.
constexpr std::size_t kMaxFonts = 65'536;
constexpr std::size_t kMaxXfs = 65'536;

// The eight colours before the palette, fixed in every workbook.
constexpr std::uint32_t kFixedColors[8] = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00,
                                           0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF};
// Indexes 64 and 65 are the system's window text and window colours, which
// styles parts name the same way; past them a colour is automatic.
constexpr std::uint32_t kLastNamedColor = 65;

constexpr std::uint16_t kBoldWeight = 600;
constexpr std::uint16_t kItalic = 0x0002;
constexpr std::uint16_t kStrike = 0x0008;
constexpr std::uint16_t kOutline = 0x0010;
constexpr std::uint16_t kShadow = 0x0020;

constexpr std::uint16_t kLocked = 0x0001;
constexpr std::uint16_t kHidden = 0x0002;
constexpr std::uint16_t kStyleXf = 0x0004;

constexpr const char* kHorizontal[] = {"general", "left", "center", "right", "fill", "justify", "centerContinuous",
                                       "distributed"};
constexpr const char* kVertical[] = {"top", "center", "bottom", "justify", "distributed"};
constexpr unsigned kVerticalBottom = 2;

void append_uint(std::string& out, std::uint64_t value) { append_number(out, value); }

void append_color(std::string& out, const char* element, std::uint32_t index) {
  if (index > kLastNamedColor) return;
  out += '<';
  out += element;
  out += " indexed=\"";
  append_uint(out, index);
  out += "\"/>";
}

void append_hex_color(std::string& out, std::uint32_t rgb) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "FF%06X", static_cast<unsigned>(rgb & 0xFFFFFF));
  out += "<rgbColor rgb=\"";
  out += hex;
  out += "\"/>";
}

std::string fill_fragment(unsigned pattern, std::uint32_t fore, std::uint32_t back) {
  if (pattern >= std::size(kFillPatternNames)) pattern = 0;
  std::string out = "<fill><patternFill patternType=\"";
  out += kFillPatternNames[pattern];
  if (pattern == 0) return out + "\"/></fill>";
  out += "\">";
  append_color(out, "fgColor", fore);
  append_color(out, "bgColor", back);
  return out + "</patternFill></fill>";
}

struct Edge {
  unsigned style = 0;
  std::uint32_t color = 0;
};

void append_edge(std::string& out, const char* element, Edge edge) {
  out += '<';
  out += element;
  if (edge.style == 0 || edge.style >= std::size(kBorderStyleNames)) {
    out += "/>";
    return;
  }
  out += " style=\"";
  out += kBorderStyleNames[edge.style];
  out += "\">";
  append_color(out, "color", edge.color);
  out += "</";
  out += element;
  out += '>';
}

// Edges left, right, top, bottom, diagonal; `diagonal` bit 0 down (top left
// to bottom right), bit 1 up.
std::string border_fragment(const Edge (&edges)[5], unsigned diagonal) {
  std::string out = "<border";
  if (diagonal & 2) out += " diagonalUp=\"1\"";
  if (diagonal & 1) out += " diagonalDown=\"1\"";
  out += '>';
  append_edge(out, "left", edges[0]);
  append_edge(out, "right", edges[1]);
  append_edge(out, "top", edges[2]);
  append_edge(out, "bottom", edges[3]);
  append_edge(out, "diagonal", diagonal != 0 ? edges[4] : Edge{});
  return out + "</border>";
}

struct Alignment {
  unsigned horizontal = 0, vertical = kVerticalBottom, rotation = 0, indent = 0, reading_order = 0;
  bool wrap = false, justify_last = false, shrink = false;
};

std::string alignment_fragment(const Alignment& a) {
  std::string out;
  if (a.horizontal != 0 && a.horizontal < std::size(kHorizontal)) {
    out += " horizontal=\"";
    out += kHorizontal[a.horizontal];
    out += '"';
  }
  if (a.vertical != kVerticalBottom && a.vertical < std::size(kVertical)) {
    out += " vertical=\"";
    out += kVertical[a.vertical];
    out += '"';
  }
  // 0 … 90 up, 91 … 180 down, 255 stacked letters; no other value exists.
  if (a.rotation != 0 && (a.rotation <= 180 || a.rotation == 255)) {
    out += " textRotation=\"";
    append_uint(out, a.rotation);
    out += '"';
  }
  if (a.wrap) out += " wrapText=\"1\"";
  if (a.indent != 0) {
    out += " indent=\"";
    append_uint(out, a.indent);
    out += '"';
  }
  if (a.justify_last) out += " justifyLastLine=\"1\"";
  if (a.shrink) out += " shrinkToFit=\"1\"";
  if (a.reading_order == 1 || a.reading_order == 2) {
    out += " readingOrder=\"";
    append_uint(out, a.reading_order);
    out += '"';
  }
  return out.empty() ? out : "<alignment" + out + "/>";
}

std::string protection_fragment(std::uint16_t flags) {
  std::string out;
  if (!(flags & kLocked)) out += " locked=\"0\"";
  if (flags & kHidden) out += " hidden=\"1\"";
  return out.empty() ? out : "<protection" + out + "/>";
}

// The index of `fragment` in `list`, added when new.
std::uint32_t intern(const std::string& fragment, std::vector<std::string>& list,
                     std::unordered_map<std::string, std::uint32_t>& known) {
  const auto [at, added] = known.try_emplace(fragment, static_cast<std::uint32_t>(list.size()));
  if (added) list.push_back(fragment);
  return at->second;
}

}  // namespace

// FONT: height in twips, options, colour, weight, escapement, underline,
// family and character set (a byte each), a reserved byte, then the name
// (a string with a one-byte count).
void CellLooksBuilder::add_font(const std::vector<std::string_view>& fragments, const StringForm& form) {
  if (fonts_.size() >= kMaxFonts || fragments.empty() || fragments[0].size() < 14) return;
  const std::string_view data = fragments[0];
  const std::uint16_t height = le16(data, 0);
  const std::uint16_t options = le16(data, 2);
  const std::uint16_t color = le16(data, 4);
  const std::uint16_t weight = le16(data, 6);
  const std::uint16_t escapement = le16(data, 8);
  const auto underline = static_cast<std::uint8_t>(data[10]);
  const auto family = static_cast<std::uint8_t>(data[11]);
  const auto charset = static_cast<std::uint8_t>(data[12]);
  std::vector<std::string_view> name_fragments = fragments;
  name_fragments[0] = data.substr(14);
  FragmentCursor cursor(name_fragments);
  std::string name;
  if (!cursor.read_string(true, form, name)) name.clear();

  std::string out = "<font>";
  if (weight >= kBoldWeight) out += "<b/>";
  if (options & kItalic) out += "<i/>";
  if (options & kStrike) out += "<strike/>";
  if (options & kOutline) out += "<outline/>";
  if (options & kShadow) out += "<shadow/>";
  switch (underline) {
    case 0x01: out += "<u/>"; break;
    case 0x02: out += "<u val=\"double\"/>"; break;
    case 0x21: out += "<u val=\"singleAccounting\"/>"; break;
    case 0x22: out += "<u val=\"doubleAccounting\"/>"; break;
    default: break;
  }
  if (escapement == 1) out += "<vertAlign val=\"superscript\"/>";
  if (escapement == 2) out += "<vertAlign val=\"subscript\"/>";
  out += "<sz val=\"";
  append_decimal(out, height / 20.0);
  out += "\"/>";
  // 0x7FFF is the automatic colour, 64 and past it the system's.
  if (color < 64) append_color(out, "color", color);
  if (!name.empty()) {
    out += "<name val=\"";
    append_escaped_attribute(out, name);
    out += "\"/>";
  }
  if (family != 0) {
    out += "<family val=\"";
    append_uint(out, family);
    out += "\"/>";
  }
  if (charset != 0) {
    out += "<charset val=\"";
    append_uint(out, charset);
    out += "\"/>";
  }
  fonts_.push_back(out + "</font>");
}

void CellLooksBuilder::add_xf(std::string_view data, bool biff5) {
  if (xfs_.size() >= kMaxXfs) return;
  Xf& xf = xfs_.emplace_back();
  if (data.size() < (biff5 ? 16u : 20u)) {
    xf.fill = fill_fragment(0, 0, 0);
    xf.border = border_fragment({}, 0);
    return;
  }
  xf.font = le16(data, 0);
  const std::uint16_t flags = le16(data, 4);
  xf.style = (flags & kStyleXf) != 0;
  xf.parent = static_cast<std::uint16_t>(flags >> 4);
  xf.protection = protection_fragment(flags);
  const auto align = static_cast<std::uint8_t>(data[6]);
  Alignment alignment;
  alignment.horizontal = align & 0x07;
  alignment.wrap = (align & 0x08) != 0;
  alignment.vertical = (align >> 4) & 0x07;
  alignment.justify_last = (align & 0x80) != 0;
  Edge edges[5];
  unsigned diagonal = 0;
  unsigned pattern = 0;
  std::uint32_t fore = 0, back = 0;
  if (biff5) {
    const auto orientation = static_cast<std::uint8_t>(data[7]);
    // Stacked letters, 90° up, 90° down.
    constexpr unsigned kRotations[4] = {0, 255, 90, 180};
    alignment.rotation = kRotations[orientation & 0x03];
    xf.used = static_cast<std::uint8_t>(orientation >> 2);
    const std::uint32_t fill = le32(data, 8);
    const std::uint32_t lines = le32(data, 12);
    fore = fill & 0x7F;
    back = (fill >> 7) & 0x7F;
    pattern = (fill >> 16) & 0x3F;
    edges[3] = {(fill >> 22) & 0x07, (fill >> 25) & 0x7F};
    edges[2] = {lines & 0x07, (lines >> 9) & 0x7F};
    edges[0] = {(lines >> 3) & 0x07, (lines >> 16) & 0x7F};
    edges[1] = {(lines >> 6) & 0x07, (lines >> 23) & 0x7F};
  } else {
    alignment.rotation = static_cast<std::uint8_t>(data[7]);
    const auto indent = static_cast<std::uint8_t>(data[8]);
    alignment.indent = indent & 0x0F;
    alignment.shrink = (indent & 0x10) != 0;
    alignment.reading_order = (indent >> 6) & 0x03;
    xf.used = static_cast<std::uint8_t>(static_cast<std::uint8_t>(data[9]) >> 2);
    const std::uint16_t styles = le16(data, 10);
    const std::uint16_t sides = le16(data, 12);
    const std::uint32_t more = le32(data, 14);
    const std::uint16_t colors = le16(data, 18);
    edges[0] = {styles & 0x0Fu, sides & 0x7Fu};
    edges[1] = {(styles >> 4) & 0x0Fu, (sides >> 7) & 0x7Fu};
    edges[2] = {(styles >> 8) & 0x0Fu, more & 0x7F};
    edges[3] = {(styles >> 12) & 0x0Fu, (more >> 7) & 0x7F};
    edges[4] = {(more >> 21) & 0x0F, (more >> 14) & 0x7F};
    diagonal = (sides >> 14) & 0x03;
    pattern = (more >> 26) & 0x3F;
    fore = colors & 0x7F;
    back = (colors >> 7) & 0x7F;
  }
  xf.alignment = alignment_fragment(alignment);
  xf.fill = fill_fragment(pattern, fore, back);
  xf.border = border_fragment(edges, diagonal);
}

// PALETTE: a count, then as many colours of four bytes (red, green, blue,
// unused), replacing entries 8 … 63 in order.
void CellLooksBuilder::add_palette(std::string_view data) {
  if (data.size() < 2) return;
  const std::size_t count = std::min<std::size_t>({le16(data, 0), (data.size() - 2) / 4, 56});
  colors_ = "<colors><indexedColors>";
  for (const std::uint32_t rgb : kFixedColors) append_hex_color(colors_, rgb);
  for (std::size_t i = 0; i < 56; ++i) {
    if (i < count) {
      const std::size_t at = 2 + 4 * i;
      append_hex_color(colors_, static_cast<std::uint32_t>(static_cast<std::uint8_t>(data[at])) << 16 |
                                    static_cast<std::uint32_t>(static_cast<std::uint8_t>(data[at + 1])) << 8 |
                                    static_cast<std::uint8_t>(data[at + 2]));
    } else {
      append_hex_color(colors_, kDefaultPalette[i]);
    }
  }
  colors_ += "</indexedColors></colors>";
}

void CellLooksBuilder::build(BookLook& book) const {
  book.fonts.clear();
  book.fills.clear();
  book.borders.clear();
  book.cells.clear();
  book.colors = colors_;
  std::unordered_map<std::string, std::uint32_t> known;
  std::vector<std::uint32_t> font_of_record;
  font_of_record.reserve(fonts_.size());
  for (const std::string& font : fonts_) font_of_record.push_back(intern(font, book.fonts, known));
  // The two fills every styles part begins with, which its cell styles
  // cannot use for themselves.
  known.clear();
  intern(fill_fragment(0, 0, 0), book.fills, known);
  intern("<fill><patternFill patternType=\"gray125\"/></fill>", book.fills, known);
  std::unordered_map<std::string, std::uint32_t> known_borders;

  const auto font_index = [&](std::uint16_t record) -> std::uint32_t {
    // The records are numbered 0 … 3, 5, …: index 4 was never written.
    const std::size_t at = record < 4 ? record : record == 4 ? font_of_record.size() : record - 1u;
    return at < font_of_record.size() ? font_of_record[at] : 0;
  };
  book.cells.reserve(xfs_.size());
  for (const Xf& xf : xfs_) {
    // A cell XF takes from its style the groups its used-attribute bits
    // leave to it, as the application shows them.
    const Xf* parent = !xf.style && xf.parent < xfs_.size() && xfs_[xf.parent].style ? &xfs_[xf.parent] : nullptr;
    const auto from = [&](unsigned bit) -> const Xf& { return parent && !(xf.used & bit) ? *parent : xf; };
    CellLook look;
    look.font = font_index(from(0x02).font);
    look.alignment = from(0x04).alignment;
    look.border = intern(from(0x08).border, book.borders, known_borders);
    look.fill = intern(from(0x10).fill, book.fills, known);
    look.protection = from(0x20).protection;
    book.cells.push_back(std::move(look));
  }
}

}  // namespace sheetlib::xls
