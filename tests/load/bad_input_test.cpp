// Files that are no workbooks, broken workbooks and workbooks built to hurt,
// as the user meets them: dropped on a window that holds a prepared export,
// and given to colsplit-cli. Each drop runs in a child process with a memory
// and a time limit, so that an unbounded allocation or a hang fails the test
// instead of taking the machine. The child is this program itself, started
// with --drop; it reports what the drop did and the parent judges it.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include "app/memory/memory_controls.h"
#include "load/file_intake.h"
#include "sheetlib/read/test_package.h"
#include "sheetlib/xls/xls_maker.h"
#include "support/gbk_literal.h"
#include "support/hex_text.h"
#include "support/recording_library.h"
#include "support/temp_folder.h"
#include "text/file_paths.h"
#include "xl/child_process.h"
#include "xl/owned_book.h"
#include "xl/workbook_provisioning.h"

namespace colsplit {
namespace {

using ::colsplit::testing::gbk;
using ::colsplit::testing::hex;
using ::colsplit::testing::unhex;
using ::sheetlib::testing::biff;
using ::sheetlib::testing::bof;
using ::sheetlib::testing::deflated_zeros;
using ::sheetlib::testing::eof;
using ::sheetlib::testing::label;
using ::sheetlib::testing::make_compound_file;
using ::sheetlib::testing::make_xls;
using ::sheetlib::testing::one_sheet_stream;
using ::sheetlib::testing::make_raw_zip;
using ::sheetlib::testing::make_workbook;
using ::sheetlib::testing::RawEntry;
using ::sheetlib::testing::shared_strings_xml;
using ::sheetlib::testing::sheet_xml;
using ::sheetlib::testing::stored;
using ::sheetlib::testing::workbook_entries_without_sheet;
using ::testing::ElementsAre;

constexpr const char* kOutcomeNames[] = {"ignored", "loaded", "load_failed"};

// Everything a drop may change, as one text.
std::string describe(const MemoryMainWindow& window) {
  std::ostringstream out;
  out << "folder " << hex(window.编辑框1.text()) << "\n";
  out << "headings";
  for (int i = 0; i < window.组合框1.item_count(); ++i)
    out << " " << hex(window.组合框1.item_text(i)) << "=" << window.组合框1.item_value(i);
  out << " selected " << window.组合框1.current_selection() << " " << hex(window.组合框1.displayed_text()) << "\n";
  for (const MemoryListView* list : {&window.超级列表框1, &window.超级列表框2}) {
    out << "list";
    for (int column = 0; column < list->column_count(); ++column) out << " " << hex(list->column_heading(column));
    out << "\n";
    for (int row = 0; row < list->row_count(); ++row) {
      out << " row";
      for (int column = 0; column < list->column_count(); ++column) out << " " << hex(list->cell_text(row, column));
      out << "\n";
    }
  }
  out << "progress " << window.进度条1.position() << "/" << window.进度条1.maximum() << "\n";
  return out.str();
}

// The child: prepares an export from `good`, drops `bad` on it and prints
//   OUTCOME name
//   MESSAGE hex          one line per message box
//   UNCHANGED | CHANGED  whether the window is as it was
//   COLUMN hex / ROW hex hex ...   the preview, after a load
int drop_and_report(const Text& good, const Text& bad) {
  testing::RecordingDialogs dialogs;
  testing::FixedClock clock;
  MemoryMainWindow window(dialogs, clock);
  MainWindow view = window.view();
  if (take_dropped_files(view, good) != DropOutcome::loaded) {
    std::printf("PREPARATION FAILED\n");
    return 3;
  }
  window.组合框1.select(0);
  window.编辑框1.set_text("prepared folder");
  const std::string before = describe(window);

  const DropOutcome outcome = take_dropped_files(view, bad);
  std::printf("OUTCOME %s\n", kOutcomeNames[static_cast<int>(outcome)]);
  for (const Text& message : dialogs.messages) std::printf("MESSAGE %s\n", hex(message).c_str());
  std::printf("%s\n", describe(window) == before ? "UNCHANGED" : "CHANGED");
  if (outcome == DropOutcome::loaded) {
    for (int column = 0; column < window.超级列表框1.column_count(); ++column)
      std::printf("COLUMN %s\n", hex(window.超级列表框1.column_heading(column)).c_str());
    for (int row = 0; row < window.超级列表框1.row_count(); ++row) {
      std::string line = "ROW ";
      for (int column = 0; column < window.超级列表框1.column_count(); ++column) {
        if (column > 0) line += ' ';
        line += hex(window.超级列表框1.cell_text(row, column));
      }
      std::printf("%s\n", line.c_str());
    }
  }
#ifndef _WIN32
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("PEAK_KIB %ld\n", usage.ru_maxrss);
#endif
  return 0;
}

struct DropReport {
  testing::ChildResult child;
  std::string outcome;
  std::vector<Text> messages;
  bool unchanged = false;
  std::vector<Text> columns;
  std::vector<std::vector<Text>> rows;
};

const testing::ChildLimits kLimits{std::uint64_t{1} << 30, 60};

std::filesystem::path program_beside_me(const std::string& name) {
  return testing::native_path(xl::run_directory()) / name;
}

class BadInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const xl::OwnedBook owned_book(xl::create_workbook());
    const xl::BookHandle book = owned_book.get();
    if (!book) GTEST_SKIP() << "the spreadsheet library is not available";
    write("good.xlsx", make_workbook(sheet_xml("<row><c t=\"inlineStr\"><is><t>部门</t></is></c>"
                                               "<c t=\"inlineStr\"><is><t>城市</t></is></c></row>"
                                               "<row><c t=\"inlineStr\"><is><t>销售</t></is></c>"
                                               "<c t=\"inlineStr\"><is><t>北京</t></is></c></row>")));
  }

