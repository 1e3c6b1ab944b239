// Placeholder until the binding lands: every call fails.
#include "xl/library_calls.h"
#include "xl/workbook_provisioning.h"

namespace colsplit::xl {

int xlBookLoadA(BookHandle, const Text&) { return 0; }
void xlBookReleaseA(BookHandle) {}
SheetHandle xlBookGetSheetA(BookHandle, int) { return nullptr; }
int xlSheetLastRowA(SheetHandle) { return 0; }
int xlSheetLastColA(SheetHandle) { return 0; }
Text xlSheetReadStrA(SheetHandle, int, int, FormatHandle*) { return {}; }
BookHandle xlCreateXMLBookCA() { return nullptr; }
int PathIsDirectoryA(const Text&) { return 0; }
int xlBookSheetCountA(BookHandle) { return 0; }
SheetHandle xlBookInsertSheetA(BookHandle, int, const Text&, SheetHandle) { return nullptr; }
FormatHandle xlBookAddFormatA(BookHandle, FormatHandle) { return nullptr; }
void xlFormatSetBorderA(FormatHandle, int) {}
int xlSheetWriteStrA(SheetHandle, int, int, const Text&, FormatHandle) { return 0; }
int xlSheetAddIgnoredErrorA(SheetHandle, int, int, int, int, int) { return 0; }
int xlSheetSetColA(SheetHandle, int, int, double, FormatHandle, int) { return 0; }
int xlBookSaveA(BookHandle, const Text&) { return 0; }

void release_bound_libraries() {}
namespace testing {
void bind_row(Row, void*) {}
void unbind_all() {}
}  // namespace testing

BookHandle create_workbook() { return nullptr; }
bool is_directory(const Text&) { return false; }
Text run_directory() { return {}; }

}  // namespace colsplit::xl
