#include "sheetlib/xls/cell_formats.h"

#include "sheetlib/format/number_format.h"
#include "sheetlib/xls/biff_strings.h"
#include "sheetlib/xls/little_endian.h"

namespace sheetlib::xls {

namespace {

// Cells name their XF by a 16-bit index: XF records past that many cannot
// be reached (the application itself writes at most 4,050).
constexpr std::size_t kMaxXfs = 65'536;
// Excel takes format codes of at most 255 characters. Every XF naming a
// format carries a copy of its code, so a longer one (a FORMAT record may
// declare 65,535 characters) would let 65,536 XFs of a small file ask for
// gigabytes; such a code is not kept, and its id shows as built in.
constexpr std::size_t kMaxCodeCharacters = 255;

std::size_t utf8_characters(std::string_view utf8) {
  std::size_t count = 0;
  for (const char c : utf8) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return count;
}

}  // namespace

bool CellFormatsBuilder::add_format(const std::vector<std::string_view>& fragments, const StringForm& form) {
  FragmentCursor cursor(fragments);
  std::uint16_t id = 0;
  if (!cursor.u16(id)) return false;
  std::string code;
  // A code holding a NUL character is no application's, and no C text
  // could hand it out whole: it counts as damaged.
  if (!cursor.read_string(form.byte_strings, form, code) || code.find('\0') != std::string::npos) {
    // A good record of the same id, written before, still stands.
    if (!codes_.count(id)) lost_ids_.insert(id);
    return false;
  }
  lost_ids_.erase(id);
  if (utf8_characters(code) <= kMaxCodeCharacters) codes_[id] = std::move(code);
  return true;
}

bool CellFormatsBuilder::add_xf(std::string_view data) {
  const bool whole = data.size() >= 4;
  // Id 0 is General; the XF keeps its index, which the cells count on.
  if (xf_format_ids_.size() < kMaxXfs) xf_format_ids_.push_back(whole ? le16(data, 2) : 0);
  return whole;
}

const std::string* CellFormatsBuilder::own_code(std::uint16_t id, bool& lost) const {
  lost = lost_ids_.count(id) > 0;
  const auto own = codes_.find(id);
  return own != codes_.end() ? &own->second : nullptr;
}

StyleFormats CellFormatsBuilder::build() const {
  std::vector<std::string> codes;
  codes.reserve(xf_format_ids_.size());
  for (const std::uint16_t id : xf_format_ids_) {
    bool lost = false;
    const std::string* own = own_code(id, lost);
    codes.emplace_back(own ? std::string_view(*own) : lost ? std::string_view("General") : builtin_number_format(id));
  }
  return StyleFormats(std::move(codes));
}

std::vector<StyleNumberFormat> CellFormatsBuilder::style_number_formats() const {
  std::vector<StyleNumberFormat> formats;
  formats.reserve(xf_format_ids_.size());
  for (const std::uint16_t id : xf_format_ids_) {
    bool lost = false;
    const std::string* own = own_code(id, lost);
    if (lost) {
      formats.push_back({0, std::string()});
    } else {
      formats.push_back({id, own ? *own : std::string()});
    }
  }
  return formats;
}

}  // namespace sheetlib::xls
