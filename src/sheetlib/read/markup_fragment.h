// An element of a part written back as a canonical fragment (see
// sheet_look.h) from the parser's events: the element with its children,
// in the main namespace without a prefix, unprefixed attributes only,
// texts and attribute values escaped, elements of other namespaces left
// out with all they hold, and no whitespace between elements. The parser
// already leaves extension lists out.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "sheetlib/read/xml_stream.h"

namespace sheetlib {

// The most one fragment may hold: a larger one is left out.
constexpr std::size_t kMaxFragmentBytes = 256 * 1024;

class FragmentWriter {
 public:
  // Begins a fragment with the start tag of its element (of the main
  // namespace), leaving out the unprefixed attribute `left_out` if named.
  void begin(xml::Name name, const xml::Attributes& attributes, std::string_view left_out = {});
  // True from begin() until the element's own end.
  bool active() const { return depth_ > 0; }
  // The events inside the element; end() is true at the element's own end.
  void start(xml::Name name, const xml::Attributes& attributes);
  bool end(xml::Name name);
  void text(std::string_view text);
  // Once the element ended: moves the fragment to `into` and tells whether
  // it is whole (false when it grew past kMaxFragmentBytes; `into` is then
  // empty).
  bool take(std::string& into);

 private:
  void write_start(xml::Name name, const xml::Attributes& attributes, std::string_view left_out);
  void flush_text();
  void close_start_tag();
  void check_size();

  std::string out_;
  std::string pending_text_;  // text since the last tag, written at the next
  int depth_ = 0;
  int foreign_depth_ = 0;  // the depth of the element of another namespace we are in, or 0
  bool start_open_ = false;  // the last start tag written awaits its '>' or "/>"
  bool too_large_ = false;
};

// Appends `text` escaped as character data (attribute values too when
// `attribute`).
void append_escaped(std::string& out, std::string_view text, bool attribute);

}  // namespace sheetlib
