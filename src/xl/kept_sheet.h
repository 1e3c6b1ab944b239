// A loaded workbook kept after its sheet was shown, for what the export
// copies from it: the look of the sheet (its cells' formats, rows, view,
// filter, validations, rules, links and print setup). The book goes with
// the last holder.
#pragma once

#include "xl/owned_book.h"

namespace colsplit::xl {

struct KeptSheet {
  OwnedBook book;
  SheetHandle sheet = nullptr;
};

}  // namespace colsplit::xl
