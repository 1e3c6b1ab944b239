// The sheet name a group workbook falls back to when the library refuses the
// group value as one.
#pragma once

#include "text/text.h"

namespace colsplit {

// A name a spreadsheet application (and so the library) accepts, as close to
// `name` as it may be: : \ / ? * [ ], the control characters and every byte
// sequence that is not one character of the code page become '_', leading
// and trailing apostrophes go, at most 31 characters (counted as the
// application counts them, a character beyond the 16-bit range as two), and
// the empty name becomes "(空白)".
Text fallback_sheet_name(const Text& name);

}  // namespace colsplit
