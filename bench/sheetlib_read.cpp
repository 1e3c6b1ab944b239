// Reading speed of the workbook reader on a 100,000 × 20 sheet of short
// strings and numbers, beside two floors measured in the same run: only
// inflating the parts, and only parsing the inflated parts with expat; and
// the worksheet part alone, in memory, read by expat with the worksheet
// handler and by the cell scanner (with expat around its rows). Then
// the same cells as .xls beside .xlsx: an .xls sheet holds at most 65,536
// rows, so at 65,536 × 20 and at 50,000 × 40 (the 2 million cells of the
// first sheet). Last, the shared strings part of the split benchmark's
// workbook (or of the one COLSPLIT_STRINGS_WORKBOOK names) alone, in
// memory, read by expat with the handler and by the shared strings scanner.
#include <expat.h>
#include <zip.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "fixtures/split_workbook.h"
#include "sheetlib/api/worksheet_reading.h"
#include "sheetlib/read/cell_scanner.h"
#include "sheetlib/read/shared_strings_part.h"
#include "sheetlib/read/shared_strings_scanner.h"
#include "sheetlib/read/worksheet_part.h"
#include "sheetlib/read/xml_stream.h"
#include "sheetlib/read/zip_archive.h"
#include "sheetlib/xls/xls_maker.h"
#include "xl/library_calls.h"
#include "xl/workbook_provisioning.h"

