// Export runs that meet faults (a folder that cannot take the export, a
// workbook held open by another process, a disk that fills up) and values
// that are hard to name, through the real spreadsheet library. After every
// run the export check proves that each row is in its group's workbook or
// its group is named in the final message. Run by with-scratch-mounts.sh,
// which provides a small and a read-only file system.
#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include "app/memory/memory_controls.h"
#include "export/export_run.h"
#include "load/file_intake.h"
#include "sheetlib/read/test_package.h"
#include "support/export_check.h"
#ifndef _WIN32
#include "export/workbook_dump.h"
#endif
#include "support/gbk_literal.h"
#include "support/hex_text.h"
#include "support/recording_library.h"
#include "support/temp_folder.h"
#include "xl/library_calls.h"
#include "xl/owned_book.h"
#include "xl/workbook_provisioning.h"

namespace colsplit {
namespace {

using ::colsplit::testing::fs_path;
using ::colsplit::testing::gbk;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

using Rows = std::vector<std::vector<Text>>;  // GBK

std::string u8s(std::u8string_view s) { return std::string(reinterpret_cast<const char*>(s.data()), s.size()); }

#ifdef _WIN32
constexpr const char* kSeparator = "\\";
#else
constexpr const char* kSeparator = "/";
#endif

// A folder that with-scratch-mounts.sh provides, as the program names it
// (under Wine, through drive Z:); nothing when it is not there.
std::optional<Text> scratch_folder(const char* variable) {
  const char* value = std::getenv(variable);
  if (!value || !*value) return std::nullopt;
#ifdef _WIN32
  Text path = Text("Z:") + value;
  for (char& c : path) c = c == '/' ? '\\' : c;
  return utf8_to_gbk(path);
#else
  return utf8_to_gbk(value);
#endif
}

bool running_under_wine() {
#ifdef _WIN32
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
#else
  return false;
#endif
}

// prefix and number as one text (snprintf: MinGW's GCC 12 warns falsely on
// sums of a literal and a string).
Text numbered(const char* prefix, int number) {
  char text[32];
  std::snprintf(text, sizeof text, "%s%d", prefix, number);
  return text;
}

std::string random_text(std::mt19937& random, std::size_t length) {
  static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::string text(length, ' ');
  for (char& c : text) c = letters[random() % (sizeof letters - 1)];
  return text;
}

class ExportFaultsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const xl::OwnedBook owned_book(xl::create_workbook());
    const xl::BookHandle book = owned_book.get();
    if (!book) GTEST_SKIP() << "the spreadsheet library is not available";
  }

  // Writes the rows (heading row first) through the library, drops the
  // workbook and picks the heading of `split_column`.
  void prepare(const Rows& rows, int split_column) {
    const xl::OwnedBook owned_book(xl::create_workbook());
    const xl::BookHandle book = owned_book.get();
    const xl::SheetHandle sheet = xl::xlBookInsertSheetA(book, 0, "data", nullptr);
    for (std::size_t r = 0; r < rows.size(); ++r) {
      for (std::size_t c = 0; c < rows[r].size(); ++c)
        xl::xlSheetWriteStrA(sheet, static_cast<int>(r), static_cast<int>(c), rows[r][c], nullptr);
    }
    const Text input = temp.text() + kSeparator + "in.xlsx";
    ASSERT_EQ(xl::xlBookSaveA(book, input), 1);
    ASSERT_EQ(take_dropped_files(view, input), DropOutcome::loaded);
    ASSERT_TRUE(window.组合框1.select(split_column));
    column = split_column;
  }

  Text export_folder() const { return export_folder_path_in(window.编辑框1.text()); }
  Text export_folder_path_in(const Text& folder) const {
    return folder + kSeparator + gbk(u8"按_") + window.组合框1.displayed_text() + gbk(u8"_分别导出");
  }
  Text group_path(const Text& value) const {
    return export_folder() + kSeparator + gbk(u8"按内容导出_") + value + gbk(u8"_2026年12月7日4时51分33秒.xlsx");
  }

