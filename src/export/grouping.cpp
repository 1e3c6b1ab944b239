#include "export/grouping.h"

#include <unordered_map>

namespace colsplit {

std::vector<Group> collect_groups(const ListView& list, int column) {
  std::vector<Group> groups;
  std::unordered_map<Text, std::size_t> group_of_value;
  const int rows = list.row_count();
  for (int row = 0; row < rows; ++row) {
    Text value = list.cell_text(row, column);
    const auto [found, is_new] = group_of_value.try_emplace(value, groups.size());
    if (is_new) groups.push_back(Group{std::move(value), {}});
    groups[found->second].rows.push_back(row);
  }
  return groups;
}

}  // namespace colsplit
