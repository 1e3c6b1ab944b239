#include "sheetlib/xls/biff_strings.h"

#include <algorithm>

#include "sheetlib/xls/code_page_tables.h"
#include "sheetlib/xls/little_endian.h"
#include "text/encoding.h"
#include "text/unicode.h"

namespace sheetlib::xls {

namespace {

using colsplit::append_utf8;

constexpr std::uint8_t kHighBytes = 0x01;  // the characters are UTF-16, not compressed
constexpr std::uint8_t kFarEast = 0x04;    // phonetic data follows the characters
constexpr std::uint8_t kRich = 0x08;       // formatting runs follow the characters

constexpr std::uint32_t kReplacement = 0xFFFD;

void append_unit(std::uint16_t unit, std::uint16_t& pending_high, std::string& out) {
  if (pending_high != 0) {
    if (unit >= 0xDC00 && unit <= 0xDFFF) {
      append_utf8(out, 0x10000 + ((static_cast<std::uint32_t>(pending_high) - 0xD800) << 10) + (unit - 0xDC00u));
      pending_high = 0;
      return;
    }
    append_utf8(out, kReplacement);
    pending_high = 0;
  }
  if (unit >= 0xD800 && unit <= 0xDBFF) {
    pending_high = unit;
  } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
    append_utf8(out, kReplacement);
  } else {
    append_utf8(out, unit);
  }
}

}  // namespace

void append_utf16(std::string_view bytes, std::uint16_t& pending_high, std::string& utf8) {
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const std::uint16_t unit = le16(bytes, i);
    if (unit < 0x80 && pending_high == 0) {
      utf8.push_back(static_cast<char>(unit));
    } else {
      append_unit(unit, pending_high, utf8);
    }
  }
}

void append_compressed(std::string_view bytes, std::uint16_t& pending_high, std::string& utf8) {
  if (pending_high != 0 && !bytes.empty()) {
    append_utf8(utf8, kReplacement);
    pending_high = 0;
  }
  for (const char c : bytes) append_utf8(utf8, static_cast<unsigned char>(c));
}

void finish_utf16(std::uint16_t& pending_high, std::string& utf8) {
  if (pending_high != 0) append_utf8(utf8, kReplacement);
  pending_high = 0;
}

void append_code_page(std::string_view bytes, std::uint16_t code_page, std::string& utf8) {
  if (code_page == kCodePageGbk || code_page == kCodePageGb18030) {
    // The program's own texts are code page 936 (and GB18030 beyond it).
    utf8 += colsplit::gbk_to_utf8(bytes);
    return;
  }
  if (const DoubleByteTable* table = double_byte_table(code_page)) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      const auto byte = static_cast<unsigned char>(bytes[i]);
      if (byte < 0x80) {
        utf8.push_back(bytes[i]);
        continue;
      }
      const std::uint8_t row = table->rows[byte - 0x80];
      if (row == 0xFF) {
        append_utf8(utf8, table->high[byte - 0x80]);
        continue;
      }
      // A pair the page lacks, or a lead byte at the end, is U+FFFD; a trail
      // that cannot trail is read again as a character of its own.
      char16_t character = 0;
      if (i + 1 < bytes.size()) {
        const unsigned trail = static_cast<unsigned char>(bytes[i + 1]) - table->first_trail;
        if (trail < table->trail_count) character = table->pairs[std::size_t{row} * table->trail_count + trail];
      }
      append_utf8(utf8, character != 0 ? character : kReplacement);
      if (character != 0) ++i;
    }
    return;
  }
  // Without a table of its own (an OEM page, say), a page is read as
  // Western: its ASCII half is right.
  const char16_t* high = single_byte_table(code_page);
  if (high == nullptr) high = single_byte_table(kCodePageWestern);
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      utf8.push_back(c);
    } else {
      append_utf8(utf8, high[byte - 0x80]);
    }
  }
}

