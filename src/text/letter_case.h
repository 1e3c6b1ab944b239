// Letter case as Windows' file names and spreadsheet applications' sheet
// names ignore it: two names are the same when their characters' upper cases
// are. Covers every letter that has a one-character upper case (Latin,
// Greek, Cyrillic, Armenian, full-width forms and the rest), so that "ğ" and
// "Ğ" count as one name just as "a" and "A" do.
#pragma once

namespace colsplit {

// The character's upper case; the character itself when it has none, or
// only one of several characters (ß).
char32_t upper_case(char32_t code_point);

}  // namespace colsplit
