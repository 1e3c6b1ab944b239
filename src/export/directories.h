// The export folder on disk: whether it is there, and making it. The only
// file-system questions of the export that the library does not answer.
#pragma once

#include "text/text.h"

namespace colsplit {

// True when the GBK path names an existing directory. On Windows this is the
// table's PathIsDirectoryA, through the binding (the path in the system code
// page: a wrong answer only leads to a harmless failed creation of a folder
// that exists); elsewhere the file system is asked directly.
bool is_directory(const Text& path);

// Creates the directory named by the GBK path (its parent must exist). True
// when it was created or already is a directory.
bool create_directory_level(const Text& path);

// Creates the directory named by the GBK path and the parents it lacks. True
// when it is a directory afterwards.
bool create_directory_path(const Text& path);

}  // namespace colsplit