namespace {

struct SheetSize {
  int rows;
  int columns;
};
constexpr SheetSize kSheet{100'000, 20};
constexpr SheetSize kXlsSheets[] = {{65'536, 20}, {50'000, 40}};
constexpr int kUniqueStrings = 5'000;
constexpr int kRuns = 3;

const char kMain[] = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const char kTypes[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

std::string column_name(int column) {
  std::string name;
  for (int c = column + 1; c > 0; c = (c - 1) / 26) name.insert(name.begin(), static_cast<char>('A' + (c - 1) % 26));
  return name;
}

// Even columns hold shared strings (by index), odd ones numbers: integers,
// and decimals of two places at most. `visit(row, column, text_index,
// number_text)` sees every cell in order.
template <typename Visit>
void for_each_cell(SheetSize size, Visit&& visit) {
  unsigned seed = 12345;
  for (int r = 0; r < size.rows; ++r) {
    for (int c = 0; c < size.columns; ++c) {
      seed = seed * 1103515245u + 12345u;
      if (c % 2 == 0) {
        visit(r, c, static_cast<int>((seed >> 8) % kUniqueStrings), std::string());
      } else if (c % 4 == 1) {
        visit(r, c, -1, std::to_string((seed >> 8) % 100000));
      } else {
        visit(r, c, -1, std::to_string((seed >> 8) % 10000) + "." + std::to_string((seed >> 4) % 100));
      }
    }
  }
}

std::string make_sheet(SheetSize size) {
  std::string xml = std::string("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<worksheet xmlns=\"") +
                    kMain + "\"><dimension ref=\"A1:" + column_name(size.columns - 1) + std::to_string(size.rows) +
                    "\"/><sheetData>";
  std::vector<std::string> columns;
  for (int c = 0; c < size.columns; ++c) columns.push_back(column_name(c));
  const std::string spans = "\" spans=\"1:" + std::to_string(size.columns) + "\">";
  std::string row;
  for_each_cell(size, [&](int r, int c, int text_index, const std::string& number_text) {
    if (c == 0) {
      if (r > 0) xml += "</row>";
      row = std::to_string(r + 1);
      xml += "<row r=\"" + row + spans;
    }
    xml += "<c r=\"" + columns[static_cast<std::size_t>(c)] + row + "\"";
    if (text_index >= 0) {
      xml += " t=\"s\"><v>" + std::to_string(text_index) + "</v></c>";
    } else {
      xml += "><v>" + number_text + "</v></c>";
    }
  });
  return xml + "</row></sheetData></worksheet>";
}

// The same cells as BIFF8 records, as Excel stores numbers: an integer or a
// number of hundredths that fits 30 bits as RK, any other as NUMBER.
std::string make_xls_file(SheetSize size) {
  using namespace sheetlib::testing;
  std::vector<std::u16string> texts;
  for (int i = 0; i < kUniqueStrings; ++i) {
    const std::string text = "item " + std::to_string(i);
    texts.emplace_back(text.begin(), text.end());
  }
  std::string cells;
  for_each_cell(size, [&](int r, int c, int text_index, const std::string& number_text) {
    const auto row = static_cast<std::uint16_t>(r), column = static_cast<std::uint16_t>(c);
    if (text_index >= 0) {
      cells += label_sst(row, column, static_cast<std::uint32_t>(text_index));
      return;
    }
    const double value = std::strtod(number_text.c_str(), nullptr);
    const double hundredths = value * 100;
    if (value == std::floor(value) && std::fabs(value) < (1 << 29)) {
      cells += rk(row, column, static_cast<std::uint32_t>(static_cast<std::int32_t>(value)) << 2 | 2u);
    } else if (hundredths == std::floor(hundredths) && std::fabs(hundredths) < (1 << 29) &&
               std::floor(hundredths) / 100 == value) {
      cells += rk(row, column, static_cast<std::uint32_t>(static_cast<std::int32_t>(hundredths)) << 2 | 3u);
    } else {
      cells += number(row, column, value);
    }
  });
  return make_xls(one_sheet_stream(cells, xf_record(0) + sst(texts)));
}

std::string make_shared_strings() {
  std::string xml = std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<sst xmlns=\"") + kMain + "\">";
  for (int i = 0; i < kUniqueStrings; ++i) xml += "<si><t>item " + std::to_string(i) + "</t></si>";
  return xml + "</sst>";
}

std::string make_workbook_file(SheetSize size) {
  const std::vector<std::pair<std::string, std::string>> parts = {
      {"[Content_Types].xml", "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>"},
      {"_rels/.rels", std::string("<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                                  "relationships\"><Relationship Id=\"rId1\" Type=\"") +
                          kTypes + "officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"},
      {"xl/workbook.xml", std::string("<workbook xmlns=\"") + kMain +
                              "\" xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
                              "<sheets><sheet name=\"S\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
      {"xl/_rels/workbook.xml.rels",
       std::string("<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                   "<Relationship Id=\"rId1\" Type=\"") +
           kTypes + "worksheet\" Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"rId2\" Type=\"" + kTypes +
           "sharedStrings\" Target=\"sharedStrings.xml\"/></Relationships>"},
      {"xl/sharedStrings.xml", make_shared_strings()},
      {"xl/worksheets/sheet1.xml", make_sheet(size)},
  };
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
  zip_source_keep(buffer);
  zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
  for (const auto& [name, data] : parts)
    zip_file_add(archive, name.c_str(), zip_source_buffer(archive, data.data(), data.size(), 0), 0);
  zip_close(archive);
  std::string bytes;
  zip_source_open(buffer);
  zip_source_seek(buffer, 0, SEEK_END);
  bytes.resize(static_cast<std::size_t>(zip_source_tell(buffer)));
  zip_source_seek(buffer, 0, SEEK_SET);
  zip_source_read(buffer, bytes.data(), bytes.size());
  zip_source_close(buffer);
  zip_source_free(buffer);
  return bytes;
}

const std::vector<std::string> kPartNames = {"_rels/.rels", "xl/workbook.xml", "xl/_rels/workbook.xml.rels",
                                             "xl/sharedStrings.xml", "xl/worksheets/sheet1.xml"};

std::vector<std::string> inflate_parts(const std::string& file) {
  std::unique_ptr<sheetlib::ZipArchive> archive;
  sheetlib::ZipArchive::open(file, {}, archive);
  std::vector<std::string> parts;
  std::vector<char> buffer(64 * 1024);
  for (const std::string& name : kPartNames) {
    sheetlib::ReadStatus status;
    auto stream = archive->open_part(name, status);
    std::string part;
    for (std::ptrdiff_t got; (got = stream->read(buffer.data(), buffer.size())) > 0;)
      part.append(buffer.data(), static_cast<std::size_t>(got));
    parts.push_back(std::move(part));
  }
  return parts;
}

// Inflates every part the reader reads, keeping nothing.
std::size_t inflate_only(const std::string& file) {
  std::unique_ptr<sheetlib::ZipArchive> archive;
  sheetlib::ZipArchive::open(file, {}, archive);
  std::vector<char> buffer(64 * 1024);
  std::size_t total = 0;
  for (const std::string& name : kPartNames) {
    sheetlib::ReadStatus status;
    auto stream = archive->open_part(name, status);
    for (std::ptrdiff_t got; (got = stream->read(buffer.data(), buffer.size())) > 0;)
      total += static_cast<std::size_t>(got);
  }
  return total;
}

// expat over the inflated parts, with handlers that do nothing (without
// its namespace processing, as the reader runs it).
void parse_only(const std::vector<std::string>& parts) {
  for (const std::string& part : parts) {
    XML_Parser parser = XML_ParserCreate(nullptr);
    XML_SetElementHandler(parser, [](void*, const XML_Char*, const XML_Char**) {}, [](void*, const XML_Char*) {});
    XML_SetCharacterDataHandler(parser, [](void*, const XML_Char*, int) {});
    XML_Parse(parser, part.data(), static_cast<int>(part.size()), XML_TRUE);
    XML_ParserFree(parser);
  }
}

// The processor time of this process: on a machine shared with other work
// it varies less than the wall clock.
double cpu_seconds() {
#ifdef _WIN32
  FILETIME created, ended, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
  const auto ticks = [](const FILETIME& t) { return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
  return static_cast<double>(ticks(kernel) + ticks(user)) / 1e7;
#else
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
#endif
}

struct Timing {
  double wall = 1e30;
  double cpu = 1e30;
};

// The best of a few runs, by wall clock and by processor time.
template <typename F>
Timing best_of_runs(F&& work) {
  Timing best;
  for (int run = 0; run < kRuns; ++run) {
    const auto start = std::chrono::steady_clock::now();
    const double cpu_start = cpu_seconds();
    work();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    best.wall = std::min(best.wall, took.count());
    best.cpu = std::min(best.cpu, cpu_seconds() - cpu_start);
  }
  return best;
}

void print_timing(const char* what, const Timing& timing, double cells) {
  std::printf("%-28s %7.3f s wall %6.2f M cells/s | %7.3f s cpu %6.2f M cells/s\n", what, timing.wall,
              cells / timing.wall / 1e6, timing.cpu, cells / timing.cpu / 1e6);
}

std::string peak_memory() {
#ifdef _WIN32
  // K32GetProcessMemoryInfo lives in kernel32 since Windows 7; looked up by
  // name so that the benchmark needs no psapi import library.
  struct Counters {
    DWORD cb;
    DWORD page_faults;
    SIZE_T peak_working_set, working_set, peak_paged, paged, peak_nonpaged, nonpaged, pagefile, peak_pagefile;
  } counters{};
  counters.cb = sizeof counters;
  using Query = BOOL(WINAPI*)(HANDLE, Counters*, DWORD);
  const auto query = reinterpret_cast<Query>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "K32GetProcessMemoryInfo")));
  if (!query || !query(GetCurrentProcess(), &counters, sizeof counters)) return " (not available)";
  char text[64];
  std::snprintf(text, sizeof text, " %lu kB (peak working set)",
                static_cast<unsigned long>(counters.peak_working_set / 1024));
  return text;
#else
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return line.substr(6);
  return " (not available)";
#endif
}

// The worksheet part, inflated, read on one thread into a fresh cell store:
// by expat and the worksheet handler, or by the cell scanner. False when
// the reading fails or the scanner declines.
bool read_sheet_part(const std::string& part, bool scanning) {
  const sheetlib::ReadLimits limits;
  const sheetlib::StyleFormats styles;
  sheetlib::CellGrid::Storage storage;
  sheetlib::xml::MarkupBudget budget(UINT64_MAX / 2);
  sheetlib::WorksheetHandler handler(storage, styles, false);
  if (scanning) {
    bool declined = true;
    return sheetlib::read_worksheet_scanning(part, limits, budget, handler, declined) == sheetlib::ReadStatus::ok &&
           !declined;
  }
  sheetlib::xml::Parser parser(handler, limits, &budget);
  return parser.feed(part.data(), part.size(), true);
}

}  // namespace

