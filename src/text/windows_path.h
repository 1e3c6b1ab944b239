// A GBK path as the wide Windows file functions take it.
#pragma once

#ifdef _WIN32

#include <string>

#include "text/text.h"

namespace colsplit {

// The path in UTF-16. A path of MAX_PATH - 12 characters or more only works
// through the "\\?\" prefix, which in turn wants a full path with
// backslashes only: such a path is made full (GetFullPathNameW) and
// prefixed; shorter ones stay as they are.
std::wstring wide_file_path(const Text& gbk_path);

}  // namespace colsplit

#endif
