// printf into a text. The formats are the program's own (texts.h), GBK, with
// known placeholders; the arguments are numbers and texts.
#pragma once

#include "text/text.h"

#if defined(__MINGW32__)
#define COLSPLIT_PRINTF_FORMAT __attribute__((format(gnu_printf, 1, 2)))
#elif defined(__GNUC__)
#define COLSPLIT_PRINTF_FORMAT __attribute__((format(printf, 1, 2)))
#else
#define COLSPLIT_PRINTF_FORMAT
#endif

namespace colsplit {

// The whole result, however long; the empty text for a format the C library
// refuses.
Text format_text(const char* format, ...) COLSPLIT_PRINTF_FORMAT;

}  // namespace colsplit
