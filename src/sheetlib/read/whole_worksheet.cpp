#include "sheetlib/read/whole_worksheet.h"

#include <algorithm>
#include <string>

#include "sheetlib/read/cell_scanner.h"
#include "sheetlib/read/read_ahead.h"

namespace sheetlib {

namespace {

// The most of a sheet held in memory at once.
constexpr std::size_t kMostBytesInMemory = 8 * 1024 * 1024;

// Holds a part's bytes, inflated straight into the string, until more than
// kMostBytesInMemory of them are held.
class HoldingSink final : public PartSink {
 public:
  explicit HoldingSink(std::string& held) : held_(held) {}
  char* room(std::size_t size) override {
    at_ = held_.size();
    held_.resize(at_ + size);
    return held_.data() + at_;
  }
  bool take(const char* data, std::size_t size, bool last) override {
    if (data == held_.data() + at_) {
      held_.resize(at_ + size);
    } else {
      held_.append(data, size);
    }
    whole_ = last;
    return held_.size() <= kMostBytesInMemory;
  }
  // True when every byte of the part is held.
  bool whole() const { return whole_; }

 private:
  std::string& held_;
  std::size_t at_ = 0;
  bool whole_ = false;
};

}  // namespace

ReadStatus read_whole_worksheet(PartStream& stream, const SheetReading& sheet, WholeSheet how) {
  std::string held;
  bool whole = false;
  if (how == WholeSheet::in_memory) {
    held.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(stream.declared_size(), kMostBytesInMemory)));
    HoldingSink holding(held);
    if (const ReadStatus read = read_part(stream, holding); read != ReadStatus::ok) return read;
    whole = holding.whole();
    if (whole) {
      WorksheetHandler handler(sheet.storage, sheet.formats, sheet.date1904, &sheet.layout, sheet.look);
      bool declined = true;
      const ReadStatus status = read_worksheet_scanning(held, sheet.limits, sheet.budget, handler, declined);
      if (!declined) return status;
    }
  }
  // expat reads the sheet from its start: the bytes held, then the rest.
  sheet.storage.forget_cells();
  sheet.layout = {};
  if (sheet.look) *sheet.look = {};
  WorksheetHandler handler(sheet.storage, sheet.formats, sheet.date1904, &sheet.layout, sheet.look);
  xml::Parser parser(handler, sheet.limits, &sheet.budget);
  if (!parser.feed(held.data(), held.size(), whole) || whole) return parser.status();
  std::string().swap(held);
  ParserSink rest(parser);
  if (const ReadStatus read = read_part(stream, rest); read != ReadStatus::ok) return read;
  return parser.status();
}

}  // namespace sheetlib
