#include "export/fallback_sheet_name.h"

#include <string>
#include <string_view>
#include <vector>

#include "text/gb18030.h"
#include "text/gbk_chars.h"
#include "text/texts.h"
#include "text/unicode.h"

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
// does it hold bytes that are no character (a lead byte cut short, a
// four-byte sequence that stands for nothing): they would reach the library
// as '?'.
NameCharacter as_name_character(std::string_view bytes) {
  if (bytes.size() == 1 && static_cast<unsigned char>(bytes[0]) < 0x80) {
    return is_refused_ascii(bytes[0]) ? kReplacement : NameCharacter{bytes, 1};
  }
  std::size_t pos = 0;
  const char32_t code_point = next_gbk(bytes, pos);
  std::string encoded;
  append_gbk(encoded, code_point);
  if (encoded != bytes) return kReplacement;
  return NameCharacter{bytes, static_cast<int>(utf16_length(code_point))};
}

bool is_apostrophe(const NameCharacter& character) { return character.bytes == "'"; }

}  // namespace

Text fallback_sheet_name(const Text& name, int number) {
  const Text suffix = number > 1 ? " (" + std::to_string(number) + ")" : Text();
  const int longest = kLongestSheetName - static_cast<int>(suffix.size());
  std::vector<NameCharacter> characters;
  for (std::size_t pos = 0; pos < name.size();) {
    const std::string_view bytes = std::string_view(name).substr(pos, gbk_char_length(name, pos));
    characters.push_back(as_name_character(bytes));
    pos += bytes.size();
  }
  std::size_t first = 0;
  while (first < characters.size() && is_apostrophe(characters[first])) ++first;
  std::size_t end = first;
  for (int units = 0; end < characters.size() && units + characters[end].units <= longest; ++end) {
    units += characters[end].units;
  }
  while (end > first && is_apostrophe(characters[end - 1])) --end;

  Text result;
  for (std::size_t i = first; i < end; ++i) result += characters[i].bytes;
  return (result.empty() ? Text(texts::kBlankSheetName) : result) + suffix;
}

}  // namespace colsplit