// Starts a new high-water mark of the resident memory (Linux 4.0 and
// later), so that the peak shown is that of reading, not of making the file.
void reset_peak_memory() {
#ifndef _WIN32
  std::ofstream("/proc/self/clear_refs") << "5";
#endif
}

// Reads the file into a grid; false when it does not read as a sheet of this size.
bool read_once(const std::string& file, SheetSize size) {
  sheetlib::CellGrid grid;
  return sheetlib::read_first_worksheet(file, grid) == sheetlib::ReadStatus::ok && grid.row_extent() == size.rows &&
         grid.column_extent() == size.columns;
}

// The same sheet as .xlsx and as .xls, read in turn.
bool compare_formats(SheetSize size) {
  const std::string xlsx = make_workbook_file(size);
  const std::string xls = make_xls_file(size);
  const double cells = static_cast<double>(size.rows) * size.columns;
  bool ok = true;
  const Timing xlsx_reading = best_of_runs([&] { ok = read_once(xlsx, size) && ok; });
  const Timing xls_reading = best_of_runs([&] { ok = read_once(xls, size) && ok; });
  if (!ok) {
    std::printf("%d x %d: a read failed\n", size.rows, size.columns);
    return false;
  }
  // Both must show the same texts, or the comparison is of different work.
  sheetlib::CellGrid from_xlsx, from_xls;
  sheetlib::read_first_worksheet(xlsx, from_xlsx);
  sheetlib::read_first_worksheet(xls, from_xls);
  long differing = 0;
  for (int r = 0; r < size.rows; ++r)
    for (int c = 0; c < size.columns; ++c) differing += from_xlsx.text(r, c) != from_xls.text(r, c);
  if (differing > 0) {
    std::printf("%d x %d: %ld cells show differently in the two formats\n", size.rows, size.columns, differing);
    return false;
  }
  std::printf("%d x %d cells: .xlsx %.1f MB, .xls %.1f MB\n", size.rows, size.columns, xlsx.size() / 1e6,
              xls.size() / 1e6);
  print_timing("  .xlsx:", xlsx_reading, cells);
  print_timing("  .xls:", xls_reading, cells);
  return true;
}

