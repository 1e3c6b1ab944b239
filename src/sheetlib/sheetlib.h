/*
 * sheetlib: the spreadsheet library of colsplit, built as libxl.dll (32-bit
 * Windows) and libxl.so (Linux). It reads the first worksheet of .xlsx and
 * .xls (Excel 97-2003) workbooks and writes new .xlsx workbooks of string
 * cells.
 *
 * Conventions for every function:
 *  - C calling convention (__cdecl on 32-bit Windows), plain exported names.
 *  - Texts passed in and returned are zero-terminated GBK (code page 936)
 *    byte strings. A null text pointer is the empty text.
 *  - A null handle is accepted everywhere: the function does nothing and
 *    returns 0 (or null).
 *  - No function throws, aborts or crashes on bad input; a failure is a
 *    result. Every object a workbook hands out (sheets, formats) belongs to
 *    it and ends with xlBookReleaseA; a format of one book given to a sheet
 *    of another is refused. One book is used by one thread at a time.
 */
#ifndef SHEETLIB_H
#define SHEETLIB_H

#ifdef _WIN32
#define SHEETLIB_CALL __cdecl
#ifdef SHEETLIB_BUILDING
#define SHEETLIB_API __declspec(dllexport)
#else
#define SHEETLIB_API __declspec(dllimport)
#endif
#else
#define SHEETLIB_CALL
#define SHEETLIB_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef struct SheetlibBook* BookHandle;
typedef struct SheetlibSheet* SheetHandle;
typedef struct SheetlibFormat* FormatHandle;

/* A new, empty workbook of the .xlsx kind; null only when memory runs out.
 * The caller ends it with xlBookReleaseA. */
SHEETLIB_API BookHandle SHEETLIB_CALL xlCreateXMLBookCA(void);

/* Reads the workbook file (GBK path) into the book, replacing its sheets.
 * The file may be an .xlsx or an .xls (Excel 97-2003) workbook, whatever its
 * name says. Returns 1 when loaded; 0 when the path is null or empty, or the
 * file is missing, unreadable, larger than 1 GiB, no workbook of either kind
 * (an encrypted workbook, one of Excel 95 or before, a broken zip or
 * compound file), or over a limit against hostile files.
 * A failed load leaves the book as it was. Only the texts of the first
 * worksheet's cells are kept, so a loaded book is read-only: writing to its
 * sheet, inserting sheets and saving it fail. Sheet handles from before a
 * load stay valid (outside the book) until the book is released. */
SHEETLIB_API int SHEETLIB_CALL xlBookLoadA(BookHandle book, const char* filename);

/* Saves the book as an .xlsx file at the GBK path (longer than 260
 * characters allowed). Returns 1 when saved; 0 for a null or empty path, a
 * book without sheets (it would not open), a loaded book, or a file that
 * cannot be written: missing or read-only folder, full disk, target held open
 * by another program. The file is written under a temporary name in the same
 * folder and renamed into place once whole, so a failed or interrupted save
 * leaves no temporary file and any earlier file of that name as it was. The
 * file is left in the system's cache, not flushed to the disk: a caller that
 * needs it durable flushes it (the export flushes all its workbooks at its
 * end, one flush instead of one per file). */
SHEETLIB_API int SHEETLIB_CALL xlBookSaveA(BookHandle book, const char* filename);

/* Frees the book with its sheets and formats. */
SHEETLIB_API void SHEETLIB_CALL xlBookReleaseA(BookHandle book);

/* The sheet at the index (0 = first), or null when there is none. */
SHEETLIB_API SheetHandle SHEETLIB_CALL xlBookGetSheetA(BookHandle book, int index);

/* The number of sheets: for a loaded book 1 (the first worksheet, the only
 * one kept), or 0; for a new book the number inserted. */
SHEETLIB_API int SHEETLIB_CALL xlBookSheetCountA(BookHandle book);