  // Runs the export and the check after it.
  ExportOutcome run_and_check() {
    dialogs.messages.clear();
    const ExportOutcome outcome = run_export(view);
    EXPECT_EQ(dialogs.messages.size(), 1u);
    if (dialogs.messages.empty()) return outcome;
    check = testing::check_export(testing::sheet_of(window.超级列表框1), column, export_folder(),
                                  dialogs.messages.back());
    EXPECT_THAT(check.problems, IsEmpty());
    return outcome;
  }

  void expect_folder_not_created(const Text& output_folder) {
    SCOPED_TRACE(gbk_to_utf8(output_folder));
    window.编辑框1.set_text(output_folder);
    dialogs.messages.clear();
    EXPECT_EQ(run_export(view), ExportOutcome::folder_not_created);
    EXPECT_THAT(dialogs.messages, ElementsAre(gbk(u8"无法创建导出文件夹：") + "\r\n" + export_folder()));
  }

  testing::TempFolder temp;
  testing::RecordingDialogs dialogs;
  testing::FixedClock clock;
  MemoryMainWindow window{dialogs, clock};
  MainWindow view = window.view();
  int column = 0;
  testing::ExportCheck check;
};

const Rows kSmallSheet = {{"k", "n"}, {"a", "1"}, {"b", "2"}, {"a", "3"}};

TEST_F(ExportFaultsTest, OutputFolderThatIsMissingOrAFile) {
  prepare(kSmallSheet, 0);
  expect_folder_not_created(temp.text() + kSeparator + "missing");
  EXPECT_FALSE(std::filesystem::exists(temp.path() / "missing"));

  std::ofstream(temp.path() / "a-file") << "x";
  expect_folder_not_created(temp.text() + kSeparator + "a-file");

  // The export folder's own name taken by a file.
  std::filesystem::create_directory(temp.path() / "taken");
  window.编辑框1.set_text(temp.text() + kSeparator + "taken");
  std::ofstream(fs_path(export_folder())) << "x";
  expect_folder_not_created(temp.text() + kSeparator + "taken");
  EXPECT_TRUE(std::filesystem::is_regular_file(fs_path(export_folder())));
}

TEST_F(ExportFaultsTest, ReadOnlyOutputFolder) {
  const std::optional<Text> read_only = scratch_folder("COLSPLIT_READ_ONLY_DISK");
  if (!read_only) GTEST_SKIP() << "no read-only file system: run through with-scratch-mounts.sh (needs mount rights)";
  // 25 groups under heading 组, so that the message lists 20 and the count.
  Rows rows = {{gbk(u8"组"), "n"}};
  for (int i = 0; i < 50; ++i) rows.push_back({numbered("g", i % 25), std::to_string(i)});
  prepare(rows, 0);

  expect_folder_not_created(*read_only);

  // The export folder exists there, read-only: no group can be saved.
  window.编辑框1.set_text(*read_only + kSeparator + "with-export-folder");
  EXPECT_EQ(run_and_check(), ExportOutcome::some_not_saved);
  EXPECT_EQ(check.written, 0);
  EXPECT_EQ(check.unsaved, 25);
  const std::vector<Text> lines = [&] {
    std::vector<Text> split;
    std::string_view text = dialogs.messages.back();
    for (std::size_t end; (end = text.find("\r\n")) != std::string_view::npos; text.remove_prefix(end + 2))
      split.emplace_back(text.substr(0, end));
    split.emplace_back(text);
    return split;
  }();
  ASSERT_EQ(lines.size(), 22u);
  EXPECT_EQ(lines[1], group_path(numbered("g", 0)));
  EXPECT_EQ(lines[20], group_path(numbered("g", 19)));
  EXPECT_EQ(lines[21], gbk(u8"……共 25 个"));
}

TEST_F(ExportFaultsTest, DiskThatFillsUpMidRun) {
  const std::optional<Text> small = scratch_folder("COLSPLIT_SMALL_DISK");
  if (!small) GTEST_SKIP() << "no small file system: run through with-scratch-mounts.sh (needs mount rights)";
  // About 3.6 MB of texts that hardly compress, in 40 groups, for 2 MiB.
  std::mt19937 random(11);
  Rows rows = {{"group", "a", "b", "c"}};
  for (int i = 0; i < 40 * 600; ++i)
    rows.push_back({numbered("g", i % 40), random_text(random, 50), random_text(random, 50), random_text(random, 50)});
  prepare(rows, 0);
  window.编辑框1.set_text(*small);

  EXPECT_EQ(run_and_check(), ExportOutcome::some_not_saved);
  EXPECT_GT(check.written, 0);
  EXPECT_GT(check.unsaved, 0);
  EXPECT_EQ(check.written + check.unsaved, 40);
}

