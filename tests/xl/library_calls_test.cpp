// The typed wrappers, through stand-ins bound with the test seam: the
// arguments must reach a C function of the row's signature in order and
// unchanged (on 32-bit Windows through the word-pushing stack check).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/runtime_error/runtime_error_report.h"
#include "text/texts.h"
#include "xl/checked_call.h"
#include "xl/library_calls.h"
#include "xl/owned_book.h"

namespace colsplit::xl {
namespace {

struct Recorded {
  void* handle = nullptr;
  int ints[5] = {};
  double width = 0;
  const char* text = nullptr;
  void* second_handle = nullptr;
  void** format_slot = nullptr;
} g_recorded;

char g_library_buffer[32];

const BookHandle kBook = reinterpret_cast<BookHandle>(0x9abc);
const SheetHandle kSheet = reinterpret_cast<SheetHandle>(0x1234);
const FormatHandle kFormat = reinterpret_cast<FormatHandle>(0x5678);

int stand_in_set_col(void* sheet, int first, int last, double width, void* format, int hidden) {
  g_recorded = Recorded{sheet, {first, last, hidden}, width, nullptr, format};
  return 3;
}

int stand_in_write_str(void* sheet, int row, int col, const char* value, void* format) {
  g_recorded = Recorded{sheet, {row, col}, 0, value, format};
  return 1;
}

int stand_in_ignored_error(void* sheet, int r0, int c0, int r1, int c1, int flags) {
  g_recorded = Recorded{sheet, {r0, c0, r1, c1, flags}};
  return 1;
}

const char* stand_in_read_str(void* sheet, int row, int col, void** format) {
  g_recorded = Recorded{sheet, {row, col}};
  g_recorded.format_slot = format;
  return row == 0 ? nullptr : g_library_buffer;
}

void* stand_in_insert_sheet(void* book, int index, const char* name, void* copy) {
  g_recorded = Recorded{book, {index}, 0, name, copy};
  return kSheet;
}

void* stand_in_create() { return kBook; }

double stand_in_read_num(void* sheet, int row, int col, void** format) {
  g_recorded = Recorded{sheet, {row, col}};
  if (format) *format = kFormat;
  return row + 0.25;
}

double stand_in_column_width(void* sheet, int col) {
  g_recorded = Recorded{sheet, {col}};
  return col < 0 ? -1.0 : 1e300;
}

int stand_in_merge(void* sheet, int index, int* r0, int* r1, int* c0, int* c1) {
  g_recorded = Recorded{sheet, {index}};
  *r0 = 1;
  *r1 = 2;
  *c0 = 3;
  *c1 = 4;
  return 1;
}

// A handle of one kind is refused where another is wanted: a mix-up is a
// compile error, not a call of the library with the wrong object.
template <typename Handle>
constexpr bool takes_as_book = requires(Handle handle) { xlBookSheetCountA(handle); };
template <typename Handle>
constexpr bool takes_as_sheet = requires(Handle handle) { xlSheetLastRowA(handle); };
template <typename Handle>
constexpr bool takes_as_format = requires(Handle handle) { xlFormatNumFormatA(handle); };
static_assert(takes_as_book<BookHandle> && !takes_as_book<SheetHandle> && !takes_as_book<FormatHandle>);
static_assert(takes_as_sheet<SheetHandle> && !takes_as_sheet<BookHandle> && !takes_as_sheet<FormatHandle>);
static_assert(takes_as_format<FormatHandle> && !takes_as_format<BookHandle> && !takes_as_format<SheetHandle>);
static_assert(!takes_as_book<void*> && !takes_as_sheet<void*>, "an untyped pointer is no handle");

// A row is called with exactly the C parameter types the table gives it:
// a width given as an int, a missing argument or a sheet where the function
// takes a book does not compile.
template <Row row, typename... Args>
constexpr bool row_takes = requires(const CallSite& where, Args... args) { call_row<row>(where, args...); };
static_assert(row_takes<Row::xlSheetSetColA, SheetHandle, int, int, double, FormatHandle, int>);
static_assert(!row_takes<Row::xlSheetSetColA, SheetHandle, int, int, int, FormatHandle, int>);
static_assert(!row_takes<Row::xlSheetSetColA, SheetHandle, int, int, double, FormatHandle>);
static_assert(row_takes<Row::PathIsDirectoryA, const char*> && !row_takes<Row::xlBookLoadA, SheetHandle, const char*>);

std::vector<void*> g_released;
void stand_in_release(void* book) { g_released.push_back(book); }

class LibraryCalls : public ::testing::Test {
 protected:
  void TearDown() override { testing::unbind_all(); }
};

TEST_F(LibraryCalls, ArgumentsReachTheFunctionInOrder) {
  testing::bind_row(Row::xlSheetSetColA, reinterpret_cast<void*>(&stand_in_set_col));
  testing::bind_row(Row::xlSheetAddIgnoredErrorA, reinterpret_cast<void*>(&stand_in_ignored_error));
  testing::bind_row(Row::xlBookInsertSheetA, reinterpret_cast<void*>(&stand_in_insert_sheet));
  testing::bind_row(Row::xlCreateXMLBookCA, reinterpret_cast<void*>(&stand_in_create));

  // The double sits between ints: its two words must land in place.
  EXPECT_EQ(xlSheetSetColA(kSheet, 2, 7, 12.75, kFormat, 1), 3);
  EXPECT_EQ(g_recorded.handle, kSheet);
  EXPECT_EQ(g_recorded.ints[0], 2);
  EXPECT_EQ(g_recorded.ints[1], 7);
  EXPECT_EQ(g_recorded.width, 12.75);
  EXPECT_EQ(g_recorded.second_handle, kFormat);
  EXPECT_EQ(g_recorded.ints[2], 1);

  EXPECT_EQ(xlSheetAddIgnoredErrorA(kSheet, 0, 0, 99, -1, 255), 1);
  EXPECT_EQ(g_recorded.ints[2], 99);
  EXPECT_EQ(g_recorded.ints[3], -1);
  EXPECT_EQ(g_recorded.ints[4], 255);

  EXPECT_EQ(xlBookInsertSheetA(kBook, 4, "Sheet", kSheet), kSheet);
  EXPECT_EQ(g_recorded.handle, kBook);
  EXPECT_EQ(g_recorded.ints[0], 4);
  EXPECT_STREQ(g_recorded.text, "Sheet");
  EXPECT_EQ(g_recorded.second_handle, kSheet);
  EXPECT_EQ(xlBookInsertSheetA(kBook, 0, "Sheet", nullptr), kSheet);
  EXPECT_EQ(g_recorded.second_handle, nullptr);

  EXPECT_EQ(xlCreateXMLBookCA(), kBook);
}

// A double comes back on the x87 stack on 32-bit Windows, not in eax; the
// out-parameters of a merged range are written through the pointers given.
TEST_F(LibraryCalls, FloatingPointResultsAndOutParametersComeBack) {
  testing::bind_row(Row::xlSheetReadNumA, reinterpret_cast<void*>(&stand_in_read_num));
  testing::bind_row(Row::xlSheetColWidthA, reinterpret_cast<void*>(&stand_in_column_width));
  testing::bind_row(Row::xlSheetMergeA, reinterpret_cast<void*>(&stand_in_merge));

  FormatHandle format = nullptr;
  EXPECT_EQ(xlSheetReadNumA(kSheet, 7, 3, &format), 7.25);
  EXPECT_EQ(format, kFormat);
  EXPECT_EQ(g_recorded.ints[1], 3);
  // Many calls in a row: a result left on the x87 stack would overflow it.
  for (int i = 0; i < 20; ++i) EXPECT_EQ(xlSheetColWidthA(kSheet, i), 1e300);
  EXPECT_EQ(xlSheetColWidthA(kSheet, -1), -1.0);
  EXPECT_EQ(xlSheetReadNumA(kSheet, 1, 0, nullptr) + 0.5, 1.75);

  int r0 = 0, r1 = 0, c0 = 0, c1 = 0;
  EXPECT_EQ(xlSheetMergeA(kSheet, 5, &r0, &r1, &c0, &c1), 1);
  EXPECT_EQ(g_recorded.ints[0], 5);
  EXPECT_EQ((std::vector<int>{r0, r1, c0, c1}), (std::vector<int>{1, 2, 3, 4}));
}

TEST_F(LibraryCalls, TextsCrossAsNullWhenEmptyAndComeBackAsCopies) {
  testing::bind_row(Row::xlSheetWriteStrA, reinterpret_cast<void*>(&stand_in_write_str));
  testing::bind_row(Row::xlSheetReadStrA, reinterpret_cast<void*>(&stand_in_read_str));

  xlSheetWriteStrA(kSheet, 1, 2, "", kFormat);
  EXPECT_EQ(g_recorded.text, nullptr);
  const Text value = "\xb1\xb1\xbe\xa9";
  xlSheetWriteStrA(kSheet, 1, 2, value, kFormat);
  EXPECT_EQ(g_recorded.text, value.c_str());

  std::strcpy(g_library_buffer, "first");
  const Text copied = xlSheetReadStrA(kSheet, 5, 6, nullptr);
  std::strcpy(g_library_buffer, "overwritten");
  EXPECT_EQ(copied, "first");
  EXPECT_EQ(g_recorded.ints[0], 5);
  EXPECT_EQ(g_recorded.format_slot, nullptr);
  EXPECT_EQ(xlSheetReadStrA(kSheet, 0, 0, nullptr), "");
}

// Every book taken in is released exactly once, by whichever owner holds it
// last; a null book and a moved-from owner release nothing.
TEST_F(LibraryCalls, AnOwnedBookIsReleasedOnceByItsLastOwner) {
  testing::bind_row(Row::xlBookReleaseA, reinterpret_cast<void*>(&stand_in_release));
  const BookHandle first = reinterpret_cast<BookHandle>(0x10);
  const BookHandle second = reinterpret_cast<BookHandle>(0x20);
  g_released.clear();
  {
    OwnedBook empty;
    OwnedBook none(nullptr);
    OwnedBook owner(first);
    OwnedBook moved(std::move(owner));
    EXPECT_EQ(owner.get(), nullptr);
    EXPECT_EQ(moved.get(), first);
    OwnedBook other(second);
    other = std::move(moved);  // gives `second` back at once
    EXPECT_EQ(g_released, std::vector<void*>{second});
    EXPECT_TRUE(other);
    EXPECT_FALSE(moved);
  }
  EXPECT_EQ(g_released, (std::vector<void*>{second, first}));

  g_released.clear();
  OwnedBook early(first);
  early.reset();
  early.reset();
  EXPECT_EQ(g_released, std::vector<void*>{first});
}

#if COLSPLIT_XL_STACK_CHECK
int __stdcall stand_in_callee_pops(void* book, const char* name) { return book != nullptr && name != nullptr; }

const int kLoadLine = __LINE__ + 1;
void load_through_callee_that_pops() { xlBookLoadA(kBook, "book.xlsx"); }

TEST(StackBalanceDeathTest, CalleeThatPopsItsArgumentsEndsInTheReport) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const Text report = format_runtime_error(kErrorStackUnbalanced, texts::kStackUnbalanced,
                                           static_cast<int>(Row::xlBookLoadA) + 1, kLoadLine);
  EXPECT_EXIT(
      {
        testing::bind_row(Row::xlBookLoadA, reinterpret_cast<void*>(&stand_in_callee_pops));
        load_through_callee_that_pops();
      },
      ::testing::ExitedWithCode(-1), ::testing::HasSubstr(report));
}

// The directory test is a Windows API function; a callee that leaves its
// argument on the stack is just as wrong there.
int stand_in_leaves_argument(const char* path) { return path != nullptr; }

const int kDirectoryTestLine = __LINE__ + 1;
void directory_test_through_c_callee() { PathIsDirectoryA("C:\\"); }

TEST(StackBalanceDeathTest, WindowsApiCalleeThatLeavesItsArgumentEndsInTheReport) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const Text report = format_runtime_error(kErrorStackUnbalanced, texts::kStackUnbalanced,
                                           static_cast<int>(Row::PathIsDirectoryA) + 1, kDirectoryTestLine);
  EXPECT_EXIT(
      {
        testing::bind_row(Row::PathIsDirectoryA, reinterpret_cast<void*>(&stand_in_leaves_argument));
        directory_test_through_c_callee();
      },
      ::testing::ExitedWithCode(-1), ::testing::HasSubstr(report));
}
#elif defined(_WIN32)
// The stack-balance cases run in a ctest entry of their own, which counts
// this one as skipped.
TEST(StackBalance, MeansSomethingForThirtyTwoBitProgramsOnly) {
  GTEST_SKIP() << "the stack-balance check guards calls of 32-bit x86 programs only: "
                  "x86-64 has one calling convention, so no call can leave the stack unbalanced";
}
#endif

#ifndef _WIN32
// Linux has no shlwapi: the row cannot be located anywhere.
TEST(LibraryCallsDeathTest, RowWhoseLibraryDoesNotLoadEndsInTheReport) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(PathIsDirectoryA("/"), ::testing::ExitedWithCode(255),
              ::testing::HasSubstr(format_runtime_error(0, cannot_bind_message("shlwapi", "PathIsDirectoryA"), 0, 0)));
}
#endif

}  // namespace
}  // namespace colsplit::xl
