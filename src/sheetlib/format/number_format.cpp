#include "sheetlib/format/number_format.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <memory>
#include <unordered_map>

#include "sheetlib/format/format_code.h"
#include "sheetlib/format/native_numerals.h"
#include "sheetlib/format/render.h"

namespace sheetlib {

namespace {

using format::FormatCode;
using format::Section;

// A spreadsheet application keeps a format code to 255 characters. Longer
// ones come from hostile files, where each cell would cost time and memory
// in the code's length: they show the number as General.
constexpr std::size_t kMaxCodeBytes = 1024;

// A cell holds at most 32,767 characters, each up to 3 bytes of UTF-8.
constexpr std::size_t kMostTextBytes = 3 * 32'767;

bool is_general(std::string_view code) {
  if (code.empty()) return true;
  if (code.size() != 7) return false;
  constexpr std::string_view general = "general";
  for (std::size_t i = 0; i < 7; ++i) {
    if (std::tolower(static_cast<unsigned char>(code[i])) != general[i]) return false;
  }
  return true;
}

struct CodeHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view code) const { return std::hash<std::string_view>{}(code); }
};

}  // namespace

// Parsed codes by their text; it starts over when a hostile file floods it
// with distinct codes.
class FormatCache {
 public:
  const FormatCode& get(std::string_view code) {
    if (last_ != nullptr && last_code_ == code) return *last_;
    auto found = codes_.find(code);
    if (found == codes_.end()) {
      if (codes_.size() >= k_capacity) codes_.clear();
      found = codes_.emplace(std::string(code), std::make_unique<FormatCode>(format::parse_format_code(code))).first;
    }
    last_code_ = found->first;
    last_ = found->second.get();
    return *last_;
  }

 private:
  static constexpr std::size_t k_capacity = 4096;
  std::unordered_map<std::string, std::unique_ptr<FormatCode>, CodeHash, std::equal_to<>> codes_;
  std::string last_code_;
  const FormatCode* last_ = nullptr;
};

namespace {

struct Choice {
  const Section* section = nullptr;  // null: no section takes the value
  bool minus = false;
};

// Without conditions: one section for all numbers, or positive; negative
// (shown without its sign); zero. With conditions, the first section whose
// condition holds, else the first section without one.
Choice choose_section(const FormatCode& code, double value) {
  const auto& sections = code.sections;
  // The sections for numbers: up to three, before any section for texts.
  std::size_t numeric = 0;
  while (numeric < sections.size() && numeric < 3 && !sections[numeric].is_text) ++numeric;
  if (numeric == 0) return {};
  bool conditions = false;
  for (std::size_t i = 0; i < numeric; ++i) {
    conditions |= sections[i].condition.op != format::Condition::Op::none;
  }
  if (!conditions) {
    if (numeric == 1 || value > 0) return {&sections[0], value < 0};
    if (value < 0) return {&sections[1], false};
    return {&sections[numeric >= 3 ? 2 : 0], false};
  }
  for (std::size_t i = 0; i < numeric; ++i) {
    const auto& condition = sections[i].condition;
    if (condition.op != format::Condition::Op::none && condition.matches(value)) {
      return {&sections[i], value < 0 && !condition.implies_negative()};
    }
  }
  // The section for the other numbers keeps the sign: a negative number in
  // "[>100]0;0" is still negative.
  for (std::size_t i = 0; i < numeric; ++i) {
    if (sections[i].condition.op == format::Condition::Op::none) return {&sections[i], value < 0};
  }
  return {};
}

// The section a text cell shows through: the fourth, or the only one when
// it holds @. A date section has lost its @ to the date tokens, and a text
// then shows as it is.
const Section* text_section(const FormatCode& code) {
  const Section* section = nullptr;
  if (code.sections.size() >= 4) section = &code.sections[3];
  if (code.sections.size() == 1 && code.sections[0].is_text) section = &code.sections[0];
  return section != nullptr && !section->is_date ? section : nullptr;
}

// Quick refusals before a parse: most codes have neither @ nor a fourth
// section, and General has no section for texts at all.
bool may_have_text_section(std::string_view code) {
  return !is_general(code) && code.size() <= kMaxCodeBytes &&
         (code.find('@') != std::string_view::npos || code.find(';') != std::string_view::npos);
}

}  // namespace

bool has_text_section(std::string_view format_code) {
  return may_have_text_section(format_code) && text_section(format::parse_format_code(format_code)) != nullptr;
}

std::optional<std::string> NumberFormatter::format_text(std::string_view text, std::string_view format_code) {
  if (!may_have_text_section(format_code)) return std::nullopt;
  const Section* section = text_section(cache_->get(format_code));
  if (section == nullptr) return std::nullopt;
  // General in a section for texts is the text as well; a digit or date
  // letter there is text.
  const auto is_the_text = [](const format::Token& token) {
    return token.kind == format::TokenKind::text || token.kind == format::TokenKind::general;
  };
  // A code of a thousand @ would make a long text a thousand times longer
  // in every cell: past a cell's worth of text, the text shows as it is.
  std::size_t size = 0;
  for (const format::Token& token : section->tokens) size += is_the_text(token) ? text.size() : token.text.size();
  if (size > std::max(text.size(), kMostTextBytes)) return std::nullopt;
  std::string out;
  out.reserve(size);
  for (const format::Token& token : section->tokens) out += is_the_text(token) ? text : std::string_view(token.text);
  return out;
}

NumberFormatter::NumberFormatter() : cache_(std::make_unique<FormatCache>()) {}
NumberFormatter::~NumberFormatter() = default;

std::string format_number(double value, std::string_view format_code, bool date1904) {
  return NumberFormatter().format(value, format_code, date1904);
}

std::string NumberFormatter::format(double value, std::string_view format_code, bool date1904) {
  std::string out;
  if (!std::isfinite(value)) return "#NUM!";
  if (is_general(format_code) || format_code.size() > kMaxCodeBytes) {
    format::append_general(value, out);
    return out;
  }
  const Choice choice = choose_section(cache_->get(format_code), value);
  const double magnitude = std::fabs(value);
  if (choice.section == nullptr || choice.section->is_text || choice.section->is_malformed) {
    // A number with no section of its own shows as General rather than not
    // at all.
    format::append_general(value, out);
  } else if (choice.section->is_date) {
    if (!format::append_date(*choice.section, magnitude, choice.minus, date1904, out)) {
      out.clear();
      format::append_general(value, out);
    }
  } else if (choice.section->numerals.numerals != format::Numerals::arabic && !choice.section->has_exponent) {
    // The digits are laid out as usual, then written in the section's
    // numerals: 1,234.50 becomes 一千二百三十四．五〇. (Scientific codes
    // keep their digits, as LibreOffice shows them.)
    std::string arabic;
    format::append_number(*choice.section, magnitude, choice.minus, arabic);
    out = format::to_native_numerals(arabic, choice.section->numerals);
  } else {
    format::append_number(*choice.section, magnitude, choice.minus, out);
  }
  return out;
}

}  // namespace sheetlib
