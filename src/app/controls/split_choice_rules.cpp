#include "app/controls/split_choice_rules.h"

#include <algorithm>

#include "text/formatted_text.h"
#include "text/texts.h"

namespace colsplit {

namespace {

// GBK's full-width digits ０ … ９: 0xA3 0xB0 … 0xA3 0xB9, as an input method
// types them.
constexpr unsigned char kFullWidthLead = 0xA3;
constexpr unsigned char kFullWidthZero = 0xB0;
// GBK's full-width blank, 0xA1 0xA1.
constexpr unsigned char kFullWidthBlankByte = 0xA1;

}  // namespace

int chosen_column(const ComboBox& headings) {
  const int selection = headings.current_selection();
  return selection < 0 ? -1 : headings.item_value(selection);
}

std::vector<int> also_by_candidates(int column_count, int chosen, int most) {
  std::vector<int> columns;
  for (int column = 0; column < column_count && static_cast<int>(columns.size()) < most; ++column) {
    if (column != chosen) columns.push_back(column);
  }
  return columns;
}

bool toggle_also_by(SplitChoices& choices, int column) {
  std::vector<int>& also_by = choices.also_by;
  if (const auto found = std::find(also_by.begin(), also_by.end(), column); found != also_by.end()) {
    also_by.erase(found);
    return true;
  }
  if (column < 0 || also_by.size() >= SplitChoices::kMostAlsoBy) return false;
  also_by.push_back(column);
  return true;
}

void drop_unusable_also_by(SplitChoices& choices, int chosen, int column_count) {
  std::erase_if(choices.also_by, [&](int column) { return column == chosen || column < 0 || column >= column_count; });
}

std::optional<int> parse_rows_per_output(const Text& typed) {
  long long number = 0;
  int digits = 0;
  bool ended = false;  // blanks after the digits
  for (std::size_t at = 0; at < typed.size(); ++at) {
    const auto byte = static_cast<unsigned char>(typed[at]);
    const auto next = at + 1 < typed.size() ? static_cast<unsigned char>(typed[at + 1]) : 0;
    int digit = -1;
    if (byte >= '0' && byte <= '9') {
      digit = byte - '0';
    } else if (byte == kFullWidthLead && next >= kFullWidthZero && next <= kFullWidthZero + 9) {
      digit = next - kFullWidthZero;
      ++at;
    } else if (byte == ' ' || byte == '\t') {
      ended = digits > 0;
      continue;
    } else if (byte == kFullWidthBlankByte && next == kFullWidthBlankByte) {
      ended = digits > 0;
      ++at;
      continue;
    } else {
      return std::nullopt;
    }
    if (ended) return std::nullopt;
    number = number * 10 + digit;
    if (number > kMostRowsPerOutput) return std::nullopt;
    ++digits;
  }
  if (number < 1) return std::nullopt;
  return static_cast<int>(number);
}

Text describe_split(const SplitChoices& choices, const ListView& list, int chosen) {
  Text described;
  if (choices.rows_per_output > 0) {
    described = format_text(texts::kSplitByRowsFormat, choices.rows_per_output);
  } else if (chosen >= 0) {
    // Appended piece by piece: MinGW's GCC 12 warns falsely on string sums.
    described = texts::kSplitByStart;
    described += list.column_heading(chosen);
    for (const int column : choices.also_by) {
      if (column == chosen) continue;
      described += texts::kSplitByAnd;
      described += list.column_heading(column);
    }
    described += texts::kSplitByEnd;
  }
  if (choices.csv) described += described.empty() ? texts::kSplitAsCsvAlone : texts::kSplitAsCsv;
  return described;
}

}  // namespace colsplit
