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
// the empty name becomes "(空白)". A `number` above 1 is appended as
// " (2)", " (3)", …, the name cut to leave it room: the sheets of one
// workbook need names that differ beyond letter case.
Text fallback_sheet_name(const Text& name, int number = 0);

}  // namespace colsplit
