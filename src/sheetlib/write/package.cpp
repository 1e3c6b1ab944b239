// Zips the parts in memory with libzip; the caller writes the bytes to disk
// in one go, so that a failure never leaves a partial file behind.
#include <zip.h>

#include <memory>
#include <string_view>

#include "sheetlib/write/parts.h"

namespace sheetlib {

namespace {

struct ArchiveCloser {
  void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct SourceFreer {
  void operator()(zip_source_t* source) const { zip_source_free(source); }
};

// Deflate at level 1: about four times as fast as the default level, for
// files some 20 % larger.
constexpr zip_uint32_t kCompressionLevel = 1;

bool add_part(zip_t* archive, const char* name, const std::string& xml) {
  zip_source_t* source = zip_source_buffer(archive, xml.data(), xml.size(), 0);
  if (!source) return false;
  const zip_int64_t index = zip_file_add(archive, name, source, ZIP_FL_ENC_UTF_8);
  if (index < 0) {
    zip_source_free(source);
    return false;
  }
  return zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, kCompressionLevel) == 0;
}

std::string read_source(zip_source_t* source) {
  zip_stat_t stat;
  if (zip_source_stat(source, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE)) return {};
  std::string bytes(static_cast<std::size_t>(stat.size), '\0');
  if (zip_source_open(source) != 0) return {};
  const zip_int64_t read = zip_source_read(source, bytes.data(), bytes.size());
  zip_source_close(source);
  if (read < 0 || static_cast<zip_uint64_t>(read) != stat.size) return {};
  return bytes;
}

}  // namespace

std::string build_package(const std::vector<SheetToWrite>& sheets, const SharedStrings& strings,
                          const std::vector<int>& format_borders) {
  // The parts must outlive zip_close, which is when libzip reads them.
  std::vector<std::pair<std::string, std::string>> parts;
  parts.reserve(sheets.size() + 7);
  parts.emplace_back("[Content_Types].xml", content_types_part(sheets.size()));
  parts.emplace_back("_rels/.rels", package_relationships_part());
  parts.emplace_back("docProps/app.xml", application_properties_part());
  parts.emplace_back("xl/workbook.xml", workbook_part(sheets));
  parts.emplace_back("xl/_rels/workbook.xml.rels", workbook_relationships_part(sheets.size()));
  parts.emplace_back("xl/styles.xml", styles_part(format_borders));
  std::uint64_t references = 0;
  for (std::size_t i = 0; i < sheets.size(); ++i) {
    std::string name = "xl/worksheets/sheet" + std::to_string(i + 1) + ".xml";
    parts.emplace_back(std::move(name), worksheet_part(*sheets[i].content, i == 0));
    for (const CellEntry& cell : sheets[i].content->cells()) {
      if (cell.string_index != kNoString) ++references;
    }
  }
  parts.emplace_back("xl/sharedStrings.xml", shared_strings_part(strings, references));

  zip_error_t error;
  zip_error_init(&error);
  std::unique_ptr<zip_source_t, SourceFreer> output(zip_source_buffer_create(nullptr, 0, 0, &error));
  zip_error_fini(&error);
  if (!output) return {};
  zip_error_init(&error);
  std::unique_ptr<zip_t, ArchiveCloser> archive(zip_open_from_source(output.get(), ZIP_TRUNCATE, &error));
  zip_error_fini(&error);
  if (!archive) return {};
  // The archive now holds a reference to the output; keep one of our own so
  // that the bytes can be read once the archive is closed.
  zip_source_keep(output.get());

  for (const auto& [name, xml] : parts) {
    if (!add_part(archive.get(), name.c_str(), xml)) return {};
  }
  if (zip_close(archive.get()) != 0) return {};
  archive.release();  // zip_close freed it
  return read_source(output.get());
}

}  // namespace sheetlib