#ifdef _WIN32
// This program started with --hold HEX (a GBK path in hex digits, which no
// code page garbles): opens the file with no sharing, says so with
// PATH.held, and keeps it open until it is ended.
int hold_file(const std::string& path_hex) {
  const std::wstring wide = gbk_to_wide(testing::unhex(path_hex));
  const HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 2;
  std::ofstream(std::filesystem::path(wide + L".held")) << "held";
  Sleep(120'000);
  CloseHandle(file);
  return 0;
}
#endif

TEST_F(ExportFaultsTest, WorkbookHeldOpenByAnotherProgram) {
#ifndef _WIN32
  GTEST_SKIP() << "Linux has no file that another process can hold closed to others";
#else
  prepare(kSmallSheet, 0);
  window.编辑框1.set_text(temp.text());
  ASSERT_TRUE(std::filesystem::create_directory(fs_path(export_folder())));
  const Text held = group_path("b");
  std::ofstream(fs_path(held)) << "held by another program";

  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::string held_hex = testing::hex(held);
  std::wstring command = L"\"" + std::wstring(self) + L"\" --hold " + std::wstring(held_hex.begin(), held_hex.end());
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION holder{};
  ASSERT_TRUE(CreateProcessW(self, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &holder));
  const std::filesystem::path held_marker = fs_path(held + ".held");
  for (int wait = 0; wait < 200 && !std::filesystem::exists(held_marker); ++wait) Sleep(50);
  ASSERT_TRUE(std::filesystem::exists(held_marker));
  std::filesystem::remove(held_marker);

  const ExportOutcome outcome = run_and_check();
  TerminateProcess(holder.hProcess, 0);
  WaitForSingleObject(holder.hProcess, INFINITE);
  CloseHandle(holder.hThread);
  CloseHandle(holder.hProcess);

  EXPECT_EQ(outcome, ExportOutcome::some_not_saved);
  EXPECT_THAT(dialogs.messages, ElementsAre(gbk(u8"导出完成，但以下文件未能保存：") + "\r\n" + held));
  EXPECT_EQ(check.written, 1);
  std::ifstream in(fs_path(held));
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), "held by another program");
#endif
}

