// How the split choices of the list's context menu go together: the further
// split columns beside the heading box's column, the number of rows per
// output, and the line that tells the user what the split is by. The window
// keeps these rules; the export only reads the choices.
#pragma once

#include <optional>

#include "app/controls/controls.h"

namespace colsplit {

// A sheet's rows number at most 1,048,576, the heading row among them: a
// run longer than the data rows could be has no meaning.
inline constexpr int kMostRowsPerOutput = 1048575;

// The list column of the item chosen in the heading box; -1 while none is.
int chosen_column(const ComboBox& headings);

// The further split columns the menu offers: every list column but the
// chosen one, at most `most` of them (a file may bring thousands).
std::vector<int> also_by_candidates(int column_count, int chosen, int most);

// Adds `column` to also_by, or takes it out when it is there; adding past
// SplitChoices::kMostAlsoBy changes nothing (false).
bool toggle_also_by(SplitChoices& choices, int column);

// Takes out of also_by the column now chosen in the heading box and those
// the list no longer has.
void drop_unusable_also_by(SplitChoices& choices, int chosen, int column_count);

// The number typed for the rows per output: ASCII or full-width digits,
// blanks around them allowed; nothing unless 1 … kMostRowsPerOutput.
std::optional<int> parse_rows_per_output(const Text& typed);

// "按 城市 + 部门 拆分" or "每 1000 行一个文件", with "，导出为 CSV" when
// CSV is chosen; empty while no split is chosen.
Text describe_split(const SplitChoices& choices, const ListView& list, int chosen);

}  // namespace colsplit
