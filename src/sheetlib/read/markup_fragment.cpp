#include "sheetlib/read/markup_fragment.h"

namespace sheetlib {

void append_escaped(std::string& out, std::string_view text, bool attribute) {
  for (const char c : text) {
    if (c == '&') {
      out += "&amp;";
    } else if (c == '<') {
      out += "&lt;";
    } else if (c == '>') {
      out += "&gt;";
    } else if (c == '\r') {
      out += "&#13;";
    } else if (attribute && c == '"') {
      out += "&quot;";
    } else if (attribute && (c == '\t' || c == '\n')) {
      // Written as they are, an attribute's tabs and line breaks would be
      // read back as spaces.
      out += c == '\t' ? "&#9;" : "&#10;";
    } else {
      out += c;
    }
  }
}

void FragmentWriter::begin(xml::Name name, const xml::Attributes& attributes, std::string_view left_out) {
  out_.clear();
  pending_text_.clear();
  depth_ = 1;
  foreign_depth_ = 0;
  start_open_ = false;
  too_large_ = false;
  write_start(name, attributes, left_out);
}

void FragmentWriter::write_start(xml::Name name, const xml::Attributes& attributes, std::string_view left_out) {
  if (too_large_) return;
  close_start_tag();
  out_ += '<';
  out_ += name.local;
  attributes.each([&](xml::Name attribute, const char* value) {
    if (attribute.ns != xml::Ns::none || (!left_out.empty() && attribute.local == left_out)) return;
    out_ += ' ';
    out_ += attribute.local;
    out_ += "=\"";
    append_escaped(out_, value, true);
    out_ += '"';
  });
  start_open_ = true;
  check_size();
}

void FragmentWriter::start(xml::Name name, const xml::Attributes& attributes) {
  ++depth_;
  if (foreign_depth_ > 0) return;
  if (name.ns != xml::Ns::main) {
    foreign_depth_ = depth_;
    return;
  }
  flush_text();
  write_start(name, attributes, {});
}

bool FragmentWriter::end(xml::Name name) {
  const int depth = depth_--;
  if (foreign_depth_ > 0) {
    if (foreign_depth_ == depth) foreign_depth_ = 0;
    return false;
  }
  flush_text();
  if (!too_large_) {
    if (start_open_) {
      out_ += "/>";
      start_open_ = false;
    } else {
      out_ += "</";
      out_ += name.local;
      out_ += '>';
    }
    check_size();
  }
  return depth_ == 0;
}

void FragmentWriter::text(std::string_view text) {
  // expat hands a text over in pieces (split at references and line
  // breaks): it is written whole at the next tag.
  if (foreign_depth_ == 0 && !too_large_) {
    pending_text_.append(text);
    if (pending_text_.size() > kMaxFragmentBytes) {
      too_large_ = true;
      std::string().swap(out_);
      std::string().swap(pending_text_);
    }
  }
}

void FragmentWriter::flush_text() {
  if (pending_text_.empty()) return;
  // Whitespace between elements is layout, not content.
  if (pending_text_.find_first_not_of(" \t\r\n") != std::string::npos && !too_large_) {
    close_start_tag();
    append_escaped(out_, pending_text_, false);
    check_size();
  }
  pending_text_.clear();
}

void FragmentWriter::close_start_tag() {
  if (!start_open_) return;
  out_ += '>';
  start_open_ = false;
}

void FragmentWriter::check_size() {
  if (out_.size() <= kMaxFragmentBytes) return;
  too_large_ = true;
  std::string().swap(out_);
}

bool FragmentWriter::take(std::string& into) {
  const bool whole = !too_large_;
  into = whole ? std::move(out_) : std::string();
  out_.clear();
  pending_text_.clear();
  return whole;
}

}  // namespace sheetlib
