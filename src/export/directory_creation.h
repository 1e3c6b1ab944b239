// Creating one directory level: the one file-system call of the export that
// the library does not make for it.
#pragma once

#include "text/text.h"

namespace colsplit {

// Creates the directory named by the GBK path (its parent must exist). True
// when it was created or already is a directory.
bool create_directory_level(const Text& path);

}  // namespace colsplit
