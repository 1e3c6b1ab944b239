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
// Fonts, fills, borders and differential formats kept at most: Excel's own
// limits are far lower, and a hostile part may list millions.
constexpr std::size_t kMaxLookItems = 65'536;

int parse_id(const char* text) {
  int value = 0;
  if (!text) return 0;
  const auto [end, error] = std::from_chars(text, text + std::strlen(text), value);
  (void)end;
  return error == std::errc() ? value : 0;
}

std::uint32_t parse_look_id(const char* text) {
  const int id = parse_id(text);
  return id > 0 ? static_cast<std::uint32_t>(id) : 0;
}

}  // namespace

void StylesHandler::start(xml::Name name, const xml::Attributes& attributes) {
  if (look_) {
    ++depth_;
    if (fragment_.active()) return fragment_.start(name, attributes);
  }
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
    // The looks of the styles go by the same index as their formats.
    if (look_) {
      look_->cells.push_back({parse_look_id(attributes.find(xml::Ns::none, "fontId")),
                              parse_look_id(attributes.find(xml::Ns::none, "fillId")),
                              parse_look_id(attributes.find(xml::Ns::none, "borderId")), {}, {}});
      xf_depth_ = depth_;
      return;
    }
  }
  if (look_) start_look(name, attributes);
}

void StylesHandler::start_look(xml::Name name, const xml::Attributes& attributes) {
  if (depth_ == 2) {
    if (name.local == "fonts") list_ = Into::fonts;
    else if (name.local == "fills") list_ = Into::fills;
    else if (name.local == "borders") list_ = Into::borders;
    else if (name.local == "dxfs") list_ = Into::dxfs;
    else if (name.local == "colors") begin_fragment(Into::colors, name, attributes);
  } else if (depth_ == 3 && list_ != Into::none) {
    const bool item = (list_ == Into::fonts && name.local == "font") ||
                      (list_ == Into::fills && name.local == "fill") ||
                      (list_ == Into::borders && name.local == "border") ||
                      (list_ == Into::dxfs && name.local == "dxf");
    if (item) begin_fragment(list_, name, attributes);
  } else if (xf_depth_ > 0 && depth_ == xf_depth_ + 1) {
    if (name.local == "alignment") begin_fragment(Into::alignment, name, attributes);
    else if (name.local == "protection") begin_fragment(Into::protection, name, attributes);
  }
}

void StylesHandler::begin_fragment(Into into, xml::Name name, const xml::Attributes& attributes) {
  fragment_into_ = into;
  fragment_.begin(name, attributes);
}

void StylesHandler::end_fragment() {
  std::string fragment;
  fragment_.take(fragment);
  // A list's item that is too large stays as an empty fragment: the items
  // after it keep their ids.
  const auto add = [&](std::vector<std::string>& list) {
    if (list.size() < kMaxLookItems) list.push_back(std::move(fragment));
  };
  switch (fragment_into_) {
    case Into::fonts: add(look_->fonts); break;
    case Into::fills: add(look_->fills); break;
    case Into::borders: add(look_->borders); break;
    case Into::dxfs: add(look_->dxfs); break;
    case Into::colors: look_->colors = std::move(fragment); break;
    case Into::alignment: look_->cells.back().alignment = std::move(fragment); break;
    case Into::protection: look_->cells.back().protection = std::move(fragment); break;
    case Into::none: break;
  }
  fragment_into_ = Into::none;
}

void StylesHandler::finish_look() {
  if (!look_) return;
  for (CellLook& cell : look_->cells) {
    if (cell.font >= look_->fonts.size()) cell.font = 0;
    if (cell.fill >= look_->fills.size()) cell.fill = 0;
    if (cell.border >= look_->borders.size()) cell.border = 0;
  }
  look_->cells.emplace_back();
}

void StylesHandler::end(xml::Name name) {
  if (look_) {
    const int depth = depth_--;
    if (fragment_.active()) {
      if (fragment_.end(name)) end_fragment();
      return;
    }
    if (depth == 2) list_ = Into::none;
    if (depth == xf_depth_) xf_depth_ = 0;
  }
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
