// libFuzzer target: the input is a shared strings part after one byte that
// chooses how it is read. The part is read twice: by expat alone with
// SharedStringsHandler, and by the shared strings scanner, fed in pieces.
// Unless the scanner declines, both must end alike and give the same
// strings, the scanner counting no fewer markup items than expat; a
// declined reading must leave the budget as it was. Any difference aborts.
//
// The choosing byte: bits 0-2 and 3-5 the sizes of the pieces, which
// alternate (kPieces); bit 6 a limit of three strings; bit 7 a depth limit
// of four elements (below that of rich text's run properties).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "sheetlib/read/shared_strings_part.h"
#include "sheetlib/read/shared_strings_scanner.h"
#include "sheetlib/read/xml_stream.h"

namespace {

using namespace sheetlib;

constexpr std::size_t kWhole = SIZE_MAX;
constexpr std::size_t kPieces[8] = {kWhole, 1, 2, 3, 5, 17, 64, 1000};

[[noreturn]] void differ(const char* what, std::size_t at = 0) {
  std::fprintf(stderr, "shared strings scanner differs from expat: %s (at %zu)\n", what, at);
  std::abort();
}

struct Reading {
  CellGrid::Storage storage;
  SharedStringSpans strings;
  ReadStatus status = ReadStatus::ok;
  std::uint64_t spent = 0;
};

std::string_view text_at(const CellGrid::Storage& storage, const TextSpan& span) {
  CellRecord cell(0, 0, CellRecord::kSharedString, false);
  CellGrid::Storage::place_shared_string(cell, span.offset, span.length);
  return storage.text_of(cell);
}

void compare(const Reading& expat, const Reading& scanned) {
  if (expat.status != scanned.status) differ("status");
  if (scanned.spent < expat.spent) differ("fewer markup items counted", static_cast<std::size_t>(scanned.spent));
  if (expat.status != ReadStatus::ok) return;
  if (expat.strings.size() != scanned.strings.size()) differ("string count");
  for (std::size_t i = 0; i < expat.strings.size(); ++i)
    if (text_at(expat.storage, expat.strings[i]) != text_at(scanned.storage, scanned.strings[i])) differ("text", i);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t choice = data[0];
  const std::string_view part(reinterpret_cast<const char*>(data + 1), size - 1);
  ReadLimits limits;
  if (choice & 0x40) limits.max_shared_strings = 3;
  if (choice & 0x80) limits.max_element_depth = 4;
  const std::size_t pieces[2] = {kPieces[choice & 7], kPieces[(choice >> 3) & 7]};

  Reading expat;
  {
    xml::MarkupBudget budget(limits.min_markup_items);
    SharedStringsHandler handler(expat.storage, limits.max_shared_strings);
    {
      xml::Parser parser(handler, limits, &budget);
      parser.feed(part.data(), part.size(), true);
      expat.status = parser.status();
    }
    expat.strings = handler.take_strings();
    expat.spent = budget.spent();
  }

  Reading scanned;
  xml::MarkupBudget budget(limits.min_markup_items);
  bool declined = false;
  {
    SharedStringsScanner scanner(scanned.storage, limits, budget);
    std::size_t at = 0;
    for (int turn = 0;; turn ^= 1) {
      const std::size_t piece = std::min(pieces[turn], part.size() - at);
      const bool last = at + piece == part.size();
      if (!scanner.consume(part.data() + at, piece, last) || last) break;
      at += piece;
    }
    declined = scanner.declined();
    scanned.status = scanner.status();
    scanned.strings = scanner.take_strings();
  }
  scanned.spent = budget.spent();
  if (declined) {
    if (scanned.spent != 0) differ("a declined reading kept its markup items");
    return 0;
  }
  compare(expat, scanned);
  return 0;
}
