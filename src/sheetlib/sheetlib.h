/*
 * sheetlib: the spreadsheet library of colsplit, built as libxl.dll (32-bit
 * Windows) and libxl.so (Linux). It reads one worksheet of .xlsx and .xls
 * (Excel 97-2003) workbooks, with the names of all worksheets, and writes new
 * .xlsx workbooks of string, number and boolean cells with borders, number
 * formats, column widths and merged ranges.
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
 *
 * These functions are listed once, in the order of the program's table, in
 * sheetlib/interface/library_functions.h; the library's build checks every
 * declaration below against that list (api/exports.cpp).
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
 * The file may be an .xlsx or an .xls (Excel 2.x to 2003) workbook, whatever
 * its name says. Returns 1 when loaded; 0 when the path is null or empty, or
 * the file is missing, unreadable, larger than 1 GiB, no workbook of either
 * kind (an encrypted workbook, a broken zip or compound file), or over a
 * limit against hostile files.
 * A failed load leaves the book as it was. The book then has one sheet per
 * worksheet of the file, in tab order (chart, macro and dialog sheets are
 * not counted), each with its name; only the first holds cells (what they
 * show, their values and formats), merged ranges and column widths. A loaded
 * book is read-only: writing to its sheets, inserting sheets and saving it
 * fail. Sheet handles from before a load stay valid (outside the book) until
 * the book is released. */
SHEETLIB_API int SHEETLIB_CALL xlBookLoadA(BookHandle book, const char* filename);

/* The same, with the cells of worksheet `index` (0 = the first, as
 * xlBookLoadA) instead of the first; the other sheets hold only their
 * names. Returns 0 also when the workbook has no worksheet of that index. */
SHEETLIB_API int SHEETLIB_CALL xlBookLoadSheetA(BookHandle book, const char* filename, int index);

/* Why the book's last load or save failed (GBK), "ok" after one that
 * succeeded: "out of memory" when memory ran short, "file not found",
 * "damaged file", "encrypted workbook" and the like. The text is the
 * library's and stays valid while the library is loaded. */
SHEETLIB_API const char* SHEETLIB_CALL xlBookErrorMessageA(BookHandle book);

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

/* The number of sheets: for a loaded book its worksheets; for a new book
 * the number inserted. */
SHEETLIB_API int SHEETLIB_CALL xlBookSheetCountA(BookHandle book);

/* The sheet's name (GBK). The text belongs to the book and stays valid until
 * the next call on the same book that returns a text. */
SHEETLIB_API const char* SHEETLIB_CALL xlSheetNameA(SheetHandle sheet);

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

/* A new number format of the book from its code (GBK, as a spreadsheet
 * application writes it: "#,##0.00", "yyyy-mm-dd", "0.0%"); the same code
 * given again gives the same id. Returns the id (164 or above) for
 * xlFormatSetNumFormatA, or 0 for a null, empty or over-long code (more than
 * 255 characters), a loaded book, or a book with 250 such formats. */
SHEETLIB_API int SHEETLIB_CALL xlBookAddCustomNumFormatA(BookHandle book, const char* customNumFormat);

/* The code of number format `fmt`: for a new book one that
 * xlBookAddCustomNumFormatA made; for a loaded book the code the file gives
 * for that id (files also give codes for some ids below 164). Null when
 * there is none: a built-in format, whose look the reading application
 * decides. The text belongs to the book, as xlSheetNameA's. */
SHEETLIB_API const char* SHEETLIB_CALL xlBookCustomNumFormatA(BookHandle book, int fmt);

/* The format's number format id: 0 (General) for a new format, below 164 a
 * built-in format, else one with a code (xlBookCustomNumFormatA). */
SHEETLIB_API int SHEETLIB_CALL xlFormatNumFormatA(FormatHandle format);

/* Sets the format's number format: a built-in id (0 … 163) or one that
 * xlBookAddCustomNumFormatA returned for this book; other values, and any on
 * a format of a loaded book, leave the format unchanged. */
