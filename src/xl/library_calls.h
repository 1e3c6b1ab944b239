// The functions of the DLL-command table, as the rest of the program calls
// them. Each call goes through the binding (bound by name at its first call;
// a bound row goes straight to its address) and, on 32-bit Windows, through
// the stack check. Texts cross as GBK; the empty text crosses as null, and a
// returned text is copied at once (null gives the empty text).
#pragma once

#include "app/text/text.h"

namespace colsplit::xl {

// The library's opaque handles: stored and handed back, never looked into.
using BookHandle = void*;
using SheetHandle = void*;
using FormatHandle = void*;

int xlBookLoadA(BookHandle book, const Text& file_name);
void xlBookReleaseA(BookHandle book);
SheetHandle xlBookGetSheetA(BookHandle book, int index);
int xlSheetLastRowA(SheetHandle sheet);
int xlSheetLastColA(SheetHandle sheet);
Text xlSheetReadStrA(SheetHandle sheet, int row, int column, FormatHandle* format);
BookHandle xlCreateXMLBookCA();
int PathIsDirectoryA(const Text& path);
int xlBookSheetCountA(BookHandle book);
SheetHandle xlBookInsertSheetA(BookHandle book, int index, const Text& name, SheetHandle sheet_to_copy);
FormatHandle xlBookAddFormatA(BookHandle book, FormatHandle format_to_copy);
void xlFormatSetBorderA(FormatHandle format, int style);
int xlSheetWriteStrA(SheetHandle sheet, int row, int column, const Text& value, FormatHandle format);
int xlSheetAddIgnoredErrorA(SheetHandle sheet, int first_row, int first_column, int last_row, int last_column,
                            int error_flags);
int xlSheetSetColA(SheetHandle sheet, int first_column, int last_column, double width, FormatHandle format,
                   int hidden);
int xlBookSaveA(BookHandle book, const Text& file_name);

// The rows of the DLL-command table, in the table's order.
enum class Row {
  xlBookLoadA,
  xlBookReleaseA,
  xlBookGetSheetA,
  xlSheetLastRowA,
  xlSheetLastColA,
  xlSheetReadStrA,
  xlCreateXMLBookCA,
  PathIsDirectoryA,
  xlBookSheetCountA,
  xlBookInsertSheetA,
  xlBookAddFormatA,
  xlFormatSetBorderA,
  xlSheetWriteStrA,
  xlSheetAddIgnoredErrorA,
  xlSheetSetColA,
  xlBookSaveA,
  count
};

// Gives back the library reference of every bound row (one FreeLibrary per
// bound row); run at the end of the program.
void release_bound_libraries();

namespace testing {
// Binds a row to a function of the caller's (a stand-in with the row's C
// signature and calling convention), as if it had been found in a library.
void bind_row(Row row, void* address);
// Forgets every binding made by bind_row.
void unbind_all();
}  // namespace testing

}  // namespace colsplit::xl
