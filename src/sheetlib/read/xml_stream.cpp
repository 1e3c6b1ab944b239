#include "sheetlib/read/xml_stream.h"

#include <expat.h>

#include <cstring>
#include <new>

namespace sheetlib::xml {

namespace {

Ns classify(std::string_view uri) {
  if (uri == "http://schemas.openxmlformats.org/spreadsheetml/2006/main" ||
      uri == "http://purl.oclc.org/ooxml/spreadsheetml/main")
    return Ns::main;
  if (uri == "http://schemas.openxmlformats.org/officeDocument/2006/relationships" ||
      uri == "http://purl.oclc.org/ooxml/officeDocument/relationships")
    return Ns::rel;
  if (uri == "http://schemas.openxmlformats.org/package/2006/relationships") return Ns::package_rel;
  return Ns::other;
}

// "xmlns" (the default namespace) or "xmlns:p": the prefix declared, or
// null when the attribute declares none.
const char* declared_prefix(const char* name) {
  if (name[0] != 'x' || std::strncmp(name, "xmlns", 5) != 0) return nullptr;
  if (name[5] == '\0') return name + 5;
  return name[5] == ':' ? name + 6 : nullptr;
}

}  // namespace

void Namespaces::enter(const char** attributes, int depth) {
  for (const char** p = attributes; *p; p += 2) {
    const char* prefix = declared_prefix(p[0]);
    if (!prefix) continue;
    // xmlns="" undeclares the default namespace.
    const Ns ns = p[1][0] ? classify(p[1]) : Ns::none;
    std::vector<Ns>* bindings = &default_;
    if (*prefix) {
      auto found = by_prefix_.find(std::string_view(prefix));
      if (found == by_prefix_.end()) found = by_prefix_.emplace(prefix, std::vector<Ns>()).first;
      bindings = &found->second;
    }
    bindings->push_back(ns);
    declared_.push_back({bindings, depth});
  }
}

void Namespaces::leave(int depth) {
  while (!declared_.empty() && declared_.back().depth == depth) {
    declared_.back().bindings->pop_back();
    declared_.pop_back();
  }
}

Name Namespaces::resolve(const char* qualified_name, bool attribute) const {
  std::size_t colon = 0, length = 0;
  for (; qualified_name[length]; ++length)
    if (qualified_name[length] == ':' && colon == 0) colon = length;
  if (colon == 0) {
    const std::string_view local(qualified_name, length);
    if (attribute || default_.empty()) return {Ns::none, local};
    return {default_.back(), local};
  }
  const std::string_view prefix(qualified_name, colon);
  const std::string_view local(qualified_name + colon + 1, length - colon - 1);
  const auto found = by_prefix_.find(prefix);
  if (found == by_prefix_.end() || found->second.empty()) return {Ns::other, local};
  return {found->second.back(), local};
}

Name Attributes::resolve(const char* qualified_name) const {
  if (declared_prefix(qualified_name)) return {Ns::none, {}};
  return namespaces_.resolve(qualified_name, true);
}

const char* Attributes::find(Ns ns, std::string_view local) const {
  for (const char** p = pairs_; *p; p += 2) {
    const Name name = resolve(p[0]);
    if (name.ns == ns && name.local == local) return p[1];
  }
  return nullptr;
}

Parser::Parser(Handler& handler, const ReadLimits& limits, MarkupBudget* budget)
    : parser_(XML_ParserCreate(nullptr)), handler_(handler), budget_(budget), allowance_(budget), max_depth_(limits.max_element_depth) {
  if (!parser_) {
    status_ = ReadStatus::out_of_memory;
    return;
  }
  XML_SetUserData(parser_, this);
  XML_SetElementHandler(parser_, &Parser::on_start, &Parser::on_end);
  XML_SetCharacterDataHandler(parser_, &Parser::on_text);
  XML_SetStartDoctypeDeclHandler(parser_, &Parser::on_doctype);
  XML_SetEntityDeclHandler(parser_, &Parser::on_entity);
  XML_SetParamEntityParsing(parser_, XML_PARAM_ENTITY_PARSING_NEVER);
}

Parser::~Parser() {
  // What the allowance drew and did not spend goes back with it: the
  // file's cost counts what its parts spent.
  if (parser_) XML_ParserFree(parser_);
}

ReadStatus Parser::status() const { return status_; }

void Parser::stop(ReadStatus status) {
  if (status_ == ReadStatus::ok) status_ = status;
  XML_StopParser(parser_, XML_FALSE);
}

bool Parser::feed(const char* data, std::size_t size, bool last) {
  if (status_ != ReadStatus::ok) return false;
  // expat takes an int length; larger pieces go in several calls.
  constexpr std::size_t kMaxPiece = std::size_t{1} << 30;
  do {
    const std::size_t piece = size < kMaxPiece ? size : kMaxPiece;
    const bool final_piece = last && piece == size;
    if (!after_parse(XML_Parse(parser_, data, static_cast<int>(piece), final_piece))) return false;
    data += piece;
    size -= piece;
  } while (size > 0);
  return true;
}

void* Parser::buffer(std::size_t size) {
  if (status_ != ReadStatus::ok) return nullptr;
  void* buffer = XML_GetBuffer(parser_, static_cast<int>(size));
  if (!buffer) status_ = ReadStatus::out_of_memory;
  return buffer;
}

bool Parser::commit(std::size_t size, bool last) {
  if (status_ != ReadStatus::ok) return false;
  return after_parse(XML_ParseBuffer(parser_, static_cast<int>(size), last));
}

bool Parser::after_parse(int result) {
  if (status_ != ReadStatus::ok) return false;
  if (result == XML_STATUS_ERROR) {
    status_ = XML_GetErrorCode(parser_) == XML_ERROR_NO_MEMORY ? ReadStatus::out_of_memory : ReadStatus::malformed;
    return false;
  }
  return true;
}

bool MarkupAllowance::spend(std::uint64_t items) {
  constexpr std::uint64_t kBlock = 64 * 1024;
  if (!budget_) {
    spent_ += items;
    return true;
  }
  if (items > drawn_) {
    // Near the end of the budget a whole block may no longer be there.
    const std::uint64_t needed = items - drawn_;
    if (budget_->draw(needed + kBlock)) {
      drawn_ += needed + kBlock;
    } else if (budget_->draw(needed)) {
      drawn_ += needed;
    } else {
      return false;
    }
  }
  drawn_ -= items;
  spent_ += items;
  return true;
}

// The callbacks run inside expat's C code: nothing may be thrown through it.
template <typename Call>
void Parser::deliver(Call&& call) {
  try {
    call();
  } catch (const std::bad_alloc&) {
    return stop(ReadStatus::out_of_memory);
  } catch (...) {
    return stop(ReadStatus::malformed);
  }
  if (handler_.failure() != ReadStatus::ok) stop(handler_.failure());
}

void Parser::on_start(void* self, const char* name, const char** attributes) {
  auto& parser = *static_cast<Parser*>(self);
  if (++parser.depth_ > parser.max_depth_) return parser.stop(ReadStatus::over_limit);
  if (parser.budget_) {
    std::uint64_t items = 1;
    for (const char** p = attributes; *p; p += 2) ++items;
    if (!parser.spend(items)) return parser.stop(ReadStatus::over_limit);
  }
  // A place where a start tag was expected: the handler must accept the
  // tag there.
  bool expected_here = false;
  if (parser.next_expected_ < parser.expected_starts_.size()) {
    const auto byte = static_cast<std::uint64_t>(XML_GetCurrentByteIndex(parser.parser_));
    const std::uint64_t expected = parser.expected_starts_[parser.next_expected_];
    if (byte > expected) return parser.stop(ReadStatus::malformed);
    expected_here = byte == expected;
  }
  if (parser.skip_until_depth_ > 0) {
    if (expected_here) parser.stop(ReadStatus::malformed);
    return;
  }
  parser.deliver([&] {
    parser.namespaces_.enter(attributes, parser.depth_);
    const Name resolved = parser.namespaces_.resolve(name, false);
    if (expected_here) {
      if (!parser.handler_.expected_start(parser.next_expected_, resolved, Attributes(attributes, parser.namespaces_),
                                          parser.depth_))
        return parser.stop(ReadStatus::malformed);
      ++parser.next_expected_;
    }
    if (resolved.local == "extLst") {
      parser.skip_until_depth_ = parser.depth_;
      return;
    }
    parser.handler_.start(resolved, Attributes(attributes, parser.namespaces_));
  });
}

void Parser::on_end(void* self, const char* name) {
  auto& parser = *static_cast<Parser*>(self);
  // expat may still report the end of the element whose start stopped it.
  if (parser.status_ != ReadStatus::ok) return;
  const int depth = parser.depth_--;
  if (parser.skip_until_depth_ > 0) {
    if (parser.skip_until_depth_ == depth) {
      parser.skip_until_depth_ = 0;
      parser.namespaces_.leave(depth);
    }
    return;
  }
  parser.deliver([&] {
    const Name resolved = parser.namespaces_.resolve(name, false);
    parser.namespaces_.leave(depth);
    parser.handler_.end(resolved);
  });
}

void Parser::on_text(void* self, const char* text, int length) {
  auto& parser = *static_cast<Parser*>(self);
  if (parser.budget_ && !parser.spend(1)) return parser.stop(ReadStatus::over_limit);
  if (parser.skip_until_depth_ > 0) return;
  parser.deliver([&] { parser.handler_.text(std::string_view(text, static_cast<std::size_t>(length))); });
}

// A document type declaration is the only way to entities (and to their
// exponential expansion); no part of a workbook has one.
void Parser::on_doctype(void* self, const char*, const char*, const char*, int) {
  static_cast<Parser*>(self)->stop(ReadStatus::malformed);
}

void Parser::on_entity(void* self, const char*, int, const char*, int, const char*, const char*, const char*,
                       const char*) {
  static_cast<Parser*>(self)->stop(ReadStatus::malformed);
}

}  // namespace sheetlib::xml
