#include "sheetlib/xls/cell_links.h"

#include <algorithm>
#include <cstdint>

#include "sheetlib/xls/biff_strings.h"
#include "sheetlib/xls/little_endian.h"

namespace sheetlib::xls {

namespace {

constexpr std::uint32_t kHasMoniker = 0x01;
constexpr std::uint32_t kHasLocation = 0x08;
constexpr std::uint32_t kHasDisplayName = 0x10;
constexpr std::uint32_t kHasGuid = 0x20;
constexpr std::uint32_t kHasCreationTime = 0x40;
constexpr std::uint32_t kHasFrameName = 0x80;
constexpr std::uint32_t kMonikerSavedAsString = 0x100;

// The class ids of the monikers read, as stored (the GUID's first three
// fields little-endian).
constexpr std::string_view kUrlMoniker{"\xE0\xC9\xEA\x79\xF9\xBA\xCE\x11\x8C\x82\x00\xAA\x00\x4B\xA9\x0B", 16};
constexpr std::string_view kFileMoniker{"\x03\x03\x00\x00\x00\x00\x00\x00\xC0\x00\x00\x00\x00\x00\x00\x46", 16};

constexpr std::uint32_t kLastColumn = 255;

// Reads forward through a record, failing once for good when it ends.
class Cursor {
 public:
  explicit Cursor(std::string_view data) : data_(data) {}
  bool ok() const { return ok_; }
  std::uint32_t u32() {
    if (!need(4)) return 0;
    const std::uint32_t value = le32(data_, at_);
    at_ += 4;
    return value;
  }
  std::uint16_t u16() {
    if (!need(2)) return 0;
    const std::uint16_t value = le16(data_, at_);
    at_ += 2;
    return value;
  }
  std::string_view bytes(std::uint64_t count) {
    if (!need(count)) return {};
    const std::string_view part = data_.substr(at_, count);
    at_ += count;
    return part;
  }
  // A character count (with its terminating NUL) and as many UTF-16
  // characters; the text without the NUL.
  std::string counted_text() {
    const std::uint32_t count = u32();
    return utf16_text(bytes(std::uint64_t{count} * 2));
  }
  static std::string utf16_text(std::string_view bytes) {
    std::string utf8;
    std::uint16_t pending = 0;
    append_utf16(bytes, pending, utf8);
    finish_utf16(pending, utf8);
    if (const std::size_t end = utf8.find('\0'); end != std::string::npos) utf8.resize(end);
    return utf8;
  }

 private:
  bool need(std::uint64_t count) {
    if (ok_ && data_.size() - at_ >= count) return true;
    ok_ = false;
    return false;
  }
  std::string_view data_;
  std::size_t at_ = 0;
  bool ok_ = true;
};

MergedRange read_range(Cursor& cursor) {
  MergedRange range;
  range.first_row = cursor.u16();
  range.last_row = cursor.u16();
  range.first_column = std::min<std::uint32_t>(cursor.u16(), kLastColumn);
  range.last_column = std::min<std::uint32_t>(cursor.u16(), kLastColumn);
  return range;
}

// A file moniker: "..\" repeated, a path in the workbook's code page, then
// after fixed fields, when the path needs it, the path in UTF-16.
bool read_file_moniker(Cursor& cursor, std::string& target) {
  const std::uint16_t up_levels = cursor.u16();
  const std::string_view ansi = cursor.bytes(cursor.u32());
  cursor.bytes(2 + 2 + 16 + 4);  // end of server, version, reserved
  const std::uint32_t unicode_size = cursor.u32();
  std::string path;
  if (unicode_size > 0) {
    const std::uint32_t unicode_bytes = cursor.u32();
    cursor.u16();  // the key value
    path = Cursor::utf16_text(cursor.bytes(unicode_bytes));
  } else {
    append_code_page(ansi.substr(0, ansi.find('\0')), kCodePageWestern, path);
  }
  if (!cursor.ok()) return false;
  for (std::uint16_t i = 0; i < up_levels && i < 256; ++i) target += "..\\";
  target += path;
  return true;
}

}  // namespace

// HLINK: the range, the class id of the link and its version (twenty
// bytes), options, then as the options say: the display name, the target
// frame, the moniker of the address, the place in the workbook.
bool read_hyperlink(std::string_view data, CellLink& link) {
  Cursor cursor(data);
  link.range = read_range(cursor);
  cursor.bytes(20);
  const std::uint32_t options = cursor.u32();
  if (!cursor.ok() || link.range.first_row > link.range.last_row ||
      link.range.first_column > link.range.last_column)
    return false;
  if (options & kHasDisplayName) link.display = cursor.counted_text();
  if (options & kHasFrameName) cursor.counted_text();
  if (options & kHasMoniker) {
    if (options & kMonikerSavedAsString) {
      link.target = cursor.counted_text();
    } else {
      const std::string_view kind = cursor.bytes(16);
      if (kind == kUrlMoniker) {
        // Its length in bytes, the address with its NUL (and, in newer
        // files, more after it within that length).
        link.target = Cursor::utf16_text(cursor.bytes(cursor.u32()));
      } else if (kind == kFileMoniker) {
        if (!read_file_moniker(cursor, link.target)) return false;
      } else {
        return false;  // a moniker whose length only its kind tells
      }
    }
  }
  if (options & kHasLocation) link.location = cursor.counted_text();
  if (options & kHasGuid) cursor.bytes(16);
  if (options & kHasCreationTime) cursor.bytes(8);
  return cursor.ok() && (!link.target.empty() || !link.location.empty());
}

// HLINKTOOLTIP: its own record type again, the range, then the text up to
// a NUL.
bool read_link_tooltip(std::string_view data, MergedRange& range, std::string& tooltip) {
  Cursor cursor(data);
  cursor.u16();
  range = read_range(cursor);
  if (!cursor.ok()) return false;
  std::string_view rest = data.substr(10);
  tooltip = Cursor::utf16_text(rest.substr(0, rest.size() & ~std::size_t{1}));
  return true;
}

}  // namespace sheetlib::xls
