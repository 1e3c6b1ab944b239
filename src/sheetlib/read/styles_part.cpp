#include "sheetlib/read/styles_part.h"

#include <charconv>
#include <cstring>

#include "sheetlib/format/number_format.h"

namespace sheetlib {

namespace {

// Every style keeps its own copy of its format's code, twice (the one cells
// are shown with, the one the library hands out): a hostile part could give
// millions of styles one long code. Excel makes at most 64,000 styles,
// and codes of at most 255 characters (a longer one is left out, as if the
// file gave none).
constexpr std::size_t kMaxCellStyles = 65'536;
constexpr std::size_t kMaxFormatCodeBytes = 1024;

int parse_id(const char* text) {
  int value = 0;
  if (!text) return 0;
  const auto [end, error] = std::from_chars(text, text + std::strlen(text), value);
  (void)end;
  return error == std::errc() ? value : 0;
}

}  // namespace

void StylesHandler::start(xml::Name name, const xml::Attributes& attributes) {
  if (name.ns != xml::Ns::main) return;
  if (name.local == "numFmts") {
    in_num_fmts_ = true;
  } else if (name.local == "cellXfs") {
    in_cell_xfs_ = true;
  } else if (in_num_fmts_ && name.local == "numFmt") {
    const char* code = attributes.find(xml::Ns::none, "formatCode");
    if (code && std::strlen(code) <= kMaxFormatCodeBytes)
      custom_formats_[parse_id(attributes.find(xml::Ns::none, "numFmtId"))] = code;
  } else if (in_cell_xfs_ && name.local == "xf" && style_format_ids_.size() < kMaxCellStyles) {
    style_format_ids_.push_back(parse_id(attributes.find(xml::Ns::none, "numFmtId")));
  }
}

void StylesHandler::end(xml::Name name) {
  if (name.ns != xml::Ns::main) return;
  if (name.local == "numFmts") in_num_fmts_ = false;
  if (name.local == "cellXfs") in_cell_xfs_ = false;
}

std::vector<std::string> StylesHandler::style_format_codes() const {
  std::vector<std::string> codes;
  codes.reserve(style_format_ids_.size());
  for (const int id : style_format_ids_) {
    const auto custom = custom_formats_.find(id);
    codes.emplace_back(custom != custom_formats_.end() ? std::string_view(custom->second) : builtin_number_format(id));
  }
  return codes;
}

std::vector<StyleNumberFormat> StylesHandler::style_number_formats() const {
  std::vector<StyleNumberFormat> formats;
  formats.reserve(style_format_ids_.size());
  for (const int id : style_format_ids_) {
    const auto custom = custom_formats_.find(id);
    formats.push_back({id, custom != custom_formats_.end() ? custom->second : std::string()});
  }
  return formats;
}

}  // namespace sheetlib