SHEETLIB_API void SHEETLIB_CALL xlFormatSetNumFormatA(FormatHandle format, int numFormat);

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
 * belongs to the book and stays valid until the next call on the same book
 * that returns a text; copy it at once. When `format` is not null it
 * receives the cell's format: of a loaded sheet only for number, boolean
 * and error cells (for its number format), else null; of a written sheet
 * the one it was written with. A loaded book's formats can be read, not
 * changed, and are not for the cells of another book. */
SHEETLIB_API const char* SHEETLIB_CALL xlSheetReadStrA(SheetHandle sheet, int row, int col, FormatHandle* format);

/* What the cell holds: 0 empty (no cell, or outside the sheet), 1 a number
 * (dates and times are numbers with a date format), 2 a string, 3 a boolean,
 * 4 blank (a cell with a format but no value), 5 an error. A formula cell is
 * what its cached result is. */
SHEETLIB_API int SHEETLIB_CALL xlSheetCellTypeA(SheetHandle sheet, int row, int col);

/* The number of a number cell (1 or 0 for a boolean), else 0. `format`, when
 * not null, receives the cell's format as xlSheetReadStrA gives it. */
SHEETLIB_API double SHEETLIB_CALL xlSheetReadNumA(SheetHandle sheet, int row, int col, FormatHandle* format);

/* 1 for a boolean cell holding TRUE, else 0; `format` as xlSheetReadNumA's. */
SHEETLIB_API int SHEETLIB_CALL xlSheetReadBoolA(SheetHandle sheet, int row, int col, FormatHandle* format);

/* Writes a number cell, replacing what the cell held; `format` may be null.
 * Returns 1, or 0 (the cell unchanged) for a row or column outside the
 * sheet, a value that is not finite, a format of another book, or a loaded
 * sheet. */
SHEETLIB_API int SHEETLIB_CALL xlSheetWriteNumA(SheetHandle sheet, int row, int col, double value,
                                               FormatHandle format);

/* Writes a boolean cell (TRUE for any value but 0), as xlSheetWriteNumA. */
SHEETLIB_API int SHEETLIB_CALL xlSheetWriteBoolA(SheetHandle sheet, int row, int col, int value,
                                                FormatHandle format);

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

/* Merges rows rowFirst … rowLast, columns colFirst … colLast (inclusive):
 * the spreadsheet application shows the first cell's value across them.
 * Returns 1, or 0 for a range that is reversed, outside the sheet or a
 * single cell, one that overlaps a merged range of the sheet, or a loaded
 * sheet. */
SHEETLIB_API int SHEETLIB_CALL xlSheetSetMergeA(SheetHandle sheet, int rowFirst, int rowLast, int colFirst,
                                               int colLast);

/* The number of merged ranges of the sheet. */
SHEETLIB_API int SHEETLIB_CALL xlSheetMergeSizeA(SheetHandle sheet);

/* Merged range `index` (0 … xlSheetMergeSizeA - 1), in the file's order for
 * a loaded sheet: 1 and its bounds (each pointer may be null), or 0 for an
 * index out of range (the bounds untouched). */
SHEETLIB_API int SHEETLIB_CALL xlSheetMergeA(SheetHandle sheet, int index, int* rowFirst, int* rowLast,
                                            int* colFirst, int* colLast);

/* The width (in characters) the sheet sets for the column, or -1 when it
 * sets none (the application's default width applies). */
SHEETLIB_API double SHEETLIB_CALL xlSheetColWidthA(SheetHandle sheet, int col);

/* With keep nonzero, the book's later loads keep the look of the sheet they
 * read: every cell's format (font, fill, border, alignment, protection, number
 * format), the theme, row heights, hidden rows and columns, the view, the
 * filter, validations, conditional formats, links and print setup, for the
 * functions below and for xlBookAddFormatA to copy into another book. Off by
 * default: a load then reads the cells alone. */
SHEETLIB_API void SHEETLIB_CALL xlBookSetKeepFormatA(BookHandle book, int keep);

/* The format of a cell, valued or blank: of a loaded sheet read with its look,
 * the format of the cell's style (the workbook's default format for a cell
 * without one), which xlBookAddFormatA copies into another book whole; of a
 * written sheet, the format the cell was written with. Null when there is
 * none (no look was read, the cell or its style is not there). */
