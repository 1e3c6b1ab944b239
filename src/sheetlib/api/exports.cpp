// The exported C functions. Each one checks its handle, hands the work to the
// book (book.cpp), and turns every C++ exception into the function's failure
// result: an exception must not cross into a caller written in another
// language, and running out of memory is just a failed call.
#include <climits>
#include <new>
#include <string_view>
#include <type_traits>

#include "sheetlib/api/book.h"
#include "sheetlib/api/book_look.h"
#include "sheetlib/interface/library_functions.h"
#include "sheetlib/sheetlib.h"

// sheetlib.h declares every function of the DLL-command table with the
// result and parameter types the table gives it (and the definitions below
// must match those declarations, as C functions cannot be overloaded).
#define SHEETLIB_DECLARED_AS_LISTED(result, name, parameters)                            \
  static_assert(std::is_same_v<decltype(&::name), result(SHEETLIB_CALL*) parameters>, \
                "sheetlib.h declares " #name " otherwise than the DLL-command table");
#define SHEETLIB_NOT_OURS(library_file, result, name, parameters)
COLSPLIT_DLL_COMMAND_TABLE(SHEETLIB_DECLARED_AS_LISTED, SHEETLIB_NOT_OURS)
#undef SHEETLIB_DECLARED_AS_LISTED
#undef SHEETLIB_NOT_OURS

namespace {

template <typename Result, typename Work>
Result guarded(Result failure, Work&& work) noexcept {
  try {
    return work();
  } catch (...) {
    return failure;
  }
}

// A load or save: the book keeps why it failed, for xlBookErrorMessageA.
// The work names its own reasons; an exception's is the exception's.
template <typename Work>
int book_call(SheetlibBook& book, Work&& work) noexcept {
  book.error_message = "ok";
  try {
    if (work()) return 1;
    if (std::string_view(book.error_message) == "ok") book.error_message = "failed";
  } catch (const std::bad_alloc&) {
    book.error_message = sheetlib::kOutOfMemoryReason;
  } catch (...) {
    book.error_message = "failed";
  }
  return 0;
}

int clamp_to_int(std::uint32_t value) { return value > INT_MAX ? INT_MAX : static_cast<int>(value); }

}  // namespace

extern "C" {

SHEETLIB_API BookHandle SHEETLIB_CALL xlCreateXMLBookCA(void) {
  return guarded<BookHandle>(nullptr, [] { return new SheetlibBook(); });
}

SHEETLIB_API int SHEETLIB_CALL xlBookLoadA(BookHandle book, const char* filename) {
  if (!book) return 0;
  return book_call(*book, [&] { return sheetlib::load_book(*book, filename); });
}

SHEETLIB_API int SHEETLIB_CALL xlBookLoadSheetA(BookHandle book, const char* filename, int index) {
  if (!book || index < 0) return 0;
  return book_call(*book, [&] { return sheetlib::load_book(*book, filename, index); });
}

SHEETLIB_API const char* SHEETLIB_CALL xlBookErrorMessageA(BookHandle book) {
  return book ? book->error_message : "no book";
}

SHEETLIB_API int SHEETLIB_CALL xlBookSaveA(BookHandle book, const char* filename) {
  if (!book) return 0;
  return book_call(*book, [&] { return sheetlib::save_book(*book, filename); });
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
  if (format && !format->loaded) sheetlib::set_border(*format, style);
}

SHEETLIB_API int SHEETLIB_CALL xlBookAddCustomNumFormatA(BookHandle book, const char* customNumFormat) {
  if (!book) return 0;
  return guarded(0, [&] { return sheetlib::add_custom_number_format(*book, customNumFormat); });
}

SHEETLIB_API const char* SHEETLIB_CALL xlBookCustomNumFormatA(BookHandle book, int fmt) {
  if (!book) return nullptr;
  return guarded<const char*>(nullptr, [&] { return sheetlib::custom_number_format(*book, fmt); });
}

SHEETLIB_API int SHEETLIB_CALL xlFormatNumFormatA(FormatHandle format) { return format ? format->num_format : 0; }

SHEETLIB_API void SHEETLIB_CALL xlFormatSetNumFormatA(FormatHandle format, int numFormat) {
  if (format && !format->loaded) sheetlib::set_number_format(*format, numFormat);
}

SHEETLIB_API const char* SHEETLIB_CALL xlSheetNameA(SheetHandle sheet) {
  if (!sheet) return nullptr;
  return guarded<const char*>(nullptr, [&] { return sheetlib::sheet_name(*sheet); });
}

SHEETLIB_API int SHEETLIB_CALL xlSheetCellTypeA(SheetHandle sheet, int row, int col) {
  if (!sheet) return sheetlib::kEmptyCell;
  return guarded<int>(sheetlib::kEmptyCell, [&] { return sheetlib::cell_type(*sheet, row, col); });
}

SHEETLIB_API double SHEETLIB_CALL xlSheetReadNumA(SheetHandle sheet, int row, int col, FormatHandle* format) {
  if (format) *format = nullptr;
  if (!sheet) return 0;
  return guarded(0.0, [&] { return sheetlib::read_number(*sheet, row, col, format); });
}

SHEETLIB_API int SHEETLIB_CALL xlSheetReadBoolA(SheetHandle sheet, int row, int col, FormatHandle* format) {
  if (format) *format = nullptr;
  if (!sheet) return 0;
  return guarded(0, [&] {
    if (sheetlib::cell_type(*sheet, row, col) != sheetlib::kBooleanCell) return 0;
    return sheetlib::read_number(*sheet, row, col, format) != 0 ? 1 : 0;
  });
}

SHEETLIB_API int SHEETLIB_CALL xlSheetWriteNumA(SheetHandle sheet, int row, int col, double value,
                                               FormatHandle format) {
  if (!sheet) return 0;
  return guarded(0, [&] { return sheetlib::write_number(*sheet, row, col, value, format) ? 1 : 0; });
}

SHEETLIB_API int SHEETLIB_CALL xlSheetWriteBoolA(SheetHandle sheet, int row, int col, int value,
                                                FormatHandle format) {
  if (!sheet) return 0;
  return guarded(0, [&] { return sheetlib::write_boolean(*sheet, row, col, value != 0, format) ? 1 : 0; });
}

SHEETLIB_API int SHEETLIB_CALL xlSheetSetMergeA(SheetHandle sheet, int rowFirst, int rowLast, int colFirst,
                                               int colLast) {
  if (!sheet) return 0;
  return guarded(0, [&] { return sheetlib::set_merge(*sheet, rowFirst, rowLast, colFirst, colLast) ? 1 : 0; });
}

SHEETLIB_API int SHEETLIB_CALL xlSheetMergeSizeA(SheetHandle sheet) {
  if (!sheet) return 0;
  return guarded(0, [&] { return sheetlib::merge_count(*sheet); });
}

SHEETLIB_API int SHEETLIB_CALL xlSheetMergeA(SheetHandle sheet, int index, int* rowFirst, int* rowLast,
                                            int* colFirst, int* colLast) {
  if (!sheet) return 0;
  return guarded(0, [&] {
    sheetlib::MergedRange range;
    if (!sheetlib::merge_at(*sheet, index, range)) return 0;
    if (rowFirst) *rowFirst = static_cast<int>(range.first_row);
    if (rowLast) *rowLast = static_cast<int>(range.last_row);
    if (colFirst) *colFirst = static_cast<int>(range.first_column);
    if (colLast) *colLast = static_cast<int>(range.last_column);
    return 1;
  });
}

SHEETLIB_API double SHEETLIB_CALL xlSheetColWidthA(SheetHandle sheet, int col) {
  if (!sheet) return -1;
  return guarded(-1.0, [&] { return sheetlib::column_width(*sheet, col); });
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

SHEETLIB_API void SHEETLIB_CALL xlBookSetKeepFormatA(BookHandle book, int keep) {
  if (book) book->keep_look = keep != 0;
}

SHEETLIB_API FormatHandle SHEETLIB_CALL xlSheetCellFormatA(SheetHandle sheet, int row, int col) {
  if (!sheet) return nullptr;
  return guarded<FormatHandle>(nullptr, [&] { return sheetlib::cell_format(*sheet, row, col); });
}

SHEETLIB_API double SHEETLIB_CALL xlSheetRowHeightA(SheetHandle sheet, int row) {
  if (!sheet) return -1;
  return guarded(-1.0, [&] { return sheetlib::row_height(*sheet, row); });
}

SHEETLIB_API int SHEETLIB_CALL xlSheetRowHiddenA(SheetHandle sheet, int row) {
  if (!sheet) return 0;
  return guarded(0, [&] { return sheetlib::row_hidden(*sheet, row) ? 1 : 0; });
}

SHEETLIB_API int SHEETLIB_CALL xlSheetSetRowA(SheetHandle sheet, int row, double height, FormatHandle format, int hidden) {
  if (!sheet) return 0;
  return guarded(0, [&] { return sheetlib::set_row(*sheet, row, height, format, hidden != 0) ? 1 : 0; });
}

SHEETLIB_API int SHEETLIB_CALL xlSheetColHiddenA(SheetHandle sheet, int col) {
  if (!sheet) return 0;
  return guarded(0, [&] { return sheetlib::column_hidden(*sheet, col) ? 1 : 0; });
}

SHEETLIB_API double SHEETLIB_CALL xlSheetDefaultRowHeightA(SheetHandle sheet) {
  if (!sheet) return -1;
  return guarded(-1.0, [&] { return sheetlib::default_row_height(*sheet); });
}

SHEETLIB_API void SHEETLIB_CALL xlSheetSetDefaultRowHeightA(SheetHandle sheet, double height) {
  if (sheet) guarded(false, [&] { return sheetlib::set_default_row_height(*sheet, height); });
}

SHEETLIB_API double SHEETLIB_CALL xlSheetDefaultColWidthA(SheetHandle sheet) {
  if (!sheet) return -1;
  return guarded(-1.0, [&] { return sheetlib::default_column_width(*sheet); });
}

SHEETLIB_API void SHEETLIB_CALL xlSheetSetDefaultColWidthA(SheetHandle sheet, double width) {
  if (sheet) guarded(false, [&] { return sheetlib::set_default_column_width(*sheet, width); });
}

SHEETLIB_API int SHEETLIB_CALL xlSheetGetSplitA(SheetHandle sheet, int* row, int* col) {
  if (row) *row = 0;
  if (col) *col = 0;
  if (!sheet) return 0;
  return guarded(0, [&] { return sheetlib::frozen_panes(*sheet, row, col) ? 1 : 0; });
}

SHEETLIB_API void SHEETLIB_CALL xlSheetSplitA(SheetHandle sheet, int row, int col) {
  if (sheet) guarded(false, [&] { return sheetlib::freeze_panes(*sheet, row, col); });
}

SHEETLIB_API int SHEETLIB_CALL xlSheetZoomA(SheetHandle sheet) {
  if (!sheet) return 100;
  return guarded(100, [&] { return sheetlib::view_of(*sheet).zoom; });
}

SHEETLIB_API void SHEETLIB_CALL xlSheetSetZoomA(SheetHandle sheet, int zoom) {
  if (sheet) guarded(false, [&] { return sheetlib::set_zoom(*sheet, zoom); });
}

SHEETLIB_API int SHEETLIB_CALL xlSheetDisplayGridlinesA(SheetHandle sheet) {
  if (!sheet) return 1;
  return guarded(1, [&] { return sheetlib::view_of(*sheet).gridlines ? 1 : 0; });
}

SHEETLIB_API void SHEETLIB_CALL xlSheetSetDisplayGridlinesA(SheetHandle sheet, int show) {
  if (sheet && !sheet->loaded) sheet->content.look().gridlines = show != 0;
}

SHEETLIB_API int SHEETLIB_CALL xlSheetRightToLeftA(SheetHandle sheet) {
  if (!sheet) return 0;
  return guarded(0, [&] { return sheetlib::view_of(*sheet).right_to_left ? 1 : 0; });
}

SHEETLIB_API void SHEETLIB_CALL xlSheetSetRightToLeftA(SheetHandle sheet, int rightToLeft) {
  if (sheet && !sheet->loaded) sheet->content.look().right_to_left = rightToLeft != 0;
}

SHEETLIB_API int SHEETLIB_CALL xlSheetGetAutoFilterA(SheetHandle sheet, int* rowFirst, int* rowLast, int* colFirst, int* colLast) {
  if (!sheet) return 0;
  return guarded(0, [&] { return sheetlib::auto_filter(*sheet, rowFirst, rowLast, colFirst, colLast) ? 1 : 0; });
}

SHEETLIB_API int SHEETLIB_CALL xlSheetSetAutoFilterA(SheetHandle sheet, int rowFirst, int rowLast, int colFirst, int colLast) {
  if (!sheet) return 0;
  return guarded(0, [&] { return sheetlib::set_auto_filter(*sheet, rowFirst, rowLast, colFirst, colLast) ? 1 : 0; });
}

SHEETLIB_API int SHEETLIB_CALL xlSheetDataValidationSizeA(SheetHandle sheet) {
  if (!sheet) return 0;
  return guarded(0, [&] { return sheetlib::item_count(*sheet, sheetlib::RangedKind::validation); });
}

SHEETLIB_API int SHEETLIB_CALL xlSheetDataValidationRangeA(SheetHandle sheet, int index, int range, int* rowFirst, int* rowLast, int* colFirst, int* colLast) {
  if (!sheet) return 0;
  return guarded(0, [&] {
    return sheetlib::item_range(*sheet, sheetlib::RangedKind::validation, index, range, rowFirst, rowLast, colFirst, colLast) ? 1 : 0;
  });
}

SHEETLIB_API int SHEETLIB_CALL xlSheetCopyDataValidationA(SheetHandle sheet, SheetHandle from, int index, const int* ranges, int rangeCount) {
  if (!sheet || !from) return 0;
  return guarded(0, [&] {
    return sheetlib::copy_item(*sheet, *from, sheetlib::RangedKind::validation, index, ranges, rangeCount) ? 1 : 0;
  });
}

SHEETLIB_API int SHEETLIB_CALL xlSheetConditionalFormatSizeA(SheetHandle sheet) {
  if (!sheet) return 0;
  return guarded(0, [&] { return sheetlib::item_count(*sheet, sheetlib::RangedKind::conditional_format); });
}

SHEETLIB_API int SHEETLIB_CALL xlSheetConditionalFormatRangeA(SheetHandle sheet, int index, int range, int* rowFirst, int* rowLast, int* colFirst, int* colLast) {
  if (!sheet) return 0;
  return guarded(0, [&] {
    return sheetlib::item_range(*sheet, sheetlib::RangedKind::conditional_format, index, range, rowFirst, rowLast, colFirst, colLast) ? 1 : 0;
  });
}

SHEETLIB_API int SHEETLIB_CALL xlSheetCopyConditionalFormatA(SheetHandle sheet, SheetHandle from, int index, const int* ranges, int rangeCount) {
  if (!sheet || !from) return 0;
  return guarded(0, [&] {
    return sheetlib::copy_item(*sheet, *from, sheetlib::RangedKind::conditional_format, index, ranges, rangeCount) ? 1 : 0;
  });
}

SHEETLIB_API int SHEETLIB_CALL xlSheetHyperlinkSizeA(SheetHandle sheet) {
  if (!sheet) return 0;
  return guarded(0, [&] { return sheetlib::item_count(*sheet, sheetlib::RangedKind::link); });
}

SHEETLIB_API int SHEETLIB_CALL xlSheetHyperlinkRangeA(SheetHandle sheet, int index, int* rowFirst, int* rowLast, int* colFirst, int* colLast) {
  if (!sheet) return 0;
  return guarded(0, [&] {
    return sheetlib::item_range(*sheet, sheetlib::RangedKind::link, index, 0, rowFirst, rowLast, colFirst, colLast) ? 1 : 0;
  });
}

SHEETLIB_API int SHEETLIB_CALL xlSheetCopyHyperlinkA(SheetHandle sheet, SheetHandle from, int index, int rowFirst, int rowLast, int colFirst, int colLast) {
  if (!sheet || !from) return 0;
  return guarded(0, [&] {
    const int range[4] = {rowFirst, rowLast, colFirst, colLast};
    return sheetlib::copy_item(*sheet, *from, sheetlib::RangedKind::link, index, range, 1) ? 1 : 0;
  });
}

SHEETLIB_API int SHEETLIB_CALL xlSheetCopyPageSetupA(SheetHandle sheet, SheetHandle from) {
  if (!sheet || !from) return 0;
  return guarded(0, [&] { return sheetlib::copy_page_setup(*sheet, *from) ? 1 : 0; });
}

SHEETLIB_API int SHEETLIB_CALL xlSheetGetPrintRepeatRowsA(SheetHandle sheet, int* rowFirst, int* rowLast) {
  if (!sheet) return 0;
  return guarded(0, [&] { return sheetlib::print_titles(*sheet, true, rowFirst, rowLast) ? 1 : 0; });
}

SHEETLIB_API int SHEETLIB_CALL xlSheetSetPrintRepeatRowsA(SheetHandle sheet, int rowFirst, int rowLast) {
  if (!sheet) return 0;
  return guarded(0, [&] { return sheetlib::set_print_titles(*sheet, true, rowFirst, rowLast) ? 1 : 0; });
}

SHEETLIB_API int SHEETLIB_CALL xlSheetGetPrintRepeatColsA(SheetHandle sheet, int* colFirst, int* colLast) {
  if (!sheet) return 0;
  return guarded(0, [&] { return sheetlib::print_titles(*sheet, false, colFirst, colLast) ? 1 : 0; });
}

SHEETLIB_API int SHEETLIB_CALL xlSheetSetPrintRepeatColsA(SheetHandle sheet, int colFirst, int colLast) {
  if (!sheet) return 0;
  return guarded(0, [&] { return sheetlib::set_print_titles(*sheet, false, colFirst, colLast) ? 1 : 0; });
}

SHEETLIB_API int SHEETLIB_CALL xlSheetGetPrintAreaA(SheetHandle sheet, int* rowFirst, int* rowLast, int* colFirst, int* colLast) {
  if (!sheet) return 0;
  return guarded(0, [&] { return sheetlib::print_area(*sheet, rowFirst, rowLast, colFirst, colLast) ? 1 : 0; });
}

SHEETLIB_API int SHEETLIB_CALL xlSheetSetPrintAreaA(SheetHandle sheet, int rowFirst, int rowLast, int colFirst, int colLast) {
  if (!sheet) return 0;
  return guarded(0, [&] { return sheetlib::set_print_area(*sheet, rowFirst, rowLast, colFirst, colLast) ? 1 : 0; });
}

SHEETLIB_API int SHEETLIB_CALL xlSheetClearA(SheetHandle sheet, int rowFirst, int rowLast, int colFirst, int colLast) {
  if (!sheet) return 0;
  return guarded(0, [&] { return sheetlib::clear_cells(*sheet, rowFirst, rowLast, colFirst, colLast) ? 1 : 0; });
}

}  // extern "C"
