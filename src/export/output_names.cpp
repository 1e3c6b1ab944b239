#include "export/output_names.h"

#include <string>

#include "text/encoding.h"
#include "text/gb18030.h"
#include "text/gbk_chars.h"
#include "text/letter_case.h"
#include "text/texts.h"
#include "text/unicode.h"

namespace colsplit {

namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

bool is_forbidden_in_names(unsigned char c) {
  if (c < 0x20 || c == 0x7F) return true;
  switch (c) {
    case '\\': case '/': case ':': case '*': case '?': case '"': case '<': case '>': case '|':
      return true;
    default:
      return false;
  }
}

// The name pieces of texts.h start with Windows' separator; join_path puts
// the platform's own in its place.
std::string_view name_piece(const char* piece) {
  std::string_view text(piece);
  if (!text.empty() && text.front() == '\\') text.remove_prefix(1);
  return text;
}

// The length of the character at `pos` in a name on disk, moving `pos`
// past it.
std::size_t char_name_length(std::string_view text, std::size_t& pos) {
#ifdef _WIN32
  return utf16_length(next_gbk(text, pos));
#else
  return utf8_length(next_gbk(text, pos));
#endif
}

bool ends_in_separator(std::string_view folder) {
  if (folder.empty()) return false;
  const std::size_t last = find_last_char(folder, '\\');
  if (last != std::string_view::npos && last + 1 == folder.size()) return true;
  return kSeparator != '\\' && folder.back() == kSeparator;
}

// A name made of fixed pieces around one variable piece, which is cut so
// that the whole name fits.
Text fitted_name(std::string_view before, std::string_view variable, std::string_view after) {
  const std::size_t fixed = name_length(before) + name_length(after);
  const std::size_t room = fixed < kLongestName ? kLongestName - fixed : 0;
  Text name(before);
  name += cut_to_name_length(variable, room);
  name += after;
  return name;
}

}  // namespace

Text clean_name_piece(std::string_view piece) {
  Text cleaned(piece);
  for (std::size_t pos = 0; pos < cleaned.size(); pos += gbk_char_length(cleaned, pos)) {
    const auto byte = static_cast<unsigned char>(cleaned[pos]);
    if (byte < 0x80 && is_forbidden_in_names(byte)) cleaned[pos] = '_';
  }
  return cleaned;
}

std::size_t name_length(std::string_view name) {
  std::size_t length = 0;
  for (std::size_t pos = 0; pos < name.size();) length += char_name_length(name, pos);
  return length;
}

std::string_view cut_to_name_length(std::string_view text, std::size_t longest) {
  std::size_t length = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t next = pos;
    length += char_name_length(text, next);
    if (length > longest) break;
    pos = next;
  }
  return text.substr(0, pos);
}

Text join_path(const Text& folder, std::string_view name) {
  Text path = folder;
  if (!ends_in_separator(folder)) path += kSeparator;
  path += name;
  return path;
}

Text export_folder_path(const Text& output_folder, const Text& heading) {
  return join_path(output_folder, fitted_name(name_piece(texts::kExportFolderPrefix), clean_name_piece(heading),
                                              texts::kExportFolderSuffix));
}

Text sheets_workbook_path(const Text& export_folder, const Text& heading, const Text& time_stamp) {
  Text after = Text(texts::kExportFolderSuffix) + "_" + time_stamp;
  after += kWorkbookExtension;
  return join_path(export_folder,
                   fitted_name(name_piece(texts::kExportFolderPrefix), clean_name_piece(heading), after));
}

Text fold_letter_case(std::string_view text) {
  if (is_ascii(text)) {
    Text folded(text);
    for (char& c : folded) c = static_cast<char>(upper_case(static_cast<unsigned char>(c)));
    return folded;
  }
  Text folded;
  folded.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t start = pos;
    const char32_t c = next_gbk(text, pos);
    // A broken byte stays as it is, so that two different ones stay apart.
    if (c == kReplacementCharacter) folded.append(text.substr(start, pos - start));
    else append_gbk(folded, upper_case(c));
  }
  return folded;
}

Text GroupPaths::take(const Text& value, const Text& time_stamp) {
  return take_piece(clean_name_piece(value), time_stamp, kWorkbookExtension);
}

Text GroupPaths::take_piece(const Text& cleaned, const Text& time_stamp, std::string_view extension) {
  const std::string_view prefix = name_piece(texts::kGroupWorkbookPrefix);
  for (int copy = 1;; ++copy) {
    Text after = "_" + time_stamp;
    if (copy > 1) after += " (" + std::to_string(copy) + ")";
    after += extension;
    Text path = join_path(export_folder_, fitted_name(prefix, cleaned, after));
    if (taken_.insert(fold_letter_case(path)).second) return path;
  }
}

}  // namespace colsplit
