// What the binding and the library file provisioning need from the operating
// system, once for Windows (binding_windows.cpp) and once for Linux
// (binding_linux.cpp). Paths are texts (GBK); each implementation converts
// them at the crossing.
#pragma once

#include <cstddef>

#include "text/text.h"

namespace colsplit::xl::platform {

// The separator between a directory and a name.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// The platform's file name for a library file of the table: the table's own
// name on Windows; on Linux "libxl.dll" becomes "libxl.so".
Text library_file_name(const Text& table_name);

using Module = void*;

// Loads the library (one more reference when it is loaded already); null
// when it does not load.
Module load_library(const Text& name);
// The function's address in the module, or null.
void* find_function(Module module, const char* function_name);
// Gives back one reference to the module.
void free_library(Module module);

// True when anything (a file or a directory) is at the path.
bool path_exists(const Text& path);

// Writes the bytes to the path in one write, creating the file or truncating
// it. A write that did not complete removes the file again, so that a
// truncated library is never left behind to be found and loaded next time.
void write_whole_file(const Text& path, const unsigned char* bytes, std::size_t size);

}  // namespace colsplit::xl::platform
