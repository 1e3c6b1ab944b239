#include "export/fallback_sheet_name.h"

#include <string_view>
#include <vector>

#include "text/encoding.h"
#include "text/gbk_chars.h"
#include "text/texts.h"

namespace colsplit {

namespace {

constexpr int kLongestSheetName = 31;  // UTF-16 units, as spreadsheet applications count

struct NameCharacter {
  std::string_view bytes;
  int units;  // UTF-16 units the application counts for it
};

constexpr NameCharacter kReplacement{"_", 1};

bool is_refused_ascii(char c) {
  return static_cast<unsigned char>(c) < 0x20 || std::string_view(":\\/?*[]").find(c) != std::string_view::npos;
}

// The character as the library will take it into a name, or the replacement.
// Besides : \ / ? * [ ], a name holds no control character: a value with a
// line break or a tab would otherwise leave its group without a sheet. Nor
// does it hold bytes that do not convert to exactly one character: an
// invalid sequence would reach the library as '?', and the double-byte walk
// takes 0x80 with the byte after it, where the code page has a character of
// one byte (€) followed by another.
NameCharacter as_name_character(std::string_view bytes) {
  if (bytes.size() == 1 && static_cast<unsigned char>(bytes[0]) < 0x80) {
    return is_refused_ascii(bytes[0]) ? kReplacement : NameCharacter{bytes, 1};
  }
  const std::string utf8 = gbk_to_utf8(bytes);
  if (utf8.empty() || utf8_to_gbk(utf8) != bytes) return kReplacement;
  std::size_t code_points = 0;
  for (const char c : utf8) code_points += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
  const auto lead = static_cast<unsigned char>(utf8[0]);
  if (code_points != 1 || (lead < 0x80 && is_refused_ascii(utf8[0]))) return kReplacement;
  return NameCharacter{bytes, lead >= 0xF0 ? 2 : 1};
}

bool is_apostrophe(const NameCharacter& character) { return character.bytes == "'"; }

}  // namespace

Text fallback_sheet_name(const Text& name) {
  std::vector<NameCharacter> characters;
  for (std::size_t pos = 0; pos < name.size();) {
    const std::string_view bytes = std::string_view(name).substr(pos, gbk_char_length(name, pos));
    characters.push_back(as_name_character(bytes));
    pos += bytes.size();
  }
  std::size_t first = 0;
  while (first < characters.size() && is_apostrophe(characters[first])) ++first;
  std::size_t end = first;
  for (int units = 0; end < characters.size() && units + characters[end].units <= kLongestSheetName; ++end) {
    units += characters[end].units;
  }
  while (end > first && is_apostrophe(characters[end - 1])) --end;

  Text result;
  for (std::size_t i = first; i < end; ++i) result += characters[i].bytes;
  return result.empty() ? Text(texts::kBlankSheetName) : result;
}

}  // namespace colsplit
