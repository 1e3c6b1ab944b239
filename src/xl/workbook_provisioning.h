// Making workbook objects: the library file beside the program (in the
// program's run directory), then a new .xlsx workbook from the library.
#pragma once

#include "text/text.h"
#include "xl/library_calls.h"

namespace colsplit::xl {

// Writes the library file image into the run directory when no file or
// directory of the library's name is there, then returns the handle that
// xlCreateXMLBookCA gives, unchecked.
BookHandle create_workbook();

// The directory holding the program's executable, without a trailing
// separator ("X:" for a program at a drive root).
Text run_directory();

}  // namespace colsplit::xl
