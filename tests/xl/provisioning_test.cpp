// create_workbook and the binding as a program sees them in its own run
// directory: a copy of xl_probe is started in a fresh folder, with or
// without a library file (ours, a stand-in, or a broken one) beside it.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "app/runtime_error/runtime_error_report.h"
#include "text/texts.h"
#include "child_process.h"
#include "support/gbk_literal.h"
#include "xl/binding.h"
#include "xl/checked_call.h"
#include "xl/dll_command_table.h"
#include "xl/workbook_provisioning.h"

namespace colsplit::xl {
namespace {

namespace fs = std::filesystem;
using colsplit::testing::ChildResult;
using colsplit::testing::kReportExitCode;
using colsplit::testing::native_path;

#ifdef _WIN32
constexpr const char* kProgramSuffix = ".exe";
constexpr const char* kLibrarySuffix = ".dll";
#else
constexpr const char* kProgramSuffix = "";
constexpr const char* kLibrarySuffix = ".so";
#endif

std::string read_bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The folder of the test program, where the build puts every program and
// library.
fs::path build_folder() { return native_path(run_directory()); }

fs::path built_library(const std::string& name) { return build_folder() / (name + kLibrarySuffix); }

Text report_cannot_bind(const char* function) {
  return format_runtime_error(0, cannot_bind_message("libxl.dll", function), 0, 0);
}

class FreshRunDirectory : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string stamp = std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
    // A Chinese folder name, so that every path crosses to the system
    // converted. Wine under an ASCII-only host locale cannot store such a
    // name at all; there the folder gets a plain one.
    std::error_code refused;
    directory_ = fs::temp_directory_path() / fs::path(u8"运行目录_" + std::u8string(stamp.begin(), stamp.end()));
    if (!fs::create_directories(directory_, refused)) {
      directory_ = fs::temp_directory_path() / ("run_directory_" + stamp);
      fs::create_directories(directory_);
    }
    program_ = directory_ / (std::string("xl_probe") + kProgramSuffix);
    fs::copy_file(build_folder() / program_.filename(), program_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(directory_, ignored);
  }

  ChildResult run(const std::vector<std::string>& steps) { return colsplit::testing::run_child(program_, steps, directory_); }
  fs::path library() const { return directory_ / (std::string("libxl") + kLibrarySuffix); }
  void put_library(const std::string& built_name) { fs::copy_file(built_library(built_name), library()); }