bool FragmentCursor::read_string(bool short_count, const StringForm& form, std::string& utf8) {
  if (!form.byte_strings) return read_string(short_count, utf8);
  utf8.clear();
  std::uint16_t count = 0;
  if (!character_count(short_count, count)) return false;
  // Gathered whole first: a two-byte character may be cut between records.
  std::string bytes;
  for (std::size_t left = count; left > 0;) {
    if (!next_bytes()) return false;
    const std::string_view available = rest().substr(0, left);
    bytes += available;
    at_ += available.size();
    left -= available.size();
  }
  append_code_page(bytes, form.code_page, utf8);
  return true;
}

bool FragmentCursor::character_count(bool short_count, std::uint16_t& count) {
  if (!short_count) return u16(count);
  std::uint8_t short_value = 0;
  if (!u8(short_value)) return false;
  count = short_value;
  return true;
}

bool FragmentCursor::next_bytes() {
  while (index_ < fragments_.size() && at_ >= fragments_[index_].size()) {
    ++index_;
    at_ = 0;
  }
  return index_ < fragments_.size();
}

bool FragmentCursor::at_end() { return !next_bytes(); }

bool FragmentCursor::u8(std::uint8_t& value) {
  if (!next_bytes()) return false;
  value = static_cast<std::uint8_t>(fragments_[index_][at_++]);
  return true;
}

bool FragmentCursor::u16(std::uint16_t& value) {
  std::uint8_t low = 0, high = 0;
  if (!u8(low) || !u8(high)) return false;
  value = static_cast<std::uint16_t>(low | high << 8);
  return true;
}

bool FragmentCursor::u32(std::uint32_t& value) {
  std::uint16_t low = 0, high = 0;
  if (!u16(low) || !u16(high)) return false;
  value = static_cast<std::uint32_t>(low) | static_cast<std::uint32_t>(high) << 16;
  return true;
}

bool FragmentCursor::skip(std::uint64_t bytes) {
  while (bytes > 0) {
    if (!next_bytes()) return false;
    const std::size_t step = static_cast<std::size_t>(std::min<std::uint64_t>(bytes, rest().size()));
    at_ += step;
    bytes -= step;
  }
  return true;
}

bool FragmentCursor::read_string(bool short_count, std::string& utf8) {
  utf8.clear();
  std::uint16_t count = 0;
  std::uint8_t flags = 0;
  if (!character_count(short_count, count)) return false;
  if (!u8(flags)) return false;
  std::uint16_t runs = 0;
  std::uint32_t far_east_bytes = 0;
  if ((flags & kRich) && !u16(runs)) return false;
  if ((flags & kFarEast) && !u32(far_east_bytes)) return false;

  bool wide = flags & kHighBytes;
  std::uint16_t pending_high = 0;
  std::size_t left = count;
  while (left > 0) {
    if (index_ >= fragments_.size()) return false;
    if (at_ >= fragments_[index_].size()) {
      // The characters go on in the next CONTINUE record, behind a flags
      // byte of their own.
      ++index_;
      at_ = 0;
      if (index_ >= fragments_.size() || fragments_[index_].empty()) return false;
      wide = static_cast<std::uint8_t>(fragments_[index_][at_++]) & kHighBytes;
      continue;
    }
    const std::string_view available = rest();
    const std::size_t width = wide ? 2 : 1;
    const std::size_t take = std::min(left, available.size() / width);
    if (take == 0) {
      // Half a character at a record's end: writers do not cut there; the
      // stray byte is passed over.
      at_ = fragments_[index_].size();
      continue;
    }
    if (wide) {
      append_utf16(available.substr(0, take * 2), pending_high, utf8);
    } else {
      append_compressed(available.substr(0, take), pending_high, utf8);
    }
    at_ += take * width;
    left -= take;
  }
  finish_utf16(pending_high, utf8);
  return skip(std::uint64_t{runs} * 4 + far_east_bytes);
}

}  // namespace sheetlib::xls
