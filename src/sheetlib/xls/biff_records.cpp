#include "sheetlib/xls/biff_records.h"

#include "sheetlib/xls/little_endian.h"

namespace sheetlib::xls {

bool RecordReader::next(Record& record) {
  if (at_ >= stream_.size()) return false;
  if (stream_.size() - at_ < 4) {
    truncated_ = true;
    return false;
  }
  const std::size_t length = le16(stream_, at_ + 2);
  if (stream_.size() - at_ - 4 < length) {
    truncated_ = true;
    return false;
  }
  record.type = le16(stream_, at_);
  record.data = stream_.substr(at_ + 4, length);
  at_ += 4 + length;
  return true;
}

void RecordReader::with_continues(const Record& record, std::vector<std::string_view>& fragments) {
  fragments.clear();
  fragments.push_back(record.data);
  for (;;) {
    RecordReader ahead = *this;
    Record following;
    if (!ahead.next(following) || following.type != record::kContinue) return;
    fragments.push_back(following.data);
    *this = ahead;
  }
}

}  // namespace sheetlib::xls
