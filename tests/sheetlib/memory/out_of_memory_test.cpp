// Every out-of-memory path of the library, tested the way expat tests its
// own: the n-th allocation fails, for n = 1, 2, … until the operation gets
// through without meeting the failure. Each failure must give the documented
// failure result (0 or null) and leave the book as it was; under the
// sanitize preset, LeakSanitizer checks at the end that nothing leaked on
// any of those paths. A few failures are absorbed below the library (the C
// library's time zone set-up, which libzip's date conversion runs, falls
// back to UTC when it cannot copy a name): the operation then succeeds, and
// its result must be whole.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sheetlib/api/book.h"
#include "sheetlib/api/book_guard.h"
#include "sheetlib/memory/failing_allocator.h"
#include "sheetlib/sheetlib.h"
#include "sheetlib/support/scratch_folder.h"
#include "support/gbk_literal.h"
#include "text/encoding.h"

namespace colsplit::testing {
namespace {

// No operation here needs nearly this many allocations; a loop that gets
// this far means the operation never completes.
constexpr long kMostAllocations = 200'000;

std::string corpus(const char* name) {
  return std::string(COLSPLIT_SOURCE_DIR) + "/tests/sheetlib/read/corpus/" + name;
}

std::string file_bytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// What a caller can see of a book: its sheets (handles, names) and every
// cell's text and format within the sheets' extents.
struct BookPicture {
  std::vector<SheetHandle> sheets;
  std::vector<std::string> names;
  std::vector<std::vector<std::vector<std::optional<std::string>>>> cells;
  std::vector<std::vector<std::vector<FormatHandle>>> formats;
  std::size_t format_count = 0;
  bool operator==(const BookPicture&) const = default;
};

void PrintTo(const BookPicture& seen, std::ostream* out) {
  *out << seen.sheets.size() << " sheet(s), " << seen.format_count << " format(s)";
  for (std::size_t i = 0; i < seen.sheets.size(); ++i) {
    *out << "; " << seen.names[i] << ": " << seen.cells[i].size() << " row(s)";
    for (const auto& row : seen.cells[i]) {
      *out << " [";
      for (const auto& cell : row) *out << (cell ? *cell : "(null)") << "|";
      *out << "]";
    }
  }
}

// What a load puts into a book, to compare with the same file loaded into
// another book: its sheet without the handle (and without the count of
// formats, which a written book keeps for the handles it gave out). The
// formats of typed cells are other books' handles: what they tell, their
// number format, stands in for them.
BookPicture loaded_content(BookPicture seen) {
  seen.sheets.clear();
  seen.format_count = 0;
  for (auto& rows : seen.formats) {
    for (auto& row : rows) {
      for (FormatHandle& format : row) {
        if (format) format = reinterpret_cast<FormatHandle>(static_cast<std::intptr_t>(xlFormatNumFormatA(format) + 1));
      }
    }
  }
  return seen;
}

BookPicture picture(BookHandle book) {
  BookPicture seen;
  for (int index = 0; index < xlBookSheetCountA(book); ++index) {
    SheetHandle sheet = xlBookGetSheetA(book, index);
    seen.sheets.push_back(sheet);
    seen.names.push_back(book->sheets[static_cast<std::size_t>(index)]->name_utf8);
    auto& cells = seen.cells.emplace_back();
    auto& formats = seen.formats.emplace_back();
    for (int row = 0; row < xlSheetLastRowA(sheet); ++row) {
      cells.emplace_back();
      formats.emplace_back();
      for (int column = 0; column < xlSheetLastColA(sheet); ++column) {
        FormatHandle format = nullptr;
        const char* text = xlSheetReadStrA(sheet, row, column, &format);
        cells.back().push_back(text ? std::optional<std::string>(text) : std::nullopt);
        formats.back().push_back(format);
      }
    }
  }
  seen.format_count = book->formats.size();
  return seen;
}

// A written book of two sheets with Chinese names, bordered cells of shared
// and repeated texts, ignored errors and column widths.
void write_two_sheets(BookHandle book) {
  FormatHandle border = xlBookAddFormatA(book, nullptr);
  xlFormatSetBorderA(border, 1);
  for (const char8_t* name : {u8"北京", u8"上海"}) {
    SheetHandle sheet = xlBookInsertSheetA(book, xlBookSheetCountA(book), gbk(name).c_str(), nullptr);
    ASSERT_NE(sheet, nullptr);
    for (int row = 0; row < 12; ++row) {
      for (int column = 0; column < 3; ++column) {
        const std::string text = column == 1 ? gbk(u8"城市") : std::to_string(row * 7 + column);
        xlSheetWriteStrA(sheet, row, column, text.c_str(), border);
      }
    }
    xlSheetWriteStrA(sheet, 13, 4, nullptr, border);
    xlSheetAddIgnoredErrorA(sheet, 0, 0, 13, 4, 255);
    xlSheetSetColA(sheet, 0, 4, 20, nullptr, 0);
  }
}

class OutOfMemory : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // The converters of this thread are made at their first use; made here,
    // outside the tests, so that each test starts from the same state.
    const std::string beijing = gbk(u8"北京");
    utf8_to_gbk(gbk_to_utf8(beijing));
  }
  void TearDown() override { disarm_allocations(); }

