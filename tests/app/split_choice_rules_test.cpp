// The rules that keep the split choices of the list's menu together: what
// the further split columns may hold, the rows per file a user may type, and
// the line that tells what the split is by.
#include "app/controls/split_choice_rules.h"

#include <gtest/gtest.h>

#include "app/memory/memory_controls.h"
#include "support/gbk_literal.h"

namespace colsplit {
namespace {

using ::colsplit::testing::gbk;

TEST(SplitChoiceRules, FurtherSplitColumnsStayFewDistinctAndUsable) {
  struct Case {
    const char* what;
    std::vector<int> before;
    int toggled;
    bool changed;
    std::vector<int> after;
  };
  const Case cases[] = {
      {"added", {}, 2, true, {2}},
      {"added after the others", {4, 1}, 0, true, {4, 1, 0}},
      {"taken out", {4, 1, 0}, 1, true, {4, 0}},
      {"a fourth refused", {4, 1, 0}, 3, false, {4, 1, 0}},
      {"no column", {}, -1, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SplitChoices choices;
    choices.also_by = c.before;
    EXPECT_EQ(toggle_also_by(choices, c.toggled), c.changed);
    EXPECT_EQ(choices.also_by, c.after);
  }
  // The heading box's column and columns the list lost drop out.
  SplitChoices choices;
  choices.also_by = {5, 2, 1};
  drop_unusable_also_by(choices, 2, 5);
  EXPECT_EQ(choices.also_by, std::vector<int>{1});
  // Offered: every column but the chosen one, never more than asked for.
  EXPECT_EQ(also_by_candidates(4, 1, 100), (std::vector<int>{0, 2, 3}));
  EXPECT_EQ(also_by_candidates(16384, -1, 256).size(), 256u);
}

TEST(SplitChoiceRules, RowsPerFileAreWholeNumbersInRange) {
  struct Case {
    std::u8string typed;
    std::optional<int> read;
  };
  const Case cases[] = {
      {u8"1000", 1000},         {u8" 25 ", 25},        {u8"１２０", 120},    {u8"\u3000７\u3000", 7},
      {u8"1048575", 1048575},   {u8"1048576", {}},     {u8"99999999999999999999", {}},
      {u8"0", {}},              {u8"000", {}},         {u8"", {}},           {u8"  ", {}},
      {u8"-5", {}},             {u8"+5", {}},          {u8"1 000", {}},      {u8"12ab", {}},
      {u8"1.5", {}},            {u8"一千", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.typed.begin(), c.typed.end()));
    EXPECT_EQ(parse_rows_per_output(gbk(c.typed)), c.read);
  }
}

TEST(SplitChoiceRules, TheLineTellsWhatTheSplitIsBy) {
  MemoryListView list;
  for (const char8_t* heading : {u8"城市", u8"部门", u8"姓名"}) list.append_column(gbk(heading));
  struct Case {
    std::vector<int> also_by;
    int rows;
    bool csv;
    int chosen;
    std::u8string line;
  };
  const Case cases[] = {
      {{}, 0, false, -1, u8""},
      {{}, 0, false, 0, u8"按 城市 拆分"},
      {{1, 2}, 0, false, 0, u8"按 城市 + 部门 + 姓名 拆分"},
      {{0, 2}, 0, true, 1, u8"按 部门 + 城市 + 姓名 拆分，导出为 CSV"},
      {{1}, 1000, true, 0, u8"每 1000 行一个文件，导出为 CSV"},
      {{}, 5, false, -1, u8"每 5 行一个文件"},
      {{1}, 0, true, -1, u8"导出为 CSV"},
  };
  for (const Case& c : cases) {
    SplitChoices choices;
    choices.also_by = c.also_by;
    choices.rows_per_output = c.rows;
    choices.csv = c.csv;
    EXPECT_EQ(describe_split(choices, list, c.chosen), gbk(c.line));
  }
}

}  // namespace
}  // namespace colsplit
