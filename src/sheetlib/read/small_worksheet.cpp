#include "sheetlib/read/small_worksheet.h"

#include <algorithm>
#include <string>

#include "sheetlib/read/cell_scanner.h"

namespace sheetlib {

namespace {

constexpr std::size_t kChunkBytes = 64 * 1024;

// Reads the sheet with expat: the bytes inflated so far, then the rest of
// the stream.
ReadStatus read_with_expat(std::string& inflated, PartStream& stream, xml::Parser& parser) {
  if (!parser.feed(inflated.data(), inflated.size(), false)) return parser.status();
  std::string().swap(inflated);
  for (;;) {
    void* buffer = parser.buffer(kChunkBytes);
    if (!buffer) return parser.status();
    const std::ptrdiff_t got = stream.read(static_cast<char*>(buffer), kChunkBytes);
    if (got < 0) return stream.status();
    if (!parser.commit(static_cast<std::size_t>(got), got == 0)) return parser.status();
    if (got == 0) return ReadStatus::ok;
  }
}

}  // namespace

ReadStatus read_small_worksheet(PartStream& stream, const ReadLimits& limits, xml::MarkupBudget& budget,
                                const StyleFormats& formats, bool date1904, CellGrid::Storage& storage,
                                SheetLayout& layout) {
  std::string xml;
  xml.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(stream.declared_size(), kMostBytesInMemory)));
  for (;;) {
    if (xml.size() > kMostBytesInMemory) {
      WorksheetHandler handler(storage, formats, date1904, &layout);
      xml::Parser parser(handler, limits, &budget);
      return read_with_expat(xml, stream, parser);
    }
    const std::size_t at = xml.size();
    xml.resize(at + kChunkBytes);
    const std::ptrdiff_t got = stream.read(xml.data() + at, kChunkBytes);
    if (got < 0) return stream.status();
    xml.resize(at + static_cast<std::size_t>(got));
    if (got == 0) break;
  }
  {
    WorksheetHandler handler(storage, formats, date1904, &layout);
    bool declined = true;
    const ReadStatus status = read_worksheet_scanning(xml, limits, budget, handler, declined);
    if (!declined) return status;
  }
  // What the scanning path stored goes; expat reads the same bytes.
  storage.forget_cells();
  layout = {};
  WorksheetHandler handler(storage, formats, date1904, &layout);
  xml::Parser parser(handler, limits, &budget);
  parser.feed(xml.data(), xml.size(), true);
  return parser.status();
}

}  // namespace sheetlib
