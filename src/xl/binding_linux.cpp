// The binding's operating-system side on Linux: the table's libxl.dll is
// libxl.so here, reached with dlopen. Texts are GBK inside the program and
// the file system's names are UTF-8, so every path is converted at the
// crossing.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <string_view>

#include "text/encoding.h"
#include "xl/platform.h"

namespace colsplit::xl {

namespace {
std::string native(const Text& path) { return gbk_to_utf8(path); }
}  // namespace

namespace platform {

Text library_file_name(const Text& table_name) {
  constexpr std::string_view kWindowsSuffix = ".dll";
  if (table_name.size() > kWindowsSuffix.size() && table_name.ends_with(kWindowsSuffix))
    return table_name.substr(0, table_name.size() - kWindowsSuffix.size()) + ".so";
  return table_name;
}

Module load_library(const Text& name) { return dlopen(native(name).c_str(), RTLD_NOW | RTLD_LOCAL); }

void* find_function(Module module, const char* function_name) { return dlsym(module, function_name); }

void free_library(Module module) { dlclose(module); }

bool path_exists(const Text& path) {
  struct stat status;
  return stat(native(path).c_str(), &status) == 0;
}

void write_whole_file(const Text& path, const unsigned char* bytes, std::size_t size) {
  const std::string native_path = native(path);
  const int file = open(native_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (file < 0) return;
  const ssize_t written = write(file, bytes, size);
  const bool closed = close(file) == 0;
  if (written < 0 || static_cast<std::size_t>(written) != size || !closed) unlink(native_path.c_str());
}

}  // namespace platform
}  // namespace colsplit::xl
