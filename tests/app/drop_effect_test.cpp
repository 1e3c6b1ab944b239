#include "app/drop/drop_effect.h"

#include <gtest/gtest.h>

namespace colsplit {
namespace {

constexpr std::uint32_t kAll = kDropEffectCopy | kDropEffectMove | kDropEffectLink;

TEST(DropEffect, KeysChooseTheEffectWhenTheSourcePermitsIt) {
  struct Case {
    bool ctrl, shift;
    std::uint32_t permitted, expected;
  };
  const Case cases[] = {
      // Neither key: the first permitted of Copy, Move, Link.
      {false, false, kAll, kDropEffectCopy},
      {false, false, kDropEffectMove | kDropEffectLink, kDropEffectMove},
      {false, false, kDropEffectLink, kDropEffectLink},
      {false, false, kDropEffectNone, kDropEffectNone},
      // Ctrl alone: Copy or nothing.
      {true, false, kAll, kDropEffectCopy},
      {true, false, kDropEffectMove | kDropEffectLink, kDropEffectNone},
      // Shift alone: Move or nothing.
      {false, true, kAll, kDropEffectMove},
      {false, true, kDropEffectCopy | kDropEffectLink, kDropEffectNone},
      // Both: nothing, whatever is permitted.
      {true, true, kAll, kDropEffectNone},
      {true, true, kDropEffectCopy, kDropEffectNone},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(choose_drop_effect(true, c.ctrl, c.shift, c.permitted), c.expected)
        << "ctrl=" << c.ctrl << " shift=" << c.shift << " permitted=" << c.permitted;
  }
}

TEST(DropEffect, DataWithoutAFileListIsNeverAccepted) {
  for (int keys = 0; keys < 4; ++keys) {
    for (std::uint32_t permitted = 0; permitted <= kAll; ++permitted) {
      EXPECT_EQ(choose_drop_effect(false, keys & 1, keys & 2, permitted), kDropEffectNone);
    }
  }
}

TEST(DropEffect, DroppedNamesAreJoinedInOrder) {
  EXPECT_EQ(join_dropped_names({"C:\\a.xlsx"}), "C:\\a.xlsx");
  EXPECT_EQ(join_dropped_names({"C:\\a.xlsx", "C:\\b.xls"}), "C:\\a.xlsx\r\nC:\\b.xls\r\n");
  EXPECT_EQ(join_dropped_names({}), "");
}

}  // namespace
}  // namespace colsplit