  Text path_of(const std::string& name) const { return temp.text() + kSeparator + name; }
  void write(const std::string& name, const std::string& bytes) const {
    std::ofstream(temp.path() / name, std::ios::binary) << bytes;
  }

  DropReport drop(const std::string& name) const {
    DropReport report;
    report.child = testing::run_child(testing::native_path(executable_path()),
                                      {"--drop", path_of("good.xlsx"), path_of(name)}, temp.path(), kLimits);
    std::istringstream lines(report.child.out);
    for (std::string line; std::getline(lines, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();  // a text-mode stdout on Windows
      const std::size_t space = line.find(' ');
      const std::string kind = line.substr(0, space);
      const std::string rest = space == std::string::npos ? "" : line.substr(space + 1);
      if (kind == "OUTCOME") report.outcome = rest;
      if (kind == "MESSAGE") report.messages.push_back(unhex(rest));
      if (kind == "UNCHANGED") report.unchanged = true;
      if (kind == "COLUMN") report.columns.push_back(unhex(rest));
      if (kind == "ROW") {
        // An empty cell prints as nothing between two spaces.
        std::vector<Text> cells;
        std::size_t start = 0;
        for (std::size_t next; (next = rest.find(' ', start)) != std::string::npos; start = next + 1)
          cells.push_back(unhex(rest.substr(start, next - start)));
        cells.push_back(unhex(rest.substr(start)));
        report.rows.push_back(cells);
      }
    }
    return report;
  }

  // Dropped on a prepared window: the message, nothing else changed; given
  // to colsplit-cli: the same message on standard output and exit status 1.
  // The line after the file name says why: `reason` when given, else any
  // one line (every refusal has its reason).
  void expect_failed_load(const std::string& name, const std::string& bytes, std::u8string_view reason = {}) const {
    write(name, bytes);
    expect_failed_load_of_existing(name, reason);
  }
  void expect_failed_load_of_existing(const std::string& name, std::u8string_view reason = {}) const {
    SCOPED_TRACE(name);
    const DropReport report = drop(name);
    ASSERT_FALSE(report.child.timed_out) << "the drop did not end in time";
    ASSERT_EQ(report.child.exit_code, 0) << report.child.out << report.child.err;
    EXPECT_EQ(report.outcome, "load_failed");
    ASSERT_EQ(report.messages.size(), 1u);
    const Text head = gbk(u8"文件读取失败：") + "\r\n" + path_of(name) + "\r\n";
    const Text& message = report.messages[0];
    ASSERT_TRUE(message.starts_with(head)) << testing::utf8(message);
    const Text shown = message.substr(head.size());
    if (reason.empty()) {
      EXPECT_FALSE(shown.empty());
      EXPECT_EQ(shown.find('\n'), Text::npos) << testing::utf8(shown);
    } else {
      EXPECT_EQ(testing::utf8(shown), testing::utf8(gbk(reason)));
    }
    EXPECT_TRUE(report.unchanged);

    const testing::ChildResult cli =
        testing::run_child(program_beside_me(kCliName), {path_of(name), "#1"}, temp.path(), kLimits);
    ASSERT_FALSE(cli.timed_out) << "colsplit-cli did not end in time";
    EXPECT_EQ(cli.exit_code, 1) << cli.out << cli.err;
    EXPECT_EQ(cli.out, std::string("文件读取失败：") + kLineEnd + testing::utf8(path_of(name)) + kLineEnd +
                           testing::utf8(shown) + kLineEnd);
  }

#ifdef _WIN32
  static constexpr const char* kSeparator = "\\";
  static constexpr const char* kCliName = "colsplit-cli.exe";
  static constexpr const char* kLineEnd = "\r\n";
#else
  static constexpr const char* kSeparator = "/";
  static constexpr const char* kCliName = "colsplit-cli";
  static constexpr const char* kLineEnd = "\n";
#endif

  testing::TempFolder temp;
};

std::string random_bytes(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  return bytes;
}

std::string read_source_file(const std::string& relative) {
  std::ifstream in(std::filesystem::path(COLSPLIT_SOURCE_DIR) / relative, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A worksheet with one row of cells given as XML.
std::string workbook_with_cells(const std::string& cells, const std::string& shared_strings = "") {
  return make_workbook(sheet_xml("<row>" + cells + "</row>"), shared_strings);
}

TEST_F(BadInputTest, FilesThatAreNoWorkbooks) {
  expect_failed_load("empty.xlsx", "");
  expect_failed_load("random.xlsx", random_bytes(64 * 1024, 7));
  expect_failed_load("random-behind-zip-signature.xlsx", "PK\x03\x04" + random_bytes(64 * 1024, 8));
}

// Excel 97-2003 workbooks load, whatever their names say; damaged ones fail
// with the message.
TEST_F(BadInputTest, Excel97WorkbooksLoadAndDamagedOnesFail) {
  // Saved by LibreOffice as Excel 97-2003 from a two-row workbook.
  const std::string xls = read_source_file("tests/load/bad_input/tiny.xls");
  ASSERT_FALSE(xls.empty());
  for (const char* name : {"tiny.xls", "excel97.xlsx"}) {
    SCOPED_TRACE(name);
    write(name, xls);
    const DropReport report = drop(name);
    ASSERT_FALSE(report.child.timed_out);
    ASSERT_EQ(report.child.exit_code, 0) << report.child.out << report.child.err;
    EXPECT_EQ(report.outcome, "loaded");
    EXPECT_TRUE(report.messages.empty());
    EXPECT_THAT(report.columns, ElementsAre(gbk(u8"城市"), gbk(u8"人数")));
    EXPECT_THAT(report.rows, ElementsAre(ElementsAre(gbk(u8"北京"), "3")));
  }

  expect_failed_load("truncated.xls", xls.substr(0, xls.size() * 3 / 5));
  // The chain of the mini stream (sectors 3 to 7, listed in the only FAT
  // sector, the file's first) turned back from sector 5 to 3.
  std::string looped = xls;
  ASSERT_EQ(looped.substr(512 + 4 * 5, 4), std::string("\x06\0\0\0", 4));
  looped.replace(512 + 4 * 5, 4, std::string("\x03\0\0\0", 4));
  expect_failed_load("looped.xls", looped);
  expect_failed_load("excel95.xls", make_compound_file({{"Book", bof(0x0005, 0x0500) + eof()}}).bytes);
}

// One bad file for each reason the library gives, and the user's words for it.
TEST_F(BadInputTest, EachRefusalSaysWhy) {
  const std::u8string_view damaged = u8"文件已损坏（压缩包、复合文档或其中某部分无法读取）";
  const std::u8string_view no_workbook = u8"不是工作簿文件（可能是文本、图片或其他程序的文档）";
  const std::u8string_view encrypted = u8"文件已加密，需要密码才能打开";
  const std::string good = workbook_with_cells("<c><v>1</v></c>");
  const std::string bomb = deflated_zeros(64);
  std::vector<RawEntry> bomb_entries = workbook_entries_without_sheet();
  bomb_entries.push_back({"xl/worksheets/sheet1.xml", bomb, 8, 0, static_cast<std::uint32_t>(bomb.size()), 3u << 30});
  const struct {
    const char* name;
    std::string bytes;
    std::u8string_view reason;
  } cases[] = {
      {"text.xlsx", "部门,城市\r\n销售,北京\r\n", no_workbook},
      {"zip-without-workbook.xlsx", make_raw_zip({stored("readme.txt", "hello")}), no_workbook},
      {"truncated.xlsx", good.substr(0, good.size() * 3 / 5), damaged},
      {"encrypted.xlsx", read_source_file("tests/sheetlib/read/corpus/pass_protected.xlsx"), encrypted},
      {"encrypted.xls", make_xls(one_sheet_stream(label(0, 0, u"机密"), biff(0x002F, std::string(54, '\x11')))),
       encrypted},
      {"unknown-version.xls", make_xls(bof(0x0005, 0x0700) + eof()), damaged},
      {"claims-gigabytes.xlsx", make_raw_zip(bomb_entries), u8"文件超出读取限制（标记或大小异常）"},
  };
  for (const auto& c : cases) expect_failed_load(c.name, c.bytes, c.reason);
  expect_failed_load_of_existing("missing.xlsx", u8"找不到文件");
}

TEST_F(BadInputTest, FolderAndOversizedFileNamedLikeWorkbooks) {
  std::filesystem::create_directory(temp.path() / "folder.xlsx");
  expect_failed_load_of_existing("folder.xlsx", u8"文件无法读取");
  // Beyond the 1 GiB that the library reads at all (sparse: no disk used).
  std::ofstream(temp.path() / "huge.xlsx", std::ios::binary) << std::string("PK\x03\x04", 4);
  std::filesystem::resize_file(temp.path() / "huge.xlsx", (std::uintmax_t{1} << 30) + 1);
  expect_failed_load_of_existing("huge.xlsx", u8"文件大于 1 GiB");
}

TEST_F(BadInputTest, BrokenZips) {
  const std::string good = workbook_with_cells("<c><v>1</v></c>");
  expect_failed_load("truncated.xlsx", good.substr(0, good.size() * 3 / 5));

  const std::string sheet = sheet_xml("<row><c><v>1</v></c></row>");
  std::vector<RawEntry> entries = workbook_entries_without_sheet();
  RawEntry wrong_crc = stored("xl/worksheets/sheet1.xml", sheet);
  wrong_crc.crc ^= 1;
  entries.push_back(wrong_crc);
  expect_failed_load("wrong-checksum.xlsx", make_raw_zip(entries));

  entries.back() = stored("xl/worksheets/sheet1.xml", sheet);
  entries.back().uncompressed_size = entries.back().compressed_size = 1'000'000;
  expect_failed_load("sizes-beyond-the-file.xlsx", make_raw_zip(entries));

  // The end record's offset of the central directory points past the end.
  entries.back() = stored("xl/worksheets/sheet1.xml", sheet);
  std::string moved = make_raw_zip(entries);
  const std::size_t end_record = moved.rfind(std::string("PK\x05\x06", 4));
  ASSERT_NE(end_record, std::string::npos);
  moved.replace(end_record + 16, 4, std::string("\xF0\xFF\xFF\x0F", 4));
  expect_failed_load("directory-beyond-the-file.xlsx", moved);
}

TEST_F(BadInputTest, ZipBombOfGigabytesOfZeros) {
  const std::uint32_t mebibytes = 3 * 1024;
  const std::string bomb = deflated_zeros(mebibytes);
  const auto with_sheet = [&](std::uint32_t claimed_size) {
    std::vector<RawEntry> entries = workbook_entries_without_sheet();
    entries.push_back({"xl/worksheets/sheet1.xml", bomb, 8, 0, static_cast<std::uint32_t>(bomb.size()), claimed_size});
    return make_raw_zip(entries);
  };
  expect_failed_load("bomb-honest.xlsx", with_sheet(mebibytes << 20));
  expect_failed_load("bomb-modest-claim.xlsx", with_sheet(static_cast<std::uint32_t>(bomb.size()) * 4));
}

TEST_F(BadInputTest, HostileXml) {
  std::string laughs = "<!DOCTYPE worksheet [<!ENTITY a0 \"ha\">";
  for (int i = 1; i < 30; ++i)
    laughs += "<!ENTITY a" + std::to_string(i) + " \"&a" + std::to_string(i - 1) + ";&a" + std::to_string(i - 1) + ";\">";
  laughs += "]>";
  expect_failed_load("entity-bomb.xlsx",
                     make_workbook("<?xml version=\"1.0\"?>" + laughs +
                                   "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
                                   "<sheetData><row><c t=\"inlineStr\"><is><t>&a29;</t></is></c></row></sheetData>"
                                   "</worksheet>"));
  expect_failed_load("dtd-in-shared-strings.xlsx",
                     workbook_with_cells("<c t=\"s\"><v>0</v></c>",
                                         "<!DOCTYPE sst SYSTEM \"http://example.com/sst.dtd\">" +
                                             shared_strings_xml("<si><t>a</t></si>")));
  std::string deep;
  for (int i = 0; i < 100'000; ++i) deep += "<a>";
  for (int i = 0; i < 100'000; ++i) deep += "</a>";
  expect_failed_load("deep-nesting.xlsx", make_workbook(sheet_xml("<row>" + deep + "</row>")));
  expect_failed_load("invalid-utf8.xlsx", workbook_with_cells("<c t=\"inlineStr\"><is><t>bad \xC3\x28 byte</t></is></c>"));
  expect_failed_load("invalid-utf8-in-shared-strings.xlsx",
                     workbook_with_cells("<c t=\"s\"><v>0</v></c>", shared_strings_xml("<si><t>\xE5\x8C</t></si>")));
}

TEST_F(BadInputTest, CellsOutsideTheSheet) {
  expect_failed_load("column-beyond-xfd.xlsx", workbook_with_cells("<c r=\"XFE1\"><v>1</v></c>"));
  expect_failed_load("row-beyond-1048576.xlsx", workbook_with_cells("<c r=\"A1048577\"><v>1</v></c>"));
  expect_failed_load("negative-row.xlsx", workbook_with_cells("<c r=\"A-1\"><v>1</v></c>"));
  expect_failed_load("negative-row-element.xlsx", make_workbook(sheet_xml("<row r=\"-1\"><c><v>1</v></c></row>")));
}

// Not damaged either, but one stray value in the last cell of the sheet makes
// 17 billion cells to show: refused at once, with the sheet's extents.
TEST_F(BadInputTest, StrayValueInTheLastCellOfTheSheetIsRefusedWithItsExtents) {
  expect_failed_load("stray-value.xlsx",
                     make_workbook(sheet_xml("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>"
                                             "<row r=\"1048576\"><c r=\"XFD1048576\"><v>2</v></c></row>")),
                     u8"工作表过大：1048576 行 × 16384 列，最多可显示 50000000 个单元格");
}

TEST_F(BadInputTest, SharedStringThatIsNotThere) {
  expect_failed_load("shared-string-out-of-range.xlsx",
                     workbook_with_cells("<c t=\"s\"><v>0</v></c><c t=\"s\"><v>1</v></c>",
                                         shared_strings_xml("<si><t>a</t></si>")));
}

// Not damaged: the dimension claims the whole sheet, the cells are three.
// It loads, and the 1 GiB limit proves that nothing was sized by the claim.
TEST_F(BadInputTest, DimensionOfTheWholeSheetWithThreeCellsLoads) {
  write("dimension.xlsx",
        make_workbook(sheet_xml("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>部门</t></is></c>"
                                "<c r=\"B1\" t=\"inlineStr\"><is><t>城市</t></is></c></row>"
                                "<row r=\"2\"><c r=\"A2\"><v>7</v></c></row>",
                                "<dimension ref=\"A1:XFD1048576\"/>")));
  const DropReport report = drop("dimension.xlsx");
  ASSERT_FALSE(report.child.timed_out);
  ASSERT_EQ(report.child.exit_code, 0) << report.child.out << report.child.err;
  EXPECT_EQ(report.outcome, "loaded");
  EXPECT_TRUE(report.messages.empty());
  EXPECT_THAT(report.columns, ElementsAre(gbk(u8"部门"), gbk(u8"城市")));
  EXPECT_THAT(report.rows, ElementsAre(ElementsAre("7", "")));
}

}  // namespace
}  // namespace colsplit

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--drop") {
#ifdef _WIN32
    return colsplit::drop_and_report(argv[2], argv[3]);
#else
    return colsplit::drop_and_report(colsplit::utf8_to_gbk(argv[2]), colsplit::utf8_to_gbk(argv[3]));
#endif
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
