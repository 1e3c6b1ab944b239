#include "support/recording_library.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "support/temp_folder.h"
#include "text/encoding.h"
#include "text/gbk_chars.h"
#include "xl/library_calls.h"

namespace colsplit::testing {

struct RecordingLibrary::Book {
  int number = 0;
  bool loaded = false;
  std::vector<std::string> sheet_names;
  SavedWorkbook content;
  std::vector<std::unique_ptr<int>> formats;
  std::string last_read;
};

namespace {

RecordingLibrary* current = nullptr;

// Sheet handles are the book's address plus one, format handles the
// addresses of the book's format numbers: distinct, never dereferenced.
using BookPtr = RecordingLibrary::Book*;

BookPtr book_of(void* handle) { return static_cast<BookPtr>(handle); }
void* sheet_handle(BookPtr book) { return reinterpret_cast<char*>(book) + 1; }
BookPtr book_of_sheet(void* sheet) { return sheet ? reinterpret_cast<BookPtr>(static_cast<char*>(sheet) - 1) : nullptr; }

std::string quoted(const char* text) {
  if (!text) return "null";
  std::string result(1, '"');
  result.append(text).push_back('"');
  return result;
}
std::string name_of_book(void* handle) { return handle ? "book" + std::to_string(book_of(handle)->number) : "null"; }
std::string name_of_sheet(void* sheet) { return sheet ? "sheet" + std::to_string(book_of_sheet(sheet)->number) : "null"; }
std::string name_of_format(void* format) { return format ? "format" : "null"; }

std::string number(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%g", value);
  return buffer;
}

RecordingLibrary& library() {
  if (!current) throw std::logic_error("no RecordingLibrary bound");
  return *current;
}

const std::optional<std::string>* source_cell(int row, int column) {
  const SourceSheet& source = library().source;
  if (row < 0 || column < 0 || static_cast<std::size_t>(row) >= source.size()) return nullptr;
  const auto& cells = source[static_cast<std::size_t>(row)];
  return static_cast<std::size_t>(column) < cells.size() ? &cells[static_cast<std::size_t>(column)] : nullptr;
}

bool default_refusal(const char* name) {
  if (!name || !*name) return true;
  const std::string_view text(name);
  for (std::size_t pos = 0; pos < text.size(); pos += gbk_char_length(text, pos)) {
    if (gbk_char_length(text, pos) == 1 && (static_cast<unsigned char>(text[pos]) < 0x20 ||
                                            std::string_view(":\\/?*[]").find(text[pos]) != std::string_view::npos)) {
      return true;
    }
  }
  return utf16_units(text) > 31 || text.front() == '\'' || find_last_char(text, '\'') + 1 == text.size();
}

extern "C" {

int fake_xlBookLoadA(void* book, const char* name) {
  library().log("xlBookLoadA(" + name_of_book(book) + ", " + quoted(name) + ")");
  book_of(book)->loaded = library().load_result == 1;
  return library().load_result;
}

// Asked only after a failed load, and left out of the log: the reason of a
// failure the fake never explains.
const char* fake_xlBookErrorMessageA(void*) { return "failed"; }

void fake_xlBookReleaseA(void* book) {
  library().log("xlBookReleaseA(" + name_of_book(book) + ")");
  ++library().books_released;
}

void* fake_xlBookGetSheetA(void* book, int index) {
  library().log("xlBookGetSheetA(" + name_of_book(book) + ", " + std::to_string(index) + ")");
  return book_of(book)->loaded && index == 0 ? sheet_handle(book_of(book)) : nullptr;
}

int fake_xlSheetLastRowA(void* sheet) {
  library().log("xlSheetLastRowA(" + name_of_sheet(sheet) + ")");
  return library().last_row.value_or(static_cast<int>(library().source.size()));
}

int fake_xlSheetLastColA(void* sheet) {
  library().log("xlSheetLastColA(" + name_of_sheet(sheet) + ")");
  if (library().last_column) return *library().last_column;
  std::size_t widest = 0;
  for (const auto& row : library().source) widest = std::max(widest, row.size());
  return static_cast<int>(widest);
}

const char* fake_xlSheetReadStrA(void* sheet, int row, int column, void** format) {
  if (library().log_cells) {
    library().log("xlSheetReadStrA(" + name_of_sheet(sheet) + ", " + std::to_string(row) + ", " +
                  std::to_string(column) + ", " + (format ? "format" : "null") + ")");
  }
  const std::optional<std::string>* cell = source_cell(row, column);
  if (!cell || !*cell) return nullptr;
  BookPtr book = book_of_sheet(sheet);
  book->last_read = **cell;
  return book->last_read.c_str();
}

void* fake_xlCreateXMLBookCA() {
  RecordingLibrary& lib = library();
  auto book = std::make_unique<RecordingLibrary::Book>();
  book->number = ++lib.books_created;
  lib.books.push_back(std::move(book));
  lib.log("xlCreateXMLBookCA() -> " + name_of_book(lib.books.back().get()));
  return lib.books.back().get();
}

}  // extern "C"

// A Windows API function, and so __stdcall on 32-bit Windows like the real one.
#ifdef _WIN32
#define WINDOWS_API __stdcall
#else
#define WINDOWS_API
#endif

extern "C" int WINDOWS_API fake_PathIsDirectoryA(const char* path) {
  library().log("PathIsDirectoryA(" + quoted(path) + ")");
  std::error_code ignored;
#ifdef _WIN32
  return path && std::filesystem::is_directory(std::filesystem::path(gbk_to_wide(path)), ignored);
#else
  return path && std::filesystem::is_directory(std::filesystem::path(gbk_to_utf8(path)), ignored);
#endif
}

extern "C" {

int fake_xlBookSheetCountA(void* book) {
  library().log("xlBookSheetCountA(" + name_of_book(book) + ")");
  return static_cast<int>(book_of(book)->sheet_names.size());
}

void* fake_xlBookInsertSheetA(void* book, int index, const char* name, void* copy) {
  RecordingLibrary& lib = library();
  const bool refused = lib.refuses_sheet_name ? lib.refuses_sheet_name(name) : default_refusal(name);
  lib.log("xlBookInsertSheetA(" + name_of_book(book) + ", " + std::to_string(index) + ", " + quoted(name) + ", " +
          name_of_sheet(copy) + ")" + (refused ? " -> null" : ""));
  if (refused) return nullptr;
  book_of(book)->sheet_names.push_back(name);
  book_of(book)->content.sheet_name = name;
  return sheet_handle(book_of(book));
}

void* fake_xlBookAddFormatA(void* book, void* copy) {
  library().log("xlBookAddFormatA(" + name_of_book(book) + ", " + name_of_format(copy) + ")");
  book_of(book)->formats.push_back(std::make_unique<int>(0));
  return book_of(book)->formats.back().get();
}

void fake_xlFormatSetBorderA(void* format, int style) {
  library().log("xlFormatSetBorderA(" + name_of_format(format) + ", " + std::to_string(style) + ")");
}

int fake_xlSheetWriteStrA(void* sheet, int row, int column, const char* value, void* format) {
  if (library().log_cells) {
    library().log("xlSheetWriteStrA(" + name_of_sheet(sheet) + ", " + std::to_string(row) + ", " +
                  std::to_string(column) + ", " + quoted(value) + ", " + name_of_format(format) + ")");
  }
  std::optional<std::string> text;
  if (value) text = value;
  if (library().write_result && library().write_result(row, column, text) != 1) return 0;
  book_of_sheet(sheet)->content.cells[{row, column}] = text;
  return 1;
}

int fake_xlSheetAddIgnoredErrorA(void* sheet, int first_row, int first_column, int last_row, int last_column,
                                 int flags) {
  library().log("xlSheetAddIgnoredErrorA(" + name_of_sheet(sheet) + ", " + std::to_string(first_row) + ", " +
                std::to_string(first_column) + ", " + std::to_string(last_row) + ", " + std::to_string(last_column) +
                ", " + std::to_string(flags) + ")");
  book_of_sheet(sheet)->content.ignored_errors.push_back(std::to_string(first_row) + "," + std::to_string(first_column) +
                                                        ":" + std::to_string(last_row) + "," +
                                                        std::to_string(last_column) + " " + std::to_string(flags));
  return 1;
}

int fake_xlSheetSetColA(void* sheet, int first, int last, double width, void* format, int hidden) {
  library().log("xlSheetSetColA(" + name_of_sheet(sheet) + ", " + std::to_string(first) + ", " +
                std::to_string(last) + ", " + number(width) + ", " + name_of_format(format) + ", " +
                std::to_string(hidden) + ")");
  book_of_sheet(sheet)->content.column_widths.push_back(std::to_string(first) + "-" + std::to_string(last) + ":" +
                                                       number(width));
  return 1;
}

int fake_xlBookSaveA(void* book, const char* path) {
  RecordingLibrary& lib = library();
  lib.log("xlBookSaveA(" + name_of_book(book) + ", " + quoted(path) + ")");
  const int result = lib.save_result(path ? path : "");
  if (result == 1) {
    // As the library does, a saved workbook is a file on the disk (empty
    // here): the export makes its files durable once they are all saved.
    if (path) std::ofstream(fs_path(path), std::ios::binary).flush();
    SavedWorkbook copy = book_of(book)->content;
    copy.path = path ? path : "";
    lib.saved.push_back(std::move(copy));
  }
  return result;
}

}  // extern "C"

template <typename Function>
void bind(xl::Row row, Function* function) {
  xl::testing::bind_row(row, reinterpret_cast<void*>(function));
}

}  // namespace

std::vector<std::vector<std::string>> SavedWorkbook::grid(int columns) const {
  int rows = 0;
  for (const auto& [at, text] : cells) rows = std::max(rows, at.first + 1);
  std::vector<std::vector<std::string>> result(static_cast<std::size_t>(rows),
                                               std::vector<std::string>(static_cast<std::size_t>(columns)));
  for (const auto& [at, text] : cells) {
    if (at.second < columns && text) result[static_cast<std::size_t>(at.first)][static_cast<std::size_t>(at.second)] = *text;
  }
  return result;
}

RecordingLibrary::RecordingLibrary() {
  if (current) throw std::logic_error("a RecordingLibrary is already bound");
  current = this;
  using xl::Row;
  bind(Row::xlBookLoadA, &fake_xlBookLoadA);
  bind(Row::xlBookReleaseA, &fake_xlBookReleaseA);
  bind(Row::xlBookGetSheetA, &fake_xlBookGetSheetA);
  bind(Row::xlSheetLastRowA, &fake_xlSheetLastRowA);
  bind(Row::xlSheetLastColA, &fake_xlSheetLastColA);
  bind(Row::xlSheetReadStrA, &fake_xlSheetReadStrA);
  bind(Row::xlCreateXMLBookCA, &fake_xlCreateXMLBookCA);
  bind(Row::PathIsDirectoryA, &fake_PathIsDirectoryA);
  bind(Row::xlBookSheetCountA, &fake_xlBookSheetCountA);
  bind(Row::xlBookInsertSheetA, &fake_xlBookInsertSheetA);
  bind(Row::xlBookAddFormatA, &fake_xlBookAddFormatA);
  bind(Row::xlFormatSetBorderA, &fake_xlFormatSetBorderA);
  bind(Row::xlSheetWriteStrA, &fake_xlSheetWriteStrA);
  bind(Row::xlSheetAddIgnoredErrorA, &fake_xlSheetAddIgnoredErrorA);
  bind(Row::xlSheetSetColA, &fake_xlSheetSetColA);
  bind(Row::xlBookSaveA, &fake_xlBookSaveA);
  bind(Row::xlBookErrorMessageA, &fake_xlBookErrorMessageA);
}

RecordingLibrary::~RecordingLibrary() {
  xl::testing::unbind_all();
  current = nullptr;
}

}  // namespace colsplit::testing