SHEETLIB_API FormatHandle SHEETLIB_CALL xlSheetCellFormatA(SheetHandle sheet, int row, int col);

/* The height of a row in points, or -1 when it has the sheet's default height. */
SHEETLIB_API double SHEETLIB_CALL xlSheetRowHeightA(SheetHandle sheet, int row);

/* 1 when the row is hidden. */
SHEETLIB_API int SHEETLIB_CALL xlSheetRowHiddenA(SheetHandle sheet, int row);

/* Sets a written row's height in points (0 or less: the default height) and
 * whether it is hidden; format must be null (rows take no format here).
 * Returns 1 when set. */
SHEETLIB_API int SHEETLIB_CALL xlSheetSetRowA(SheetHandle sheet, int row, double height, FormatHandle format, int hidden);

/* 1 when the column is hidden (written sheets hide columns through
 * xlSheetSetColA). */
SHEETLIB_API int SHEETLIB_CALL xlSheetColHiddenA(SheetHandle sheet, int col);

/* The height in points of rows that set none, or -1 when the sheet gives none. */
SHEETLIB_API double SHEETLIB_CALL xlSheetDefaultRowHeightA(SheetHandle sheet);

/* Sets it for a written sheet (0 or less: the application's). */
SHEETLIB_API void SHEETLIB_CALL xlSheetSetDefaultRowHeightA(SheetHandle sheet, double height);

/* The width in characters of columns that set none, or -1 when the sheet
 * gives none. */
SHEETLIB_API double SHEETLIB_CALL xlSheetDefaultColWidthA(SheetHandle sheet);

/* Sets it for a written sheet (0 or less: the application's). */
SHEETLIB_API void SHEETLIB_CALL xlSheetSetDefaultColWidthA(SheetHandle sheet, double width);

/* Frozen panes: the first row and column below and right of them (the
 * number of rows and columns frozen). Returns 0, giving 0 and 0, when the
 * sheet freezes none. */
SHEETLIB_API int SHEETLIB_CALL xlSheetGetSplitA(SheetHandle sheet, int* row, int* col);

/* Freezes the rows above `row` and the columns left of `col` of a written
 * sheet (0 and 0: none). */
SHEETLIB_API void SHEETLIB_CALL xlSheetSplitA(SheetHandle sheet, int row, int col);

/* The zoom of the sheet's view in percent. */
SHEETLIB_API int SHEETLIB_CALL xlSheetZoomA(SheetHandle sheet);

/* Sets it for a written sheet (10 to 400). */
SHEETLIB_API void SHEETLIB_CALL xlSheetSetZoomA(SheetHandle sheet, int zoom);

/* 1 when the view shows gridlines. */
SHEETLIB_API int SHEETLIB_CALL xlSheetDisplayGridlinesA(SheetHandle sheet);

/* Shows or hides them in a written sheet. */
SHEETLIB_API void SHEETLIB_CALL xlSheetSetDisplayGridlinesA(SheetHandle sheet, int show);

/* 1 when the sheet runs right to left. */
SHEETLIB_API int SHEETLIB_CALL xlSheetRightToLeftA(SheetHandle sheet);

/* Sets the direction of a written sheet. */
SHEETLIB_API void SHEETLIB_CALL xlSheetSetRightToLeftA(SheetHandle sheet, int rightToLeft);

/* The range of the sheet's filter (its heading row first); 0 when it has none. */
SHEETLIB_API int SHEETLIB_CALL xlSheetGetAutoFilterA(SheetHandle sheet, int* rowFirst, int* rowLast, int* colFirst, int* colLast);

/* Sets a filter over the range of a written sheet (rowFirst its heading row). */
SHEETLIB_API int SHEETLIB_CALL xlSheetSetAutoFilterA(SheetHandle sheet, int rowFirst, int rowLast, int colFirst, int colLast);

/* Data validations: how many the sheet has. */
SHEETLIB_API int SHEETLIB_CALL xlSheetDataValidationSizeA(SheetHandle sheet);

