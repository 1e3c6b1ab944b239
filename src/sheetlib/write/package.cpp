// Zips the parts in memory with libzip; the caller writes the bytes to disk
// in one go, so that a failure never leaves a partial file behind. The
// worksheets, by far the largest parts, are never whole in memory: libzip
// reads them piece by piece as it deflates them. The shared strings of a
// large workbook are deflated beside them, on a second thread.
#include <zip.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>

#include "sheetlib/write/deflated_part.h"
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
// From this many string cells on, the shared strings are made on a thread
// of their own (some 100 KB of XML).
constexpr std::uint64_t kStringsOnTheirOwnThread = 4096;

// Adds an entry, deflated, that reads from `source` (freed here on failure).
bool add_entry(zip_t* archive, const char* name, zip_source_t* source) {
  if (!source) return false;
  const zip_int64_t index = zip_file_add(archive, name, source, ZIP_FL_ENC_UTF_8);
  if (index < 0) {
    zip_source_free(source);
    return false;
  }
  return zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, kCompressionLevel) == 0;
}

bool add_part(zip_t* archive, const char* name, const std::string& xml) {
  return add_entry(archive, name, zip_source_buffer(archive, xml.data(), xml.size(), 0));
}

// A worksheet as a libzip source. Its size is counted beforehand, so that
// the entry gets plain (not Zip64) headers, as spreadsheet applications write.
struct StreamedPart {
  StreamedPart(SheetContent& sheet, bool selected) : stream(sheet, selected), size(stream.size()) {
    zip_error_init(&error);
  }
  ~StreamedPart() { zip_error_fini(&error); }

  WorksheetStream stream;
  std::uint64_t size;
  std::string piece;
  std::size_t taken = 0;
  zip_error_t error;
};

zip_int64_t read_streamed_part(StreamedPart& part, char* out, zip_uint64_t capacity) {
  zip_uint64_t written = 0;
  while (written < capacity) {
    if (part.taken == part.piece.size()) {
      part.piece.clear();
      part.taken = 0;
      if (!part.stream.next(part.piece, WorksheetStream::kPieceBytes)) break;
      continue;
    }
    const std::size_t count = static_cast<std::size_t>(
        std::min<zip_uint64_t>(capacity - written, part.piece.size() - part.taken));
    std::memcpy(out + written, part.piece.data() + part.taken, count);
    written += count;
    part.taken += count;
  }
  return static_cast<zip_int64_t>(written);
}

zip_int64_t streamed_part_callback(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
  StreamedPart& part = *static_cast<StreamedPart*>(state);
  // No exception may pass through libzip: running out of memory is its error.
  try {
    switch (command) {
      case ZIP_SOURCE_OPEN:
        part.stream.restart();
        part.piece.clear();
        part.taken = 0;
        return 0;
      case ZIP_SOURCE_READ:
        return read_streamed_part(part, static_cast<char*>(data), length);
      case ZIP_SOURCE_CLOSE:
      case ZIP_SOURCE_FREE:
        return 0;
      case ZIP_SOURCE_STAT: {
        if (length < sizeof(zip_stat_t)) break;
        zip_stat_t* stat = static_cast<zip_stat_t*>(data);
        zip_stat_init(stat);
        stat->size = part.size;
        stat->valid |= ZIP_STAT_SIZE;
        return sizeof(zip_stat_t);
      }
      case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&part.error, data, length);
      case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                              ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
      default:
        break;
    }
    zip_error_set(&part.error, ZIP_ER_INVAL, 0);
  } catch (...) {
    zip_error_set(&part.error, ZIP_ER_MEMORY, 0);
  }
  return -1;
}

bool add_streamed_part(zip_t* archive, const char* name, StreamedPart& part) {
  return add_entry(archive, name, zip_source_function(archive, streamed_part_callback, &part));
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
  // The parts must outlive zip_close, which is when libzip reads them (and
  // the archive, which frees its sources when it is discarded).
  std::vector<std::pair<std::string, std::string>> parts;
  parts.reserve(sheets.size() + 7);
  parts.emplace_back("[Content_Types].xml", content_types_part(sheets.size()));
  parts.emplace_back("_rels/.rels", package_relationships_part());
  parts.emplace_back("docProps/app.xml", application_properties_part());
  parts.emplace_back("xl/workbook.xml", workbook_part(sheets));
  parts.emplace_back("xl/_rels/workbook.xml.rels", workbook_relationships_part(sheets.size()));
  parts.emplace_back("xl/styles.xml", styles_part(format_borders));
  std::vector<std::pair<std::string, std::unique_ptr<StreamedPart>>> worksheets;
  worksheets.reserve(sheets.size());
  std::uint64_t references = 0;
  for (std::size_t i = 0; i < sheets.size(); ++i) {
    std::string name = "xl/worksheets/sheet" + std::to_string(i + 1) + ".xml";
    worksheets.emplace_back(std::move(name), std::make_unique<StreamedPart>(*sheets[i].content, i == 0));
    for (const CellEntry& cell : sheets[i].content->cells()) {
      if (cell.string_index != kNoString) ++references;
    }
  }
  // The shared strings of a large workbook are made and deflated on a
  // second thread while libzip deflates the worksheets; they come last in
  // the archive, so that libzip reaches them when they are ready. A small
  // workbook's are made here: a thread would cost more than it saves.
  std::unique_ptr<DeflatedPart> deflated_strings;
  if (references >= kStringsOnTheirOwnThread) {
    deflated_strings = std::make_unique<DeflatedPart>([&] { return shared_strings_part(strings, references); },
                                                      kCompressionLevel);
  } else {
    parts.emplace_back("xl/sharedStrings.xml", shared_strings_part(strings, references));
  }

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
  for (const auto& [name, part] : worksheets) {
    if (!add_streamed_part(archive.get(), name.c_str(), *part)) return {};
  }
  if (deflated_strings && !add_entry(archive.get(), "xl/sharedStrings.xml", deflated_strings->source(archive.get())))
    return {};
  if (zip_close(archive.get()) != 0) return {};
  archive.release();  // zip_close freed it
  return read_source(output.get());
}

}  // namespace sheetlib
