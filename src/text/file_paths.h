// Paths as texts: where the folder part of a path ends, and where the
// program itself lies. Used by the binding (the run directory), the shell
// (start-up), the intake (the proposed folder), the export (the file names
// its plan lists) and the library (the folder of its temporary file).
#pragma once

#include <cstddef>
#include <string_view>

#include "text/text.h"

namespace colsplit {

// The backslash, and the slash, which Windows takes as well and POSIX
// systems use (native builds see both kinds of path).
constexpr bool is_path_separator(char c) { return c == '\\' || c == '/'; }

// Byte position of the last separator, or npos for a bare name. The walk goes
// character by character: the trail byte of a GBK character can be 0x5C, the
// backslash (淺 is 0x9C 0x5C), and is never taken for a separator.
std::size_t last_path_separator(std::string_view path);

// Everything before the last separator: "X:" for a file at a drive root,
// empty for a bare name.
Text folder_of(std::string_view path);

// The full path of the running program's executable; empty when the system
// does not tell.
Text executable_path();

}  // namespace colsplit
