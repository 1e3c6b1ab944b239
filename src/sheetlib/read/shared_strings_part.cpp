#include "sheetlib/read/shared_strings_part.h"

#include "sheetlib/read/ooxml_text.h"

namespace sheetlib {

void RichTextCollector::start(xml::Name name) {
  ++depth_;
  if (name.ns != xml::Ns::main) return;
  if (name.local == "rPh" && phonetic_depth_ == 0) phonetic_depth_ = depth_;
  if (name.local == "t" && phonetic_depth_ == 0) in_text_ = true;
}

void RichTextCollector::end(xml::Name name) {
  if (name.ns == xml::Ns::main) {
    if (name.local == "t") in_text_ = false;
    if (depth_ == phonetic_depth_) phonetic_depth_ = 0;
  }
  --depth_;
}

void SharedStringsHandler::start(xml::Name name, const xml::Attributes&) {
  if (in_item_) return item_.start(name);
  if (name.is(xml::Ns::main, "si")) {
    if (strings_.size() >= max_strings_) return fail(ReadStatus::over_limit);
    in_item_ = true;
    item_.reset();
  }
}

void SharedStringsHandler::end(xml::Name name) {
  if (!in_item_) return;
  if (name.is(xml::Ns::main, "si") && !item_.in_nested()) {
    in_item_ = false;
    TextSpan span;
    if (!store_package_text(storage_, item_.text(), span.offset, span.length)) return fail(ReadStatus::over_limit);
    strings_.push_back(span);
    return;
  }
  item_.end(name);
}

}  // namespace sheetlib