/* Inserts a new empty sheet at the index (0 … sheet count) named `name`.
 * Returns null, and changes nothing, for a name a spreadsheet application
 * refuses: null or empty, longer than 31 characters, containing : \ / ? * [ ]
 * or a control character (tab, line break, …), starting or ending with an
 * apostrophe, or already used (letter case ignored, also for full-width
 * Latin, Greek and Cyrillic letters); also for an index out of range and for
 * a loaded book. When `initSheet` is not null the new sheet is a copy of it
 * (cells, columns, ignored errors); it must be a written sheet of this book,
 * else null is returned. */
SHEETLIB_API SheetHandle SHEETLIB_CALL xlBookInsertSheetA(BookHandle book, int index, const char* name,
                                                         SheetHandle initSheet);

/* A new cell format (no border), or a copy of `initFormat` when that is not
 * null; null when `initFormat` belongs to another book or the book already
 * has 64,000 formats. */
SHEETLIB_API FormatHandle SHEETLIB_CALL xlBookAddFormatA(BookHandle book, FormatHandle initFormat);

/* Sets the border style of all four sides: 0 none, 1 thin, 2 medium,
 * 3 dashed, 4 dotted, 5 thick, 6 double, 7 hair, 8 mediumDashed, 9 dashDot,
 * 10 mediumDashDot, 11 dashDotDot, 12 mediumDashDotDot, 13 slantDashDot.
 * Other values leave the format unchanged. */
SHEETLIB_API void SHEETLIB_CALL xlFormatSetBorderA(FormatHandle format, int style);

/* One past the last row (column) holding a cell with a value; cells that
 * only carry formatting (written with a null or empty text) do not count.
 * 0 for an empty sheet. */
SHEETLIB_API int SHEETLIB_CALL xlSheetLastRowA(SheetHandle sheet);
SHEETLIB_API int SHEETLIB_CALL xlSheetLastColA(SheetHandle sheet);

/* The text the cell shows (numbers and dates rendered with the cell's number
 * format, booleans as TRUE/FALSE, errors as their code), or null for an
 * empty or missing cell and for a row or column outside the sheet. The text
 * belongs to the book and stays valid until the next call on the same book;
 * copy it at once. When `format` is not null it receives the cell's format
 * for a written sheet, null for a loaded one (its formats are not handed
 * out). */
SHEETLIB_API const char* SHEETLIB_CALL xlSheetReadStrA(SheetHandle sheet, int row, int col, FormatHandle* format);

/* Writes a string cell, replacing what the cell held; the text stays text
 * ("007", "=1+1"). A null or empty value gives a cell without value that
 * still carries the format (so it is bordered). `format` may be null.
 * Returns 1, or 0 (the cell unchanged) for a row or column outside the
 * sheet (0 … 1048575, 0 … 16383), a text longer than a cell may hold
 * (32,767 characters), a format of another book, or a loaded sheet. */
SHEETLIB_API int SHEETLIB_CALL xlSheetWriteStrA(SheetHandle sheet, int row, int col, const char* value,
                                               FormatHandle format);

/* Marks rows rowFirst … rowLast, columns colFirst … colLast (inclusive) as a
 * range in which the spreadsheet application shows no error indicators of
 * the kinds flagged: 1 evalError, 2 emptyCellReference, 4 numberStoredAsText,
 * 8 formulaRange, 16 formula, 32 twoDigitTextYear, 64 unlockedFormula,
 * 128 listDataValidation (255: all). Returns 1, or 0 for a range that is
 * reversed or outside the sheet, for flags without any of the eight bits, or
 * for a loaded sheet. */
SHEETLIB_API int SHEETLIB_CALL xlSheetAddIgnoredErrorA(SheetHandle sheet, int rowFirst, int colFirst, int rowLast,
                                                      int colLast, int iError);

/* Sets the width (in characters, 0 … 255, stored as given) of columns
 * colFirst … colLast (inclusive), their format (`format` may be null) and
 * whether they are hidden, replacing earlier settings of those columns.
 * Returns 1, or 0 for a reversed range or one outside 0 … 16383, a width
 * out of range or not a number, a format of another book, or a loaded
 * sheet. */
SHEETLIB_API int SHEETLIB_CALL xlSheetSetColA(SheetHandle sheet, int colFirst, int colLast, double width,
                                             FormatHandle format, int hidden);

#ifdef __cplusplus
}
#endif

#endif /* SHEETLIB_H */