/* Range number `range` (from 0) of validation `index`; 0 past its ranges. */
SHEETLIB_API int SHEETLIB_CALL xlSheetDataValidationRangeA(SheetHandle sheet, int index, int range, int* rowFirst, int* rowLast, int* colFirst, int* colLast);

/* Adds to a written sheet a copy of validation `index` of sheet `from` (of a
 * loaded book read with its look) over `rangeCount` ranges, each given by
 * four ints in `ranges`: first row, last row, first column, last column. The
 * rule and its formulas are copied as written: they read relative to the
 * first cell of the first range. */
SHEETLIB_API int SHEETLIB_CALL xlSheetCopyDataValidationA(SheetHandle sheet, SheetHandle from, int index, const int* ranges, int rangeCount);

/* Conditional formats, the same way: how many, */
SHEETLIB_API int SHEETLIB_CALL xlSheetConditionalFormatSizeA(SheetHandle sheet);

/* their ranges, */
SHEETLIB_API int SHEETLIB_CALL xlSheetConditionalFormatRangeA(SheetHandle sheet, int index, int range, int* rowFirst, int* rowLast, int* colFirst, int* colLast);

/* and a copy over other ranges (the formats its rules apply go with it). */
SHEETLIB_API int SHEETLIB_CALL xlSheetCopyConditionalFormatA(SheetHandle sheet, SheetHandle from, int index, const int* ranges, int rangeCount);

/* Hyperlinks: how many, */
SHEETLIB_API int SHEETLIB_CALL xlSheetHyperlinkSizeA(SheetHandle sheet);

/* the cells of each, */
SHEETLIB_API int SHEETLIB_CALL xlSheetHyperlinkRangeA(SheetHandle sheet, int index, int* rowFirst, int* rowLast, int* colFirst, int* colLast);

/* and a copy on other cells. */
SHEETLIB_API int SHEETLIB_CALL xlSheetCopyHyperlinkA(SheetHandle sheet, SheetHandle from, int index, int rowFirst, int rowLast, int colFirst, int colLast);

/* Gives a written sheet the print setup of sheet `from`: orientation, paper,
 * scale or fit to pages, margins, header and footer, print options. */
SHEETLIB_API int SHEETLIB_CALL xlSheetCopyPageSetupA(SheetHandle sheet, SheetHandle from);

/* The rows printed at the top of every page; 0 when none. */
SHEETLIB_API int SHEETLIB_CALL xlSheetGetPrintRepeatRowsA(SheetHandle sheet, int* rowFirst, int* rowLast);

/* Sets them for a written sheet. */
SHEETLIB_API int SHEETLIB_CALL xlSheetSetPrintRepeatRowsA(SheetHandle sheet, int rowFirst, int rowLast);

/* The columns printed at the left of every page; 0 when none. */
SHEETLIB_API int SHEETLIB_CALL xlSheetGetPrintRepeatColsA(SheetHandle sheet, int* colFirst, int* colLast);

/* Sets them for a written sheet. */
SHEETLIB_API int SHEETLIB_CALL xlSheetSetPrintRepeatColsA(SheetHandle sheet, int colFirst, int colLast);

/* The (first) range of the print area; 0 when the whole sheet prints. */
SHEETLIB_API int SHEETLIB_CALL xlSheetGetPrintAreaA(SheetHandle sheet, int* rowFirst, int* rowLast, int* colFirst, int* colLast);

/* Sets the print area of a written sheet. */
SHEETLIB_API int SHEETLIB_CALL xlSheetSetPrintAreaA(SheetHandle sheet, int rowFirst, int rowLast, int colFirst, int colLast);

/* Clears the cells of the area. Of a loaded sheet only the whole of its
 * cells can be cleared (an area that holds them all): their texts and values
 * go, and the memory they took, while their formats and the rest of the
 * sheet's look stay for xlSheetCellFormatA and the others above. Returns 1
 * when cleared. */
SHEETLIB_API int SHEETLIB_CALL xlSheetClearA(SheetHandle sheet, int rowFirst, int rowLast, int colFirst, int colLast);

#ifdef __cplusplus
}
#endif

#endif /* SHEETLIB_H */
