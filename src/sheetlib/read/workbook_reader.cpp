// Reading a workbook package (.xlsx): from the package relationships to the
// workbook part, from its relationships to the worksheet asked for and to
// the shared strings and styles that the worksheet's cells refer to; and,
// when the grid asks for the look, to the theme, the worksheet's links and
// the workbook's print names.
#include "sheetlib/read/workbook_reader.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <memory>
#include <new>

#include "sheetlib/core/cell_storage.h"
#include "sheetlib/core/helper_thread.h"
#include "sheetlib/core/sheet_look.h"
#include "sheetlib/format/number_format.h"
#include "sheetlib/read/read_ahead.h"
#include "sheetlib/read/relationships.h"
#include "sheetlib/read/shared_strings_part.h"
#include "sheetlib/read/shared_strings_scanner.h"
#include "sheetlib/read/sheet_look_part.h"
#include "sheetlib/read/styles_part.h"
#include "sheetlib/read/whole_worksheet.h"
#include "sheetlib/read/workbook_part.h"
#include "sheetlib/read/worksheet_part.h"
#include "sheetlib/read/worksheet_pieces.h"
#include "sheetlib/read/xml_stream.h"
#include "sheetlib/read/zip_archive.h"

namespace sheetlib {

namespace {

// A worksheet this large is read in pieces on two threads.
constexpr std::uint64_t kPiecesBytes = 4 * 1024 * 1024;

// A shared-strings part this large is read on a second thread beside the
// worksheet; a smaller one first, on the reading thread.
constexpr std::uint64_t kConcurrentStringsBytes = 1024 * 1024;

// A theme larger than this is not kept (Excel's are some hundred KiB at most).
constexpr std::size_t kMaxThemeBytes = 4 * 1024 * 1024;

// What every part of one file is parsed with.
struct Reading {
  ZipArchive& archive;
  const ReadLimits& limits;
  xml::MarkupBudget& budget;
  std::uint64_t sheet_pieces = 0;
};

// Which of the archive's handles a part is read through: the one of the
// thread that opened the archive, or the one of the other thread.
enum class PartThread { this_one, other };

// Hands a part's bytes in order to `sink` (see read_part).
ReadStatus stream_part(Reading& reading, std::string_view part, PartThread thread, PartSink& sink) {
  ReadStatus status = ReadStatus::ok;
  const std::unique_ptr<PartStream> stream = thread == PartThread::this_one
                                                 ? reading.archive.open_part(part, status)
                                                 : reading.archive.open_part_for_other_thread(part, status);
  return stream ? read_part(*stream, sink) : status;
}

ReadStatus parse_part(Reading& reading, std::string_view part, xml::Handler& handler,
                      PartThread thread = PartThread::this_one) {
  xml::Parser parser(handler, reading.limits, &reading.budget);
  ParserSink sink(parser);
  const ReadStatus read = stream_part(reading, part, thread, sink);
  return read != ReadStatus::ok ? read : parser.status();
}

// Parses a part that a workbook may lack; a missing one reads as empty.
ReadStatus parse_optional_part(Reading& reading, const Relationship* relationship, xml::Handler& handler) {
  if (!relationship || !reading.archive.contains(relationship->target)) return ReadStatus::ok;
  return parse_part(reading, relationship->target, handler);
}

ReadStatus find_workbook_part(Reading& reading, std::string& workbook_part) {
  const std::string package_rels = relationships_part_of("");
  if (reading.archive.contains(package_rels)) {
    RelationshipsHandler rels("");
    if (const ReadStatus status = parse_part(reading, package_rels, rels); status != ReadStatus::ok) return status;
    if (const Relationship* office_document = rels.find_type("officeDocument")) {
      workbook_part = office_document->target;
      return reading.archive.contains(workbook_part) ? ReadStatus::ok : ReadStatus::not_a_workbook;
    }
  }
  // Packages written by hand sometimes lack their relationships; the
  // workbook then lies where every writer puts it.
  workbook_part = "xl/workbook.xml";
  return reading.archive.contains(workbook_part) ? ReadStatus::ok : ReadStatus::not_a_workbook;
}

std::uint64_t markup_budget_of(std::uint64_t file_size, const ReadLimits& limits) {
  const std::uint64_t per_byte = limits.markup_items_per_file_byte;
  const std::uint64_t by_size = per_byte != 0 && file_size > UINT64_MAX / per_byte ? UINT64_MAX : file_size * per_byte;
  return std::max(limits.min_markup_items, by_size);
}

// A large worksheet is read in pieces on two threads where it can be;
// any other, and one that turns out not to be, is read whole: a small one
// from memory, a large one as it comes.
ReadStatus read_worksheet(Reading& reading, const std::string& part, const SheetReading& sheet) {
  ReadStatus status = ReadStatus::ok;
  std::unique_ptr<PartStream> stream = reading.archive.open_part(part, status);
  if (!stream) return status;
  const bool large = stream->declared_size() >= kPiecesBytes;
  if (large) {
    bool read_whole = false;
    status = read_worksheet_in_pieces(*stream, sheet, read_whole, reading.sheet_pieces);
    if (!read_whole) return status;
    // Read again from the start (the archive reads one part at a time).
    stream.reset();
    stream = reading.archive.open_part(part, status);
    if (!stream) return status;
  }
  return read_whole_worksheet(*stream, sheet, large ? WholeSheet::as_it_comes : WholeSheet::in_memory);
}

// The part of worksheet `index` among the workbook's sheets, and the names
// of all its worksheets. Chart sheets and the like have no cells and are
// passed over. A sheet whose relationship is missing could be a worksheet:
// before the one asked for, it leaves unknown which sheet that is (taking
// the next one would show another sheet's data), so the workbook fails to
// load; after it, it is left out of the names.
// `position` is the chosen one's among all sheets.
ReadStatus choose_worksheet(const WorkbookHandler& workbook, const RelationshipsHandler& workbook_rels, int index,
                            const Relationship*& chosen, std::size_t& position, std::vector<std::string>& sheet_names) {
  chosen = nullptr;
  int worksheets = 0;
  for (std::size_t at = 0; at < workbook.sheets().size(); ++at) {
    const WorkbookHandler::Sheet& sheet = workbook.sheets()[at];
    const Relationship* relationship = workbook_rels.find_id(sheet.id);
    if (!relationship) {
      if (!chosen) return ReadStatus::malformed;
      continue;
    }
    if (!has_type(*relationship, "worksheet")) continue;
    if (worksheets++ == index) {
      chosen = relationship;
      position = at;
    }
    sheet_names.push_back(sheet.name);
  }
  if (chosen) return ReadStatus::ok;
  return worksheets == 0 ? ReadStatus::not_a_workbook : ReadStatus::no_such_sheet;
}

// The workbook part and its relationships, found from the package's.
struct WorkbookParts {
  std::string part;
  WorkbookHandler workbook;
  std::unique_ptr<RelationshipsHandler> relationships;
};

ReadStatus read_workbook_parts(Reading& reading, WorkbookParts& parts, bool keep_look) {
  if (const ReadStatus status = find_workbook_part(reading, parts.part); status != ReadStatus::ok) return status;
  if (keep_look) parts.workbook.keep_print_names();
  if (const ReadStatus status = parse_part(reading, parts.part, parts.workbook); status != ReadStatus::ok)
    return status;
  parts.relationships = std::make_unique<RelationshipsHandler>(parts.part);
  return parse_part(reading, relationships_part_of(parts.part), *parts.relationships);
}

// The number formats of the cell styles: into the grid as the file gives
// them, and as codes to show the cells with.
ReadStatus read_styles(Reading& reading, const RelationshipsHandler& workbook_rels, CellGrid& grid,
                       StyleFormats& formats) {
  StylesHandler styles(grid.look() ? &grid.look()->book : nullptr);
  if (const ReadStatus status = parse_optional_part(reading, workbook_rels.find_type("styles"), styles);
      status != ReadStatus::ok)
    return status;
  styles.finish_look();
  formats = StyleFormats(styles.style_format_codes());
  grid.style_formats() = styles.style_number_formats();
  // Typed cells whose style lies past the list refer to this one.
  grid.style_formats().push_back({0, ""});
  return ReadStatus::ok;
}

// The theme part, whole, when it is well-formed XML of at most
// kMaxThemeBytes; else none (the look goes on without it).
void read_theme(Reading& reading, const RelationshipsHandler& workbook_rels, std::string& theme) {
  const Relationship* part = workbook_rels.find_type("theme");
  if (!part || !reading.archive.contains(part->target) || reading.archive.declared_size(part->target) > kMaxThemeBytes)
    return;
  struct WellFormed final : xml::Handler {
    void start(xml::Name, const xml::Attributes&) override {}
    void end(xml::Name) override {}
  } checker;
  xml::Parser parser(checker, reading.limits, &reading.budget);
  std::string bytes;
  bool whole = false;
  SinkOf sink([&](const char* data, std::size_t size, bool last) {
    if (bytes.size() + size > kMaxThemeBytes) return false;
    bytes.append(data, size);
    whole = last;
    return parser.feed(data, size, last);
  });
  if (stream_part(reading, part->target, PartThread::this_one, sink) == ReadStatus::ok && whole &&
      parser.status() == ReadStatus::ok)
    theme = std::move(bytes);
}

// Once the worksheet is read: its links' targets from its relationships
// (external ones; a missing one, or a damaged relationships part, leaves
// the target empty), the print names that belong to it (`position` among
// all sheets), all into `look`.
void finish_look(Reading& reading, const std::string& worksheet_part, const WorkbookHandler& workbook,
                 std::size_t position, WorksheetLook& sheet, Look& look) {
  const std::string rels_part = relationships_part_of(worksheet_part);
  RelationshipsHandler rels(worksheet_part, true);
  if (!sheet.sheet.links.empty() && reading.archive.contains(rels_part) &&
      parse_part(reading, rels_part, rels) == ReadStatus::ok) {
    for (std::size_t i = 0; i < sheet.sheet.links.size(); ++i) {
      const Relationship* target = sheet.link_ids[i].empty() ? nullptr : rels.find_id(sheet.link_ids[i]);
      if (target && target->external) sheet.sheet.links[i].target = target->target;
    }
  }
  sheet.finish_into(look);
  for (const WorkbookHandler::PrintName& name : workbook.print_names()) {
    if (name.sheet < 0 || static_cast<std::size_t>(name.sheet) != position) continue;
    if (name.titles) {
      parse_print_titles(name.formula, look.sheet.print_title_rows, look.sheet.print_title_columns);
    } else {
      parse_print_area(name.formula, look.sheet.print_area);
    }
  }
}

// The shared strings of a workbook. A large part is read on a second
// thread, into an arena of its own, while this one reads the worksheet;
// the sheet's string cells hold their index until both are done. A small
// one, or any without a second thread, is read first, on this thread,
// straight into the grid's arena. Either way our scanner reads the items
// (see shared_strings_scanner.h), and expat alone a part it declines.
class SharedStringsReading {
 public:
  SharedStringsReading(Reading& reading, const Relationship* part) : reading_(reading), part_(part) {
    if (part_ && !reading_.archive.contains(part_->target)) part_ = nullptr;
  }

