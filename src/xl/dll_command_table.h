// The DLL-command table: every external function the program calls, named
// by its library file and its function name. The two lists run in the order
// of the Row enum; the parameter lists are fixed by the wrappers in
// library_calls.cpp, not stored here.
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
