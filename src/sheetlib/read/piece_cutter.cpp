#include "sheetlib/read/piece_cutter.h"

namespace sheetlib {

namespace {

// A sheet whose first row is not in its first 8 MiB is read whole.
constexpr std::size_t kMostHeadBytes = 8 * 1024 * 1024;

// True when the document is UTF-8, as far as its start and its XML
// declaration tell: the cuts are looked for in UTF-8 bytes.
bool declared_utf8(std::string_view head) {
  if (head.starts_with("\xEF\xBB\xBF")) head.remove_prefix(3);
  if (head.size() >= 2 && (head[0] == '\xFE' || head[0] == '\xFF' || head[0] == '\0' || head[1] == '\0')) return false;
  if (!head.starts_with("<?xml")) return true;
  const std::size_t end = head.find("?>");
  if (end == std::string_view::npos) return false;
  std::string declaration(head.substr(0, end));
  for (char& c : declaration) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  const std::size_t encoding = declaration.find("encoding");
  return encoding == std::string::npos || declaration.find("utf-8", encoding) != std::string::npos;
}

}  // namespace

bool PieceCutter::take_head(const char* data, std::size_t size, std::size_t& first) {
  head_.append(data, size);
  first = row_starts_.next(head_, scanned_, scanned_);
  if (row_starts_.unsure()) return false;
  if (first == RowStartsScanner::npos) return head_.size() <= kMostHeadBytes;
  return declared_utf8(head_);
}

void PieceCutter::begin_pieces(std::size_t first) {
  current_ = spares_.take();
  current_->xml.assign(head_, first);
  std::string().swap(head_);
  scanned_ = 1;
}

std::unique_ptr<Piece> PieceCutter::cut() {
  const std::size_t at = row_starts_.next(current_->xml, scanned_, scanned_, current_->streamed ? 1 : kPieceBytes);
  if (at == RowStartsScanner::npos) return nullptr;
  std::unique_ptr<Piece> next = spares_.take();
  next->xml.assign(current_->xml, at);
  current_->xml.resize(at);
  scanned_ = 1;
  std::swap(current_, next);
  return next;
}

void PieceCutter::drop_scanned() {
  current_->xml.erase(0, scanned_);
  scanned_ = 0;
}

}  // namespace sheetlib