  // Starts the reading: on a second thread, or here at once.
  ReadStatus start(CellGrid::Storage& storage) {
    if (part_ && reading_.archive.declared_size(part_->target) >= kConcurrentStringsBytes) {
      if (helper_.start() && helper_.hand_off([this] { read_on_second_thread(); })) {
        concurrent_ = true;
        return ReadStatus::ok;
      }
      // No second thread: read first, on this one.
    }
    return read_into(storage, PartThread::this_one);
  }

  // Once the sheet is read: gives every string cell of the grid its text.
  // Cells whose style has a section for texts show their string through it.
  ReadStatus resolve(CellGrid::Storage& storage, const StyleFormats& formats) {
    std::uint32_t base = 0;
    if (concurrent_ && !storage.arena.adopt(own_storage_.arena, base)) return ReadStatus::over_limit;
    std::unique_ptr<NumberFormatter> formatter;  // made for the first such cell
    const TextFormatting formatting = [&](std::string_view text, std::uint32_t style) {
      if (!formatter) formatter = std::make_unique<NumberFormatter>();
      return formatter->format_text(text, formats.code(style));
    };
    return resolve_shared_strings(storage, strings_, base, formatting);
  }

  // Waits for the second thread; its failure, or ok.
  ReadStatus finish() {
    if (!concurrent_) return ReadStatus::ok;
    helper_.wait();
    if (const std::exception_ptr error = helper_.failure()) std::rethrow_exception(error);
    return status_;
  }

