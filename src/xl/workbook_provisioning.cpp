#include "xl/workbook_provisioning.h"

#include "xl/binding.h"
#include "xl/library_image.h"
#include "xl/platform.h"

namespace colsplit::xl {

// Whatever lies at the library's path, file or directory, counts as present
// and is never compared with the image: a library put beside the program by
// the user is the one that gets used.
BookHandle create_workbook() {
  const Text path = library_file_path();
  if (!platform::path_exists(path)) {
    const LibraryImage image = library_image();
    platform::write_whole_file(path, image.bytes, image.size);
  }
  return xlCreateXMLBookCA();
}

}  // namespace colsplit::xl