  fs::path directory_;
  fs::path program_;
};

TEST_F(FreshRunDirectory, MissingLibraryIsWrittenFromTheImageOnce) {
  const ChildResult first = run({"create", "age", "create"});
  ASSERT_EQ(first.exit_code, 0) << first.err;
  ASSERT_TRUE(fs::is_regular_file(library()));
  // Compared as a whole, not with EXPECT_EQ: GoogleTest's diff of two
  // differing 12 MB strings (an image older than the built library) needs
  // tens of gigabytes.
  EXPECT_TRUE(read_bytes(library()) == read_bytes(built_library("libxl")))
      << "the written library is not the built one: rebuild the test";
  const auto aged = fs::last_write_time(library());
  EXPECT_LT(aged, fs::file_time_type::clock::now() - std::chrono::hours(24 * 300));

  // Neither the second workbook of that run nor a later run rewrote it.
  const ChildResult second = run({"create"});
  ASSERT_EQ(second.exit_code, 0) << second.err;
  EXPECT_EQ(fs::last_write_time(library()), aged);
}

// Every row with the library the image carries (on 32-bit Windows each call
// passes the stack check): a workbook written, saved, loaded and read back.
TEST_F(FreshRunDirectory, EveryRowWorksWithTheBuiltLibrary) {
  const ChildResult result = run({"round-trip"});
  ASSERT_EQ(result.exit_code, 0) << result.err;
  // The directory test is PathIsDirectoryA: it reads the GBK path in the
  // system's ANSI code page, so outside code page 936 it cannot find a folder
  // with a Chinese name (the export copes with that answer).
  std::string directory_answer = "directory 1 0\n";
#ifdef _WIN32
  const std::wstring wide = directory_.wstring();
  const bool chinese_name = std::any_of(wide.begin(), wide.end(), [](wchar_t c) { return c > 0x7F; });
  if (GetACP() != 936 && chinese_name) directory_answer = "directory 0 0\n";
#endif
  EXPECT_EQ(result.out, "saved 1\nloaded 1\nextent 2 x 2\ncells [heading] [" + colsplit::testing::gbk(u8"北京") +
                            "] []\n" + directory_answer);
  EXPECT_TRUE(fs::is_regular_file(directory_ / "round trip.xlsx"));
}

TEST_F(FreshRunDirectory, LibraryBesideTheProgramIsUsedAndNeverRewritten) {
  put_library("xltest_full");
  const ChildResult result = run({"create", "counts"});
  ASSERT_EQ(result.exit_code, 0) << result.err;
  EXPECT_NE(result.out.find("book 5eed\n"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("counts 207\n"), std::string::npos) << result.out;
  EXPECT_EQ(read_bytes(library()), read_bytes(built_library("xltest_full")));
  // At the program's normal end the bound rows gave their references back.
  EXPECT_TRUE(result.out.ends_with("stand-in library unloaded\n")) << result.out;
}

TEST_F(FreshRunDirectory, DirectoryOfTheLibrarysNameCountsAsPresent) {
  fs::create_directory(library());
  const ChildResult result = run({"create"});
  EXPECT_EQ(result.exit_code, kReportExitCode);
  EXPECT_EQ(result.err, report_cannot_bind("xlCreateXMLBookCA") + "\n");
  EXPECT_TRUE(fs::is_directory(library()));
  EXPECT_TRUE(fs::is_empty(library()));
}

TEST_F(FreshRunDirectory, MissingFunctionIsReportedAtItsFirstCall) {
  put_library("xltest_without_set_col");
  const ChildResult result = run({"create", "set-col"});
  EXPECT_EQ(result.exit_code, kReportExitCode);
  EXPECT_EQ(result.err, report_cannot_bind("xlSheetSetColA") + "\n");
  // The other rows bound and worked until then; the report ended the process
  // with the library still loaded (a thread could still be inside it).
  EXPECT_EQ(result.out.find("book 5eed\n"), 0u) << result.out;
  EXPECT_EQ(result.out.find("set-col 44"), std::string::npos) << result.out;
  EXPECT_EQ(result.out.find("stand-in library unloaded\n"), std::string::npos) << result.out;
}

TEST_F(FreshRunDirectory, EveryBoundRowHoldsExactlyOneReference) {
  put_library("xltest_full");
  // Six calls of three rows: only the first call of each row locates the
  // library, so releasing the three rows leaves just the probe's own reference.
  const ChildResult result = run({"create", "counts", "references"});
  ASSERT_EQ(result.exit_code, 0) << result.err;
  EXPECT_NE(result.out.find("loaded after release 1\n"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("loaded after own reference 0\n"), std::string::npos) << result.out;
}

#if COLSPLIT_XL_STACK_CHECK
using StackBalance = FreshRunDirectory;

TEST_F(StackBalance, FunctionOfAnotherCallingConventionEndsInTheStackReport) {
  put_library("xltest_stdcall_set_col");
  const ChildResult result = run({"create", "set-col"});
  EXPECT_EQ(result.exit_code, kReportExitCode);
  const std::string marker = "set-col at line ";
  const std::size_t at = result.out.find(marker);
  ASSERT_NE(at, std::string::npos) << result.out;
  const int line = std::stoi(result.out.substr(at + marker.size()));
  EXPECT_EQ(result.err, format_runtime_error(kErrorStackUnbalanced, texts::kStackUnbalanced,
                                             static_cast<int>(row_index(Row::xlSheetSetColA)) + 1, line) +
                            "\n");
}
#endif

#ifndef _WIN32
// A write cut short (here by a file size limit) must not leave a truncated
// library behind, which every later run would find and fail to load.
TEST_F(FreshRunDirectory, IncompleteWriteLeavesNoLibraryBehind) {
  const ChildResult result = run({"file-limit", "create"});
  EXPECT_EQ(result.exit_code, kReportExitCode);
  EXPECT_EQ(result.err, report_cannot_bind("xlCreateXMLBookCA") + "\n");
  EXPECT_FALSE(fs::exists(library()));
}
#endif

}  // namespace
}  // namespace colsplit::xl