 private:
  void read_on_second_thread() { status_ = read_into(own_storage_, PartThread::other); }

  // Our scanner reads the items, expat what lies around them; a part the
  // scanner declines is read again, from its start, by expat alone.
  ReadStatus read_into(CellGrid::Storage& storage, PartThread thread) {
    if (!part_) return ReadStatus::ok;
    bool declined = false;
    const ReadStatus status = scan_part(storage, thread, declined);
    if (!declined) return status;
    SharedStringsHandler shared_strings(storage, reading_.limits.max_shared_strings);
    const ReadStatus parsed = parse_part(reading_, part_->target, shared_strings, thread);
    strings_ = shared_strings.take_strings();
    return parsed;
  }

  ReadStatus scan_part(CellGrid::Storage& storage, PartThread thread, bool& declined) {
    SharedStringsScanner scanner(storage, reading_.limits, reading_.budget);
    SinkOf sink([&scanner](const char* data, std::size_t size, bool last) {
      return scanner.consume(data, size, last);
    });
    const ReadStatus streamed = stream_part(reading_, part_->target, thread, sink);
    declined = scanner.declined();
    if (declined) return ReadStatus::ok;
    if (streamed != ReadStatus::ok) return streamed;
    strings_ = scanner.take_strings();
    return scanner.status();
  }