  // Runs attempt(n) for n = 1, 2, …: the attempt prepares what it needs,
  // makes its library call between fail_allocation(n) and
  // disarm_allocations(), checks the outcome and returns what
  // disarm_allocations() said. The loop ends with the first attempt that met
  // no failure; the number of attempts that did.
  template <typename Attempt>
  long until_no_allocation_fails(Attempt&& attempt) {
    const ::testing::TestResult& result = *::testing::UnitTest::GetInstance()->current_test_info()->result();
    const int failures_before = result.total_part_count();
    for (long n = 1; n <= kMostAllocations; ++n) {
      if (!attempt(n)) return n - 1;
      if (result.total_part_count() > failures_before) return n;  // one report of a fault is enough
    }
    ADD_FAILURE() << "still failing after " << kMostAllocations << " allocations";
    return kMostAllocations;
  }
};

TEST_F(OutOfMemory, CreatingABookGivesNullOrABook) {
  const long failures = until_no_allocation_fails([](long n) {
    fail_allocation(n);
    BookHandle book = xlCreateXMLBookCA();
    const bool failed = disarm_allocations();
    EXPECT_EQ(book == nullptr, failed) << "allocation " << n;
    xlBookReleaseA(book);
    return failed;
  });
  EXPECT_GE(failures, 1);
}

// A loaded book keeps the sheet it had, a written one its sheets; each
// workbook loads whole once memory is there.
TEST_F(OutOfMemory, FailedLoadLeavesTheBookAsItWas) {
  const std::string earlier = corpus("header-row.xlsx");
  const struct {
    const char* name;
    bool written;  // into a book of written sheets, else into a loaded one
  } cases[] = {{"richtext-after-plain.xlsx", false}, {"date.xlsx", false}, {"inlineStr_with_value.xlsx", false},
               {"errors.xlsx", false}, {"date.xlsx", true}};
  for (const auto& load : cases) {
    const char* const name = load.name;
    const bool written = load.written;
    SCOPED_TRACE(std::string(name) + (written ? " into a written book" : " into a loaded book"));
    const std::string path = corpus(name);
    BookGuard reference;
    ASSERT_EQ(xlBookLoadA(reference, path.c_str()), 1);
    const BookPicture wanted = loaded_content(picture(reference));

    // A book is made again only after a load went through; a failed load
    // leaves it as it was, which is checked.
    std::unique_ptr<BookGuard> book;
    BookPicture before;
    const long failures = until_no_allocation_fails([&](long n) {
      if (!book) {
        book = std::make_unique<BookGuard>();
        if (written) {
          write_two_sheets(*book);
        } else {
          EXPECT_EQ(xlBookLoadA(*book, earlier.c_str()), 1);
        }
        before = picture(*book);
      }
      fail_allocation(n);
      const int result = xlBookLoadA(*book, path.c_str());
      const bool failed = disarm_allocations();
      if (result == 1) {
        EXPECT_EQ(loaded_content(picture(*book)), wanted) << "allocation " << n;
        book.reset();
      } else {
        EXPECT_TRUE(failed);
        EXPECT_EQ(result, 0) << "allocation " << n;
        EXPECT_EQ(picture(*book), before) << "allocation " << n;
      }
      return failed;
    });
    EXPECT_GT(failures, 10);
  }
}

// A failed save leaves the earlier file of that name as it was and no
// temporary file; the book is unchanged and saves whole once memory is there.
TEST_F(OutOfMemory, FailedSaveLeavesTheBookAndTheFolderAsTheyWere) {
  ScratchFolder folder;
  const std::filesystem::path target = folder.path() / "out.xlsx";
  const std::string path = folder.gbk_path("out.xlsx");
  BookGuard book;
  write_two_sheets(book);
  const BookPicture before = picture(book);

  const long failures = until_no_allocation_fails([&](long n) {
    { std::ofstream(target, std::ios::binary) << "the earlier file"; }
    fail_allocation(n);
    const int result = xlBookSaveA(book, path.c_str());
    const bool failed = disarm_allocations();
    EXPECT_EQ(picture(book), before) << "allocation " << n;
    EXPECT_EQ(folder.entries(), std::set<std::string>{"out.xlsx"}) << "allocation " << n;
    if (result == 1) {
      BookGuard saved;
      EXPECT_EQ(xlBookLoadA(saved, path.c_str()), 1) << "allocation " << n;
      EXPECT_EQ(picture(saved).cells[0], before.cells[0]) << "allocation " << n;
    } else {
      EXPECT_TRUE(failed);
      EXPECT_EQ(result, 0) << "allocation " << n;
      EXPECT_EQ(file_bytes(target), "the earlier file") << "allocation " << n;
    }
    return failed;
  });
  EXPECT_GT(failures, 10);
}

TEST_F(OutOfMemory, FailedInsertLeavesTheSheetsAsTheyWere) {
  for (const bool copy : {false, true}) {
    SCOPED_TRACE(copy ? "a copy of sheet 0" : "an empty sheet");
    const std::string name = gbk(copy ? u8"副本" : u8"新表");
    const long failures = until_no_allocation_fails([&](long n) {
      BookGuard book;
      write_two_sheets(book);
      const BookPicture before = picture(book);
      SheetHandle copied = copy ? xlBookGetSheetA(book, 0) : nullptr;
      fail_allocation(n);
      SheetHandle inserted = xlBookInsertSheetA(book, 1, name.c_str(), copied);
      const bool failed = disarm_allocations();
      if (inserted) {
        EXPECT_EQ(xlBookGetSheetA(book, 1), inserted) << "allocation " << n;
        EXPECT_EQ(xlBookSheetCountA(book), 3) << "allocation " << n;
        EXPECT_EQ(book.get()->sheets[1]->name_utf8, gbk_to_utf8(name));
      } else {
        EXPECT_TRUE(failed);
        EXPECT_EQ(picture(book), before) << "allocation " << n;
      }
      return failed;
    });
    EXPECT_GE(failures, 1);
  }
}

}  // namespace
}  // namespace colsplit::testing