// The workbook of `bench_split_workbooks make FILE 100000 20 100`, made the
// same way (through the library's writer): a heading row, then in the first
// column one of 100 values and in the others short texts ("r7c3") and
// numbers as text, nearly all of them distinct. Its shared strings part is
// about 45 MB.
std::string make_split_workbook() {
  const std::filesystem::path path = std::filesystem::temp_directory_path() / "colsplit_bench_split_strings.xlsx";
  const bool saved = colsplit::bench::make_split_workbook(path.string(), 100'000, 20, 100);
  if (!saved) return {};
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::filesystem::remove(path);
  return bytes;
}

std::string inflate_part(const std::string& file, const std::string& name) {
  std::unique_ptr<sheetlib::ZipArchive> archive;
  if (sheetlib::ZipArchive::open(file, {}, archive) != sheetlib::ReadStatus::ok) return {};
  sheetlib::ReadStatus status;
  const auto stream = archive->open_part(name, status);
  if (!stream) return {};
  std::string part;
  std::vector<char> buffer(64 * 1024);
  for (std::ptrdiff_t got; (got = stream->read(buffer.data(), buffer.size())) > 0;)
    part.append(buffer.data(), static_cast<std::size_t>(got));
  return part;
}

// The shared strings part read into a fresh arena, in pieces of 256 KiB as
// the read-ahead hands them: by expat and the handler, or by the scanner.
// The count of strings, or -1 when the reading fails or the scanner declines.
long read_strings_part(const std::string& part, bool scanning) {
  constexpr std::size_t kPiece = 256 * 1024;
  const sheetlib::ReadLimits limits;
  sheetlib::CellGrid::Storage storage;
  sheetlib::xml::MarkupBudget budget(UINT64_MAX / 2);
  sheetlib::SharedStringsHandler handler(storage, limits.max_shared_strings);
  sheetlib::SharedStringsScanner scanner(storage, limits, budget);
  sheetlib::xml::Parser parser(handler, limits, &budget);
  for (std::size_t at = 0;; at += kPiece) {
    const std::size_t size = std::min(kPiece, part.size() - std::min(at, part.size()));
    const bool last = at + size >= part.size();
    const char* piece = part.data() + at;
    const bool going = scanning ? scanner.consume(piece, size, last) : parser.feed(piece, size, last);
    if (!going) return -1;
    if (last) break;
  }
  if (!scanning) return static_cast<long>(handler.take_strings().size());
  return scanner.status() == sheetlib::ReadStatus::ok ? static_cast<long>(scanner.take_strings().size()) : -1;
}

void print_speed(const char* what, const Timing& timing, double bytes) {
  std::printf("%-28s %7.3f s wall %7.1f MB/s | %7.3f s cpu %7.1f MB/s\n", what, timing.wall, bytes / timing.wall / 1e6,
              timing.cpu, bytes / timing.cpu / 1e6);
}

// COLSPLIT_STRINGS_WORKBOOK names another workbook to take the part from.
bool compare_strings_readers() {
  const char* named = std::getenv("COLSPLIT_STRINGS_WORKBOOK");
  std::string file;
  if (named) {
    std::ifstream in(named, std::ios::binary);
    file.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  } else {
    file = make_split_workbook();
  }
  const std::string part = inflate_part(file, "xl/sharedStrings.xml");
  if (part.empty()) {
    std::printf("no shared strings part in %s\n", named ? named : "the split benchmark's workbook");
    return false;
  }
  long by_expat = 0, by_scanner = 0;
  const Timing expat = best_of_runs([&] { by_expat = read_strings_part(part, false); });
  const Timing scanner = best_of_runs([&] { by_scanner = read_strings_part(part, true); });
  if (by_expat < 0 || by_scanner != by_expat) {
    std::printf("the shared strings readings differ (expat %ld strings, scanner %ld)\n", by_expat, by_scanner);
    return false;
  }
  std::printf("\nthe shared strings part alone (%s: %.1f MB, %ld strings, in memory, one thread):\n",
              named ? named : "bench_split_workbooks make … 100000 20 100", part.size() / 1e6, by_expat);
  print_speed("  expat + handler:", expat, static_cast<double>(part.size()));
  print_speed("  shared strings scanner:", scanner, static_cast<double>(part.size()));
  return true;
}

int main() {
  const SheetSize size = kSheet;
  const std::string file = make_workbook_file(size);
  const double cells = static_cast<double>(size.rows) * size.columns;

  reset_peak_memory();
  sheetlib::ReadStatus status = sheetlib::ReadStatus::ok;
  int extent = 0;
  const Timing reading = best_of_runs([&] {
    sheetlib::CellGrid grid;
    status = sheetlib::read_first_worksheet(file, grid);
    extent = grid.row_extent();
  });
  if (status != sheetlib::ReadStatus::ok || extent != size.rows) {
    std::printf("read failed (status %d, %d rows)\n", static_cast<int>(status), extent);
    return 1;
  }
  const std::string peak = peak_memory();

  const std::vector<std::string> parts = inflate_parts(file);
  std::size_t inflated = 0;
  for (const std::string& part : parts) inflated += part.size();
  std::printf("workbook: %d x %d cells, %.1f MB zipped, %.1f MB of XML\n", size.rows, size.columns, file.size() / 1e6,
              inflated / 1e6);
  const Timing inflating = best_of_runs([&] { inflate_only(file); });
  const Timing parsing = best_of_runs([&] { parse_only(parts); });
  print_timing("floor, inflating only:", inflating, cells);
  print_timing("floor, expat parsing only:", parsing, cells);
  print_timing("floor, inflating + parsing:", {inflating.wall + parsing.wall, inflating.cpu + parsing.cpu}, cells);
  print_timing("read_first_worksheet:", reading, cells);

  // The worksheet part alone (the last of kPartNames), already inflated.
  const std::vector<std::string> sheet_part = {parts.back()};
  bool sheet_ok = true;
  const Timing sheet_expat = best_of_runs([&] { parse_only(sheet_part); });
  const Timing sheet_handler = best_of_runs([&] { sheet_ok = read_sheet_part(sheet_part[0], false) && sheet_ok; });
  const Timing sheet_scanner = best_of_runs([&] { sheet_ok = read_sheet_part(sheet_part[0], true) && sheet_ok; });
  if (!sheet_ok) {
    std::printf("reading the worksheet part failed, or the scanner declined it\n");
    return 1;
  }
  std::printf("the worksheet part alone (%.1f MB, in memory, one thread):\n", sheet_part[0].size() / 1e6);
  print_timing("  expat, no handler:", sheet_expat, cells);
  print_timing("  expat + handler:", sheet_handler, cells);
  print_timing("  cell scanner + cells:", sheet_scanner, cells);
  std::printf("goal: 3 M cells/s for read_first_worksheet\n");
  std::printf("peak memory while reading:%s (the file's bytes included)\n", peak.c_str());

  std::printf("\nthe same cells as .xls and .xlsx (goal: .xls at least as many cells/s):\n");
  for (const SheetSize xls_size : kXlsSheets)
    if (!compare_formats(xls_size)) return 1;
  return compare_strings_readers() ? 0 : 1;
}
