// Placeholder exports until the library lands: every call fails.
#include "sheetlib/sheetlib.h"

extern "C" {
BookHandle SHEETLIB_CALL xlCreateXMLBookCA(void) { return nullptr; }
int SHEETLIB_CALL xlBookLoadA(BookHandle, const char*) { return 0; }
int SHEETLIB_CALL xlBookSaveA(BookHandle, const char*) { return 0; }
void SHEETLIB_CALL xlBookReleaseA(BookHandle) {}
SheetHandle SHEETLIB_CALL xlBookGetSheetA(BookHandle, int) { return nullptr; }
int SHEETLIB_CALL xlBookSheetCountA(BookHandle) { return 0; }
SheetHandle SHEETLIB_CALL xlBookInsertSheetA(BookHandle, int, const char*, SheetHandle) { return nullptr; }
FormatHandle SHEETLIB_CALL xlBookAddFormatA(BookHandle, FormatHandle) { return nullptr; }
void SHEETLIB_CALL xlFormatSetBorderA(FormatHandle, int) {}
int SHEETLIB_CALL xlSheetLastRowA(SheetHandle) { return 0; }
int SHEETLIB_CALL xlSheetLastColA(SheetHandle) { return 0; }
const char* SHEETLIB_CALL xlSheetReadStrA(SheetHandle, int, int, FormatHandle*) { return nullptr; }
int SHEETLIB_CALL xlSheetWriteStrA(SheetHandle, int, int, const char*, FormatHandle) { return 0; }
int SHEETLIB_CALL xlSheetAddIgnoredErrorA(SheetHandle, int, int, int, int, int) { return 0; }
int SHEETLIB_CALL xlSheetSetColA(SheetHandle, int, int, double, FormatHandle, int) { return 0; }
}