// A workbook from elsewhere may hold a text longer than the 32,767
// characters a cell may hold; the library refuses to write it, so that
// group's workbook would miss a cell. It is not saved, and listed.
TEST_F(ExportFaultsTest, TextLongerThanACellMayHold) {
  const auto row = [](std::string_view key, std::string_view text) {
    std::string xml = "<row><c t=\"inlineStr\"><is><t>";
    xml += key;
    xml += "</t></is></c><c t=\"inlineStr\"><is><t>";
    xml += text;
    xml += "</t></is></c></row>";
    return xml;
  };
  std::string rows = row("k", "text");
  rows += row("a", "short");
  rows += row("b", std::string(40'000, 'x'));
  const std::string input = sheetlib::testing::make_workbook(sheetlib::testing::sheet_xml(rows));
  std::ofstream(temp.path() / "long.xlsx", std::ios::binary) << input;
  ASSERT_EQ(take_dropped_files(view, temp.text() + kSeparator + "long.xlsx"), DropOutcome::loaded);
  ASSERT_EQ(window.超级列表框1.cell_text(1, 1).size(), 40'000u);
  window.组合框1.select(0);
  window.编辑框1.set_text(temp.text());

  EXPECT_EQ(run_and_check(), ExportOutcome::some_not_saved);
  EXPECT_THAT(dialogs.messages, ElementsAre(gbk(u8"导出完成，但以下文件未能保存：") + "\r\n" + group_path("b")));
  EXPECT_EQ(check.written, 1);
  EXPECT_FALSE(std::filesystem::exists(fs_path(group_path("b"))));
}

// Values whose names need cleaning or cutting, or differ only in case.
// Wine keeps names on a Linux file system, whose limit is 255 bytes of UTF-8
// rather than 255 characters, and cuts or refuses longer ones: there the
// 300-character values, whose names fill 255 characters, are left out.
Rows hard_values_sheet(bool long_values) {
  Rows rows = {{gbk(u8"编号"), gbk(u8"值"), gbk(u8"备注")}};
  std::vector<Text> values;
  for (const char forbidden : std::string_view("\\/:*?\"<>|")) values.push_back({'a', forbidden, 'b'});
  for (char c = 1; c < 0x20; ++c) values.push_back({'c', c, 'd'});
  values.push_back("e\x7F" "f");
  if (long_values) {
    values.push_back(std::string(299, 'L') + "1");
    values.push_back(std::string(299, 'L') + "2");
    Text chinese;
    for (int i = 0; i < 299; ++i) chinese += gbk(u8"长");
    values.push_back(chinese + gbk(u8"甲"));
    values.push_back(chinese + gbk(u8"乙"));
  }
  for (const char8_t* cased : {u8"Beijing", u8"beijing", u8"BEIJING", u8"ｂｅｉｊｉｎｇ", u8"ＢＥＩＪＩＮＧ", u8"北京"})
    values.push_back(gbk(cased));
  values.push_back("");
  int number = 0;
  for (int copy = 0; copy < 2; ++copy) {
    for (const Text& value : values) rows.push_back({std::to_string(++number), value, copy ? "second" : ""});
  }
  return rows;
}

TEST_F(ExportFaultsTest, ValuesThatAreHardToName) {
  prepare(hard_values_sheet(!running_under_wine()), 1);
  window.编辑框1.set_text(temp.text());
  EXPECT_EQ(run_and_check(), ExportOutcome::finished);
  EXPECT_EQ(check.unsaved, 0);
#ifndef _WIN32
  // openpyxl reads the same: every workbook the heading row, then rows
  // that together are the sheet's, each once.
  const testing::SheetTexts sheet = testing::sheet_of(window.超级列表框1);
  std::multiset<testing::DumpedRows::value_type> expected, written;
  for (const auto& row : sheet.rows) {
    testing::DumpedRows::value_type texts;
    for (const Text& cell : row) texts.push_back(gbk_to_utf8(cell));
    expected.insert(texts);
  }
  testing::DumpedRows::value_type headings;
  for (const Text& heading : sheet.headings) headings.push_back(gbk_to_utf8(heading));
  const auto books = testing::read_back(fs_path(export_folder()));
  EXPECT_EQ(static_cast<int>(books.size()), check.written);
  for (const auto& [name, book] : books) {
    ASSERT_FALSE(book.rows.empty()) << name;
    EXPECT_EQ(book.rows[0], headings) << name;
    EXPECT_EQ(book.sheets.size(), 1u) << name;
    written.insert(book.rows.begin() + 1, book.rows.end());
  }
  std::vector<testing::DumpedRows::value_type> missing, extra;
  std::set_difference(expected.begin(), expected.end(), written.begin(), written.end(), std::back_inserter(missing));
  std::set_difference(written.begin(), written.end(), expected.begin(), expected.end(), std::back_inserter(extra));
  EXPECT_THAT(missing, IsEmpty());
  EXPECT_THAT(extra, IsEmpty());
#endif
}

// Values with characters that GBK lacks (rare characters of Chinese names,
// Korean, emoji, Latin letters, a zero-width space), with headings of such
// characters and Korean text beside them: every value gets a workbook of its
// own, named with its characters, and every cell reads back as it was
// written. ğ and Ğ are two values whose names Windows takes for one.
TEST_F(ExportFaultsTest, ValuesOutsideGbkEachKeepTheirWorkbook) {
  const std::vector<std::string> values = {
      u8s(u8"𠮷野家"), u8s(u8"王䶮"), u8s(u8"李㐀"), u8s(u8"한국어"), u8s(u8"😀"), u8s(u8"😁"), u8s(u8"🇨🇳"),
      u8s(u8"ß"),      u8s(u8"ğ"),    u8s(u8"ﬀ"),    u8s(u8"ｱ"),      u8s(u8"a\u200Bb"), u8s(u8"北京"), u8s(u8"Ğ")};
  std::vector<std::vector<std::string>> utf8_rows = {{u8s(u8"姓名𠮷"), u8s(u8"한국어 메모"), u8s(u8"😀🇨🇳")}};
  for (int copy = 0; copy < 2; ++copy) {
    for (std::size_t i = 0; i < values.size(); ++i)
      utf8_rows.push_back({values[i], u8s(u8"한국어 텍스트 ") + std::to_string(copy), values[(i + 3) % values.size()]});
  }
  Rows rows;
  for (const auto& row : utf8_rows) {
    rows.emplace_back();
    for (const std::string& cell : row) rows.back().push_back(utf8_to_gbk(cell));
  }
  prepare(rows, 0);
  const testing::SheetTexts shown = testing::sheet_of(window.超级列表框1);
  std::vector<std::vector<std::string>> shown_utf8 = {{}};
  for (const Text& heading : shown.headings) shown_utf8[0].push_back(gbk_to_utf8(heading));
  for (const auto& row : shown.rows) {
    shown_utf8.emplace_back();
    for (const Text& cell : row) shown_utf8.back().push_back(gbk_to_utf8(cell));
  }
  EXPECT_EQ(shown_utf8, utf8_rows);

  window.编辑框1.set_text(temp.text());
  EXPECT_EQ(run_and_check(), ExportOutcome::finished);
  EXPECT_EQ(check.written, static_cast<int>(values.size()));
  for (std::size_t i = 0; i + 1 < values.size(); ++i) {
    EXPECT_TRUE(std::filesystem::is_regular_file(fs_path(group_path(utf8_to_gbk(values[i]))))) << values[i];
  }
  const Text second = export_folder() + kSeparator + gbk(u8"按内容导出_Ğ_2026年12月7日4时51分33秒 (2).xlsx");
  EXPECT_TRUE(std::filesystem::is_regular_file(fs_path(second)));
#ifndef _WIN32
  // openpyxl reads every workbook as the heading row and the rows of its value.
  const auto books = testing::read_back(fs_path(export_folder()));
  EXPECT_EQ(books.size(), values.size());
  for (const auto& [name, book] : books) {
    ASSERT_GE(book.rows.size(), 3u) << name;
    EXPECT_EQ(book.rows[0], utf8_rows[0]) << name;
    EXPECT_EQ(book.sheets, std::vector<std::string>{book.rows[1][0]}) << name;
    for (std::size_t r = 1; r < book.rows.size(); ++r) {
      EXPECT_EQ(book.rows[r][0], book.rows[1][0]) << name;
      EXPECT_NE(std::find(utf8_rows.begin(), utf8_rows.end(), book.rows[r]), utf8_rows.end()) << name;
    }
  }
#endif
}

// Ten thousand workbooks in one run; under Wine it takes a minute, so the
// Windows build leaves it out.
TEST_F(ExportFaultsTest, TenThousandValues) {
  if (running_under_wine()) GTEST_SKIP() << "ten thousand saves take about a minute under Wine";
  Rows rows = {{"id", "value", "note"}};
  for (int i = 0; i < 10'000; ++i) rows.push_back({std::to_string(i), numbered("v", i * 7919 % 10'000), "x"});
  rows.push_back({"10000", "v0", "again"});
  prepare(rows, 1);
  // On a disk, the one flush at the end of the run (ten thousand workbooks
  // on their way to it) makes this a matter of a minute.
  const std::optional<Text> roomy = scratch_folder("COLSPLIT_ROOMY_DISK");
  window.编辑框1.set_text(roomy ? *roomy : temp.text());
  EXPECT_EQ(run_and_check(), ExportOutcome::finished);
  EXPECT_EQ(check.written, 10'000);
  std::error_code ignored;
  if (roomy) std::filesystem::remove_all(fs_path(export_folder()), ignored);
}

}  // namespace
}  // namespace colsplit

int main(int argc, char** argv) {
#ifdef _WIN32
  if (argc == 3 && std::string(argv[1]) == "--hold") return colsplit::hold_file(argv[2]);
#endif
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
