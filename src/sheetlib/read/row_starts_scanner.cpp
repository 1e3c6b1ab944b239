#include "sheetlib/read/row_starts_scanner.h"

#include <algorithm>
#include <cstring>

namespace sheetlib {

namespace {

bool ends_name(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '>' || c == '/'; }

// The first "<!" or "<?" in text[from, limit), at its '<'; else the last
// byte before limit (whose '<' may begin one that the text goes on with).
// Both are rare in a sheet, so the search goes by memchr's long strides.
std::size_t next_declaration(std::string_view text, std::size_t from, std::size_t limit) {
  const char* const begin = text.data();
  const auto find = [&](char c, std::size_t at) -> std::size_t {
    const void* found = at < limit ? std::memchr(begin + at, c, limit - at) : nullptr;
    return found ? static_cast<std::size_t>(static_cast<const char*>(found) - begin) : limit;
  };
  std::size_t bang = find('!', from + 1), question = find('?', from + 1);
  for (;;) {
    const std::size_t mark = std::min(bang, question);
    if (mark == limit) return limit - 1;
    if (text[mark - 1] == '<') return mark - 1;
    (mark == bang ? bang : question) = find(text[mark], mark + 1);
  }
}

}  // namespace

bool RowStartsScanner::is_row(std::string_view tag) {
  if (!row_name_.empty()) return tag.starts_with(row_name_) && ends_name(tag[row_name_.size()]);
  // The first row names the rows: "row" or "p:row".
  std::size_t end = 0;
  while (end < tag.size() && end < 64 && !ends_name(tag[end])) ++end;
  if (end == tag.size() || end == 64) return false;
  const std::string_view name = tag.substr(0, end);
  if (name != "row" && !(name.size() > 4 && name.ends_with(":row"))) return false;
  row_name_ = name;
  return true;
}

std::size_t RowStartsScanner::next(std::string_view text, std::size_t from, std::size_t& scanned,
                                   std::size_t not_before) {
  std::size_t at = from;
  for (;;) {
    // Inside a comment, a CDATA section or an instruction: to its end.
    if (state_ != State::markup) {
      const char* end = state_ == State::comment ? "-->" : state_ == State::cdata ? "]]>" : "?>";
      const std::size_t found = text.find(end, at);
      if (found == std::string_view::npos) {
        // The end may straddle the next piece: look again at the last bytes.
        const std::size_t keep = std::strlen(end) - 1;
        scanned = text.size() > keep && text.size() - keep > at ? text.size() - keep : at;
        return npos;
      }
      at = found + std::strlen(end);
      state_ = State::markup;
    }
    // Before not_before no row is wanted once the rows' name is known: only
    // what begins a comment, a CDATA section or an instruction matters there.
    if (!row_name_.empty() && at + 1 < not_before && at + 1 < text.size())
      at = next_declaration(text, at, std::min(not_before, text.size()));
    const std::size_t open = text.find('<', at);
    if (open == std::string_view::npos) {
      scanned = text.size();
      return npos;
    }
    // Enough of the text to tell what the '<' begins (a name is looked for
    // in the next 64 bytes).
    const std::size_t needed = open + 1 + std::max<std::size_t>(row_name_.empty() ? 64 : row_name_.size() + 1, 9);
    if (text.size() < needed) {
      scanned = open;
      return npos;
    }
    const std::string_view after = text.substr(open + 1);
    if (after.starts_with("!--")) {
      state_ = State::comment;
      at = open + 4;
    } else if (after.starts_with("![CDATA[")) {
      state_ = State::cdata;
      at = open + 9;
    } else if (after.starts_with("?")) {
      state_ = State::instruction;
      at = open + 2;
    } else if (after.starts_with("!")) {
      // A document type declaration (a parse error here anyway).
      unsure_ = true;
      at = open + 1;
    } else if (is_row(after)) {
      if (open >= not_before) {
        scanned = open + 1;
        return open;
      }
      at = open + 1;
    } else {
      at = open + 1;
    }
  }
}

}  // namespace sheetlib
