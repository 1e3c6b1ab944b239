// Zips the parts in memory with libzip; the caller writes the bytes to disk
// in one go, so that a failure never leaves a partial file behind. The
// worksheets, by far the largest parts, are never whole in memory as XML:
// they are made piece by piece and deflated block by block, a large one on
// two threads. The shared strings were made, and most of them deflated, as
// the cells were written.
#include <zip.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <memory>
#include <string_view>

#include "sheetlib/write/deflated_part.h"
#include "sheetlib/write/parallel_deflate.h"
#include "sheetlib/write/parts.h"
#include "sheetlib/write/repeated_parts.h"

namespace sheetlib {

namespace {

struct ArchiveCloser {
  void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct SourceFreer {
  void operator()(zip_source_t* source) const { zip_source_free(source); }
};

// From this many cells on (some 500 KB of XML, two blocks), a worksheet is
// deflated on two threads.
constexpr std::size_t kCellsForTwoThreads = 16384;

// Adds an entry, deflated, that reads from `source` (freed here on failure).
bool add_entry(zip_t* archive, const char* name, zip_source_t* source) {
  if (!source) return false;
  const zip_int64_t index = zip_file_add(archive, name, source, ZIP_FL_ENC_UTF_8);
  if (index < 0) {
    zip_source_free(source);
    return false;
  }
  return zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE,
                                  static_cast<zip_uint32_t>(kPartCompressionLevel)) == 0;
}

// A worksheet's XML, made piece by piece and deflated block by block: it is
// never whole in memory. A large one is deflated on two threads.
DeflatedBytes deflate_worksheet(SheetContent& sheet, bool selected) {
  WorksheetStream stream(sheet, selected);
  ParallelDeflater deflater(kPartCompressionLevel, sheet.cells().size() >= kCellsForTwoThreads);
  std::string piece;
  while (stream.next(piece, WorksheetStream::kPieceBytes)) {
    deflater.add(piece);
    piece.clear();
  }
  return deflater.finish();
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

std::string build_package(const std::vector<SheetToWrite>& sheets, SharedStrings& strings,
                          const std::vector<CellFormatToWrite>& formats, const std::vector<std::string>& custom_codes,
                          const BookLook& look) {
  // Every part goes to libzip deflated already; the bytes must outlive
  // zip_close, which is when libzip reads them (and the archive, which
  // frees its sources when it is discarded). The parts that every workbook
  // of an export repeats are deflated once.
  std::vector<std::pair<std::string, std::shared_ptr<const DeflatedBytes>>> parts;
  parts.reserve(sheets.size() + 7);
  const auto repeated = [&](const char* name, const std::string& xml) {
    parts.emplace_back(name, deflate_repeated_part(xml, kPartCompressionLevel));
  };
  const auto own = [&](const char* name, const std::string& xml) {
    parts.emplace_back(name, std::make_shared<const DeflatedBytes>(deflate_part(xml, kPartCompressionLevel)));
  };
  const bool theme = !look.theme.empty();
  repeated("[Content_Types].xml", content_types_part(sheets.size(), theme));
  repeated("_rels/.rels", package_relationships_part());
  repeated("docProps/app.xml", application_properties_part());
  own("xl/workbook.xml", workbook_part(sheets));
  repeated("xl/_rels/workbook.xml.rels", workbook_relationships_part(sheets.size(), theme));
  // Keyed by its whole text, the styles part of one set of formats is never
  // handed out for another. One carrying a look is the book's own: the
  // books split from one workbook each keep the styles their cells use, and
  // as many different parts would push the truly repeated ones out.
  const bool styles_with_look = !look.fonts.empty() || !look.fills.empty() || !look.borders.empty() ||
                                !look.dxfs.empty() || !look.colors.empty() || theme ||
                                std::any_of(formats.begin(), formats.end(),
                                            [](const CellFormatToWrite& format) { return format.look != nullptr; });
  if (styles_with_look) {
    own("xl/styles.xml", styles_part(formats, custom_codes, look));
  } else {
    repeated("xl/styles.xml", styles_part(formats, custom_codes, look));
  }
  // The theme of the book the styles came from, the same in every book split from it.
  if (theme) repeated("xl/theme/theme1.xml", look.theme);
  for (std::size_t i = 0; i < sheets.size(); ++i) {
    const std::string relationships = worksheet_relationships_part(sheets[i].content->look());
    if (relationships.empty()) continue;
    parts.emplace_back("xl/worksheets/_rels/sheet" + std::to_string(i + 1) + ".xml.rels",
                       std::make_shared<const DeflatedBytes>(deflate_part(relationships, kPartCompressionLevel)));
  }
  std::uint64_t references = 0;
  for (const SheetToWrite& sheet : sheets) {
    for (const CellEntry& cell : sheet.content->cells()) {
      if (cell.kind() == EntryKind::string && cell.value != kNoString) ++references;
    }
  }
  parts.emplace_back("xl/sharedStrings.xml",
                     std::make_shared<const DeflatedBytes>(shared_strings_part(strings, references)));

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

  for (const auto& [name, bytes] : parts) {
    if (!bytes->made || !add_entry(archive.get(), name.c_str(), deflated_source(archive.get(), *bytes))) return {};
  }
  // Each worksheet is deflated before the next is made; libzip copies them
  // when the archive is closed.
  std::deque<DeflatedBytes> worksheets;
  for (std::size_t i = 0; i < sheets.size(); ++i) {
    const DeflatedBytes& worksheet = worksheets.emplace_back(deflate_worksheet(*sheets[i].content, i == 0));
    if (!worksheet.made) return {};
    const std::string name = "xl/worksheets/sheet" + std::to_string(i + 1) + ".xml";
    if (!add_entry(archive.get(), name.c_str(), deflated_source(archive.get(), worksheet))) return {};
  }
  if (zip_close(archive.get()) != 0) return {};
  archive.release();  // zip_close freed it
  return read_source(output.get());
}

}  // namespace sheetlib
