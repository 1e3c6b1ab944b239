#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "export/output_names.h"
#include "export/time_stamp.h"
#include "support/gbk_literal.h"
#include "support/native_path.h"

namespace colsplit {
namespace {

using ::colsplit::testing::gbk;
using ::colsplit::testing::native_path;

TEST(TimeStampTest, LeavesOutTheTimeFromTheRightWhileItIsZero) {
  EXPECT_EQ(format_time_stamp({2026, 12, 7, 4, 51, 33}), gbk(u8"2026年12月7日4时51分33秒"));
  EXPECT_EQ(format_time_stamp({2026, 12, 7, 4, 51, 0}), gbk(u8"2026年12月7日4时51分"));
  EXPECT_EQ(format_time_stamp({2026, 12, 7, 4, 0, 5}), gbk(u8"2026年12月7日4时0分5秒"));
  EXPECT_EQ(format_time_stamp({2026, 12, 7, 4, 0, 0}), gbk(u8"2026年12月7日4时"));
  EXPECT_EQ(format_time_stamp({2026, 12, 7, 0, 0, 0}), gbk(u8"2026年12月7日"));
}

TEST(NamePieceTest, ReplacesWhatWindowsRefusesInNames) {
  EXPECT_EQ(clean_name_piece("a\\b/c:d*e?f\"g<h>i|j"), "a_b_c_d_e_f_g_h_i_j");
  EXPECT_EQ(clean_name_piece(std::string("tab\there\r\nnul") + '\0' + "\x7f"), "tab_here__nul__");
  EXPECT_EQ(clean_name_piece(" spaces . kept "), " spaces . kept ");
  // Trail bytes 5C (淺, 乗) and 7C (乗 is 81 5C; 亅 is 81 7C) stay.
  EXPECT_EQ(clean_name_piece(gbk(u8"淺乗亅|")), gbk(u8"淺乗亅_"));
}

TEST(NamePieceTest, JoinsWithOneSeparator) {
  EXPECT_EQ(join_path("D:\\data", "a.xlsx"), "D:\\data" + native_path("\\a.xlsx"));
  EXPECT_EQ(join_path("D:\\", "a.xlsx"), "D:\\a.xlsx");
  // A folder ending in 淺 does not end in a separator.
  EXPECT_EQ(join_path(gbk(u8"D:\\淺"), "a"), gbk(u8"D:\\淺") + native_path("\\a"));
  EXPECT_EQ(export_folder_path("D:\\data", gbk(u8"部门/科室")),
            "D:\\data" + native_path("\\") + gbk(u8"按_部门_科室_分别导出"));
}

TEST(NamePieceTest, LongNamesAreCutAtCharacterBoundariesToFit) {
  const std::u8string three_hundred(300, u8'x');
  const Text folder = export_folder_path("D:", gbk(three_hundred));
  const Text folder_name = folder.substr(3);
  EXPECT_EQ(name_length(folder_name), kLongestName);

  std::u8string chinese;
  for (int i = 0; i < 300; ++i) chinese += u8"北";
  GroupPaths paths("D:");
  const Text path = paths.take(gbk(chinese), "stamp");
  const Text name = path.substr(3);
  EXPECT_LE(name_length(name), kLongestName);
  EXPECT_GT(name_length(name), kLongestName - 3);
  EXPECT_EQ(name.substr(name.size() - 11), "_stamp.xlsx");
  EXPECT_EQ(name.substr(0, gbk(u8"按内容导出_北").size()), gbk(u8"按内容导出_北"));
  EXPECT_EQ((name.size() - gbk(u8"按内容导出_").size() - 11) % 2, 0u);
}

// A name on disk holds 255 UTF-16 units on Windows, 255 bytes of UTF-8 on
// Linux; characters outside GBK count as they are stored there, and a cut
// never splits one.
TEST(NamePieceTest, CharactersOutsideGbkCountAsTheFileSystemCountsThem) {
#ifdef _WIN32
  EXPECT_EQ(name_length(gbk(u8"a北한😀€")), 6u);
#else
  EXPECT_EQ(name_length(gbk(u8"a北한😀€")), 1u + 3 + 3 + 4 + 3);
#endif
  std::u8string emoji;
  for (int i = 0; i < 300; ++i) emoji += u8"😀";
  GroupPaths paths("D:");
  const Text name = paths.take(gbk(emoji), "stamp").substr(3);
  EXPECT_LE(name_length(name), kLongestName);
  EXPECT_GT(name_length(name), kLongestName - 4);
  EXPECT_EQ(name.substr(name.size() - 11), "_stamp.xlsx");
  const Text kept = name.substr(gbk(u8"按内容导出_").size(), name.size() - gbk(u8"按内容导出_").size() - 11);
  EXPECT_EQ(kept.size() % 4, 0u);
  EXPECT_EQ(kept, gbk(emoji).substr(0, kept.size()));
}

TEST(GroupPathsTest, PathsOfOneRunNeverCollideWhateverTheLetterCase) {
  GroupPaths paths("D:\\out");
  EXPECT_EQ(paths.take("A", "t"), "D:\\out" + native_path("\\") + gbk(u8"按内容导出_A_t.xlsx"));
  EXPECT_EQ(paths.take("a", "t"), "D:\\out" + native_path("\\") + gbk(u8"按内容导出_a_t (2).xlsx"));
  EXPECT_EQ(paths.take("a/b", "t"), "D:\\out" + native_path("\\") + gbk(u8"按内容导出_a_b_t.xlsx"));
  EXPECT_EQ(paths.take("A:B", "t"), "D:\\out" + native_path("\\") + gbk(u8"按内容导出_A_B_t (2).xlsx"));
  EXPECT_EQ(paths.take("a?b", "t"), "D:\\out" + native_path("\\") + gbk(u8"按内容导出_a_b_t (3).xlsx"));
  EXPECT_EQ(paths.take("a", "t2"), "D:\\out" + native_path("\\") + gbk(u8"按内容导出_a_t2.xlsx"));
  EXPECT_EQ(paths.take("", "t"), "D:\\out" + native_path("\\") + gbk(u8"按内容导出__t.xlsx"));
  EXPECT_EQ(paths.take(gbk(u8"ａ"), "t"), "D:\\out" + native_path("\\") + gbk(u8"按内容导出_ａ_t.xlsx"));
  EXPECT_EQ(paths.take(gbk(u8"Ａ"), "t"), "D:\\out" + native_path("\\") + gbk(u8"按内容导出_Ａ_t (2).xlsx"));
}

TEST(GroupPathsTest, LetterCaseFoldingCoversWhatWindowsFolds) {
  EXPECT_EQ(fold_letter_case("AbC"), fold_letter_case("aBc"));
  EXPECT_EQ(fold_letter_case(gbk(u8"ＡＢ")), fold_letter_case(gbk(u8"ａｂ")));
  EXPECT_EQ(fold_letter_case(gbk(u8"ΑΩ")), fold_letter_case(gbk(u8"αω")));
  EXPECT_EQ(fold_letter_case(gbk(u8"ДЯ")), fold_letter_case(gbk(u8"дя")));
  EXPECT_EQ(fold_letter_case(gbk(u8"Ⅳ")), fold_letter_case(gbk(u8"ⅳ")));
  EXPECT_NE(fold_letter_case(gbk(u8"北京")), fold_letter_case(gbk(u8"北京市")));
  // 乑 is 81 5A, 亃 is 81 7A: trail bytes that look like Z and z are no letters.
  EXPECT_NE(fold_letter_case(gbk(u8"乑")), fold_letter_case(gbk(u8"亃")));
  // Letters that GBK lacks: Windows takes ğ and Ğ for the same name.
  EXPECT_EQ(fold_letter_case(gbk(u8"ğüÿ")), fold_letter_case(gbk(u8"ĞÜŸ")));
  EXPECT_EQ(fold_letter_case(gbk(u8"ǆ")), fold_letter_case(gbk(u8"Ǆ")));
  EXPECT_NE(fold_letter_case(gbk(u8"ß")), fold_letter_case(gbk(u8"ss")));
  EXPECT_NE(fold_letter_case(gbk(u8"한국어")), fold_letter_case(gbk(u8"한국")));
  GroupPaths paths("D:");
  EXPECT_EQ(paths.take(gbk(u8"ğ"), "t"), "D:" + native_path("\\") + gbk(u8"按内容导出_ğ_t.xlsx"));
  EXPECT_EQ(paths.take(gbk(u8"Ğ"), "t"), "D:" + native_path("\\") + gbk(u8"按内容导出_Ğ_t (2).xlsx"));
}

}  // namespace
}  // namespace colsplit
