// Texts of the program: byte strings in the GBK code page (code page 936).
#pragma once

#include <string>
#include <string_view>

namespace colsplit {

// A text is a GBK byte string; the empty text stands for "no text".
using Text = std::string;

// The pointer a library function receives for a text: the empty text is
// handed over as a null pointer, every other text as its bytes.
inline const char* library_text(const Text& text) { return text.empty() ? nullptr : text.c_str(); }

// A text returned by a library function, copied at once; null is the empty text.
inline Text text_from_library(const char* text) { return text ? Text(text) : Text(); }

}  // namespace colsplit
