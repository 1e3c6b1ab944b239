#include "xl/dll_command_table.h"

#include "sheetlib/interface/library_functions.h"

namespace colsplit::xl {

namespace {
constexpr const char* kSpreadsheetLibrary = "libxl.dll";
}  // namespace

#define COLSPLIT_XL_ROW(result, name, parameters) kSpreadsheetLibrary,
#define COLSPLIT_XL_WINDOWS_ROW(library_file, result, name, parameters) library_file,
const char* const kLibraryFiles[kRowCount] = {COLSPLIT_DLL_COMMAND_TABLE(COLSPLIT_XL_ROW, COLSPLIT_XL_WINDOWS_ROW)};
#undef COLSPLIT_XL_ROW
#undef COLSPLIT_XL_WINDOWS_ROW

#define COLSPLIT_XL_ROW(result, name, parameters) #name,
#define COLSPLIT_XL_WINDOWS_ROW(library_file, result, name, parameters) #name,
const char* const kFunctionNames[kRowCount] = {COLSPLIT_DLL_COMMAND_TABLE(COLSPLIT_XL_ROW, COLSPLIT_XL_WINDOWS_ROW)};
#undef COLSPLIT_XL_ROW
#undef COLSPLIT_XL_WINDOWS_ROW

}  // namespace colsplit::xl
