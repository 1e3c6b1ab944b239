// The DLL-command table: every external function the program calls, named
// by its library file and its function name, in the order of the Row enum.
// Both lists, the enum and the rows' C signatures (checked_call.h) come from
// the one list in sheetlib/interface/library_functions.h.
#pragma once

#include <cstddef>

#include "xl/library_calls.h"

namespace colsplit::xl {

inline constexpr std::size_t kRowCount = static_cast<std::size_t>(Row::count);

// Library file names as the program names them ("libxl.dll"; "shlwapi"
// without an extension, so that the system loader adds its own).
extern const char* const kLibraryFiles[kRowCount];
extern const char* const kFunctionNames[kRowCount];

inline std::size_t row_index(Row row) { return static_cast<std::size_t>(row); }

}  // namespace colsplit::xl
