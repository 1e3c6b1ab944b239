// The exported C functions. Each one checks its handle, hands the work to the
// book (book.cpp), and turns every C++ exception into the function's failure
// result: an exception must not cross into a caller written in another
// language, and running out of memory is just a failed call.
#include <climits>
#include <new>

#include "sheetlib/api/book.h"

namespace {

template <typename Result, typename Work>
Result guarded(Result failure, Work&& work) noexcept {
  try {
    return work();
  } catch (...) {
    return failure;
  }
}

int clamp_to_int(std::uint32_t value) { return value > INT_MAX ? INT_MAX : static_cast<int>(value); }

}  // namespace

extern "C" {

SHEETLIB_API BookHandle SHEETLIB_CALL xlCreateXMLBookCA(void) {
  return guarded<BookHandle>(nullptr, [] { return new SheetlibBook(); });
}

SHEETLIB_API int SHEETLIB_CALL xlBookLoadA(BookHandle book, const char* filename) {
  if (!book) return 0;
  return guarded(0, [&] { return sheetlib::load_book(*book, filename) ? 1 : 0; });
}

SHEETLIB_API int SHEETLIB_CALL xlBookSaveA(BookHandle book, const char* filename) {
  if (!book) return 0;
  return guarded(0, [&] { return sheetlib::save_book(*book, filename) ? 1 : 0; });
}

SHEETLIB_API void SHEETLIB_CALL xlBookReleaseA(BookHandle book) { delete book; }

SHEETLIB_API SheetHandle SHEETLIB_CALL xlBookGetSheetA(BookHandle book, int index) {
  if (!book || index < 0 || static_cast<std::size_t>(index) >= book->sheets.size()) return nullptr;
  return book->sheets[static_cast<std::size_t>(index)].get();
}

SHEETLIB_API int SHEETLIB_CALL xlBookSheetCountA(BookHandle book) {
  return book ? static_cast<int>(book->sheets.size()) : 0;
}

SHEETLIB_API SheetHandle SHEETLIB_CALL xlBookInsertSheetA(BookHandle book, int index, const char* name,
                                                         SheetHandle initSheet) {
  if (!book) return nullptr;
  return guarded<SheetHandle>(nullptr, [&] { return sheetlib::insert_sheet(*book, index, name, initSheet); });
}

SHEETLIB_API FormatHandle SHEETLIB_CALL xlBookAddFormatA(BookHandle book, FormatHandle initFormat) {
  if (!book) return nullptr;
  return guarded<FormatHandle>(nullptr, [&] { return sheetlib::add_format(*book, initFormat); });
}

SHEETLIB_API void SHEETLIB_CALL xlFormatSetBorderA(FormatHandle format, int style) {
  if (format) sheetlib::set_border(*format, style);
}

SHEETLIB_API int SHEETLIB_CALL xlSheetLastRowA(SheetHandle sheet) {
  if (!sheet) return 0;
  return guarded(0, [&] { return clamp_to_int(sheetlib::value_extent(*sheet).rows); });
}

SHEETLIB_API int SHEETLIB_CALL xlSheetLastColA(SheetHandle sheet) {
  if (!sheet) return 0;
  return guarded(0, [&] { return clamp_to_int(sheetlib::value_extent(*sheet).columns); });
}

SHEETLIB_API const char* SHEETLIB_CALL xlSheetReadStrA(SheetHandle sheet, int row, int col, FormatHandle* format) {
  if (format) *format = nullptr;
  if (!sheet) return nullptr;
  return guarded<const char*>(nullptr, [&] { return sheetlib::read_text(*sheet, row, col, format); });
}

SHEETLIB_API int SHEETLIB_CALL xlSheetWriteStrA(SheetHandle sheet, int row, int col, const char* value,
                                               FormatHandle format) {
  if (!sheet) return 0;
  return guarded(0, [&] { return sheetlib::write_text(*sheet, row, col, value, format) ? 1 : 0; });
}

SHEETLIB_API int SHEETLIB_CALL xlSheetAddIgnoredErrorA(SheetHandle sheet, int rowFirst, int colFirst, int rowLast,
                                                      int colLast, int iError) {
  if (!sheet) return 0;
  return guarded(0, [&] {
    return sheetlib::add_ignored_errors(*sheet, rowFirst, colFirst, rowLast, colLast, iError) ? 1 : 0;
  });
}

SHEETLIB_API int SHEETLIB_CALL xlSheetSetColA(SheetHandle sheet, int colFirst, int colLast, double width,
                                             FormatHandle format, int hidden) {
  if (!sheet) return 0;
  return guarded(0, [&] { return sheetlib::set_columns(*sheet, colFirst, colLast, width, format, hidden != 0) ? 1 : 0; });
}

}  // extern "C"
