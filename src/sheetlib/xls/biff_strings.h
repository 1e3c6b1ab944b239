// The strings of the workbook stream. A string is a character count, a
// flags byte and the characters: UTF-16, or "compressed" to one byte each
// when every character is below U+0100. Strings of the shared string table
// also carry formatting runs and phonetic (far-east) data after their
// characters, which the cells do not show and which are skipped.
//
// A string may go on in a CONTINUE record. Where its characters are cut,
// the CONTINUE record starts with a new flags byte, and the rest may be
// compressed when the first part was not, or the other way round; where
// anything else is cut (a count, the runs), the bytes simply go on.
//
// Excel 5.0 and 95 (BIFF5) stored strings as bytes of the workbook's code
// page (its CODEPAGE record) after their count, with no flags byte.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sheetlib::xls {

// The code pages byte strings are read in: Chinese (GBK, through the
// program's own converter), the single-byte Windows pages (874, 1250-1258)
// and Mac Roman (10000), the Japanese (932), Korean (949) and Big5 (950)
// pages (code_page_tables.h). Western is what a workbook without CODEPAGE
// record uses; a page without a table (an OEM page) is read as Western too.
constexpr std::uint16_t kCodePageGbk = 936;
constexpr std::uint16_t kCodePageGb18030 = 54936;
constexpr std::uint16_t kCodePageWestern = 1252;

// How a workbook stores its strings.
struct StringForm {
  bool byte_strings = false;  // BIFF5: bytes of code_page; BIFF8: Unicode strings
  std::uint16_t code_page = kCodePageWestern;
};

// Appends bytes of a code page to a UTF-8 text.
void append_code_page(std::string_view bytes, std::uint16_t code_page, std::string& utf8);

// Reads across the data of a record and its CONTINUE records.
class FragmentCursor {
 public:
  explicit FragmentCursor(const std::vector<std::string_view>& fragments) : fragments_(fragments) {}

  bool u8(std::uint8_t& value);
  bool u16(std::uint16_t& value);
  bool u32(std::uint32_t& value);
  bool skip(std::uint64_t bytes);
  // True when every fragment has been read.
  bool at_end();

  // Reads a string whose count has two bytes (one when `short_count`) into
  // `utf8`. False when the data ends inside it.
  bool read_string(bool short_count, std::string& utf8);
  // The same for a string of the workbook's form.
  bool read_string(bool short_count, const StringForm& form, std::string& utf8);

 private:
  // A string's character count: one byte (short_count) or two.
  bool character_count(bool short_count, std::uint16_t& count);
  // Moves past the fragments that have been read to their end.
  bool next_bytes();
  std::string_view rest() const { return fragments_[index_].substr(at_); }

  const std::vector<std::string_view>& fragments_;
  std::size_t index_ = 0;
  std::size_t at_ = 0;
};

// Appends UTF-16LE code units (`bytes` holds pairs), or compressed
// characters (one byte each, U+0000 … U+00FF), to a UTF-8 text. A surrogate
// pair cut between two calls is joined through `pending_high`; an unpaired
// surrogate becomes U+FFFD.
void append_utf16(std::string_view bytes, std::uint16_t& pending_high, std::string& utf8);
void append_compressed(std::string_view bytes, std::uint16_t& pending_high, std::string& utf8);
// Ends a text: a high surrogate left over becomes U+FFFD.
void finish_utf16(std::uint16_t& pending_high, std::string& utf8);

}  // namespace sheetlib::xls