  Reading& reading_;
  const Relationship* part_;
  CellGrid::Storage own_storage_;
  SharedStringSpans strings_;
  ReadStatus status_ = ReadStatus::ok;
  bool concurrent_ = false;  // read on the second thread, into own_storage_
  HelperThread helper_;      // stopped however the reading is left (declared last: it goes first)
};

ReadStatus read_package(Reading& reading, int index, CellGrid& grid, std::vector<std::string>& sheet_names) {
  Look* const look = grid.look();
  WorkbookParts workbook;
  if (const ReadStatus status = read_workbook_parts(reading, workbook, look != nullptr); status != ReadStatus::ok)
    return status;
  const Relationship* worksheet = nullptr;
  std::size_t position = 0;
  if (const ReadStatus status =
          choose_worksheet(workbook.workbook, *workbook.relationships, index, worksheet, position, sheet_names);
      status != ReadStatus::ok)
    return status;
  StyleFormats formats;
  if (const ReadStatus status = read_styles(reading, *workbook.relationships, grid, formats); status != ReadStatus::ok)
    return status;
  if (look) read_theme(reading, *workbook.relationships, look->book.theme);

  CellGrid::Storage& storage = grid.storage();
  SharedStringsReading strings(reading, workbook.relationships->find_type("sharedStrings"));
  if (const ReadStatus status = strings.start(storage); status != ReadStatus::ok) return status;
  SheetLayout layout;
  std::unique_ptr<WorksheetLook> sheet_look = look ? std::make_unique<WorksheetLook>() : nullptr;
  const SheetReading sheet{reading.limits, reading.budget, formats,         workbook.workbook.date1904(),
                           storage,        layout,         sheet_look.get()};
  const ReadStatus sheet_status = read_worksheet(reading, worksheet->target, sheet);
  if (const ReadStatus status = strings.finish(); status != ReadStatus::ok) return status;
  if (sheet_status != ReadStatus::ok) return sheet_status;
  if (const ReadStatus status = strings.resolve(storage, formats); status != ReadStatus::ok) return status;
  storage.finish();
  grid.merged_ranges() = std::move(layout.merged_ranges);
  grid.column_widths() = std::move(layout.column_widths);
  if (look) finish_look(reading, worksheet->target, workbook.workbook, position, *sheet_look, *look);
  return ReadStatus::ok;
}

}  // namespace

ReadStatus read_xlsx_worksheet(std::string_view file_bytes, int index, CellGrid& grid,
                               std::vector<std::string>& sheet_names, const ReadLimits& limits, ReadCost& cost) {
  std::unique_ptr<ZipArchive> archive;
  xml::MarkupBudget budget(markup_budget_of(file_bytes.size(), limits));
  std::uint64_t sheet_pieces = 0;
  // The cost is told however the read ends, an exception included.
  struct CostNote {
    ReadCost& cost;
    const std::unique_ptr<ZipArchive>& archive;
    const xml::MarkupBudget& budget;
    const std::uint64_t& sheet_pieces;
    ~CostNote() { cost = ReadCost{archive ? archive->inflated_total() : 0, budget.spent(), sheet_pieces}; }
  } note{cost, archive, budget, sheet_pieces};
  ReadStatus status = ZipArchive::open(file_bytes, limits, archive);
  if (status != ReadStatus::ok) return status;
  Reading reading{*archive, limits, budget};
  status = read_package(reading, index, grid, sheet_names);
  sheet_pieces = reading.sheet_pieces;
  return status;
}

}  // namespace sheetlib
