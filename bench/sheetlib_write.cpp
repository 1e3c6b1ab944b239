// Writing speed of the spreadsheet library: a sheet of 100,000 rows of 20
// short strings (ids, repeated Chinese city names, small numbers) written
// cell by cell through the book and saved, against the floor of deflating
// the same sheet XML alone at the writer's compression level.
//
//   bench_sheetlib_write [ROWS [FOLDER]]
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "sheetlib/api/book.h"
#include "sheetlib/write/parts.h"
#include "support/gbk_literal.h"

#ifdef _WIN32
#define PSAPI_VERSION 2
#include <windows.h>
#include <psapi.h>
#else
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double peak_memory_mib() {
#ifdef _WIN32
  PROCESS_MEMORY_COUNTERS counters{};
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
  return static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
#else
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
#endif
}

// Deflates `data` as the writer's zip entries are deflated (raw, level 1)
// and returns the seconds it took, CRC included, since the zip needs one.
double deflate_seconds(const std::string& data, std::size_t& compressed_size) {
  const auto start = Clock::now();
  z_stream stream{};
  deflateInit2(&stream, 1, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&stream, data.size()), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  compressed_size = stream.total_out;
  deflateEnd(&stream);
  volatile uLong crc = crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size()));
  (void)crc;
  return seconds_since(start);
}

}  // namespace

int main(int argc, char** argv) {
  const int rows = argc > 1 ? std::atoi(argv[1]) : 100'000;
  const std::string folder = argc > 2 ? argv[2] : ".";
  constexpr int kColumns = 20;
  const std::string path = folder + "/bench_sheetlib_write.xlsx";

  const char8_t* city_names[] = {u8"北京", u8"上海", u8"广州", u8"深圳", u8"杭州", u8"南京", u8"成都", u8"武汉"};
  std::vector<std::string> cities;
  for (const char8_t* name : city_names) cities.push_back(colsplit::testing::gbk(name));

  // The texts are made before the clock starts: the caller has them ready.
  std::vector<std::string> texts;
  texts.reserve(static_cast<std::size_t>(rows) * kColumns);
  char buffer[32];
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < kColumns; ++column) {
      if (column == 0) {
        std::snprintf(buffer, sizeof buffer, "R%07d", row);
        texts.emplace_back(buffer);
      } else if (column % 5 == 1) {
        texts.push_back(cities[static_cast<std::size_t>(row + column) % cities.size()]);
      } else {
        std::snprintf(buffer, sizeof buffer, "%d", (row * 7 + column * 13) % 1000);
        texts.emplace_back(buffer);
      }
    }
  }

  const double input_mib = peak_memory_mib();
  SheetlibBook book;
  const auto write_start = Clock::now();
  SheetlibSheet* sheet = sheetlib::insert_sheet(book, 0, "Sheet1", nullptr);
  SheetlibFormat* format = sheetlib::add_format(book, nullptr);
  sheetlib::set_border(*format, 1);
  std::size_t next = 0;
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < kColumns; ++column) {
      sheetlib::write_text(*sheet, row, column, texts[next++].c_str(), format);
    }
  }
  sheetlib::add_ignored_errors(*sheet, 0, 0, rows + 1, kColumns + 1, 255);
  sheetlib::set_columns(*sheet, 0, kColumns, 20.0, nullptr, false);
  const double write_seconds = seconds_since(write_start);
  const double written_mib = peak_memory_mib();
  const auto save_start = Clock::now();
  const bool saved = sheetlib::save_book(book, path.c_str());
  const double save_seconds = seconds_since(save_start);
  const double total_seconds = write_seconds + save_seconds;
  // Before the floor's own copy of the XML is made.
  const double peak_mib = peak_memory_mib();

  // The floor: deflating the sheet part alone, the one cost no writer avoids.
  const std::string sheet_xml = sheetlib::worksheet_part(sheet->content, true);
  std::size_t compressed = 0;
  const double floor_seconds = deflate_seconds(sheet_xml, compressed);

  const double cells = static_cast<double>(rows) * kColumns;
  std::printf("cells written:           %.0f (%d rows x %d columns), saved: %s\n", cells, rows, kColumns,
              saved ? "yes" : "NO");
  std::printf("write calls:             %.3f s\n", write_seconds);
  std::printf("save (parts, zip, disk): %.3f s\n", save_seconds);
  std::printf("write cells/s:           %.0f\n", cells / total_seconds);
  std::printf("floor cells/s:           %.0f (deflating the %.1f MB sheet XML at level 1: %.3f s, %.1f MB)\n",
              cells / floor_seconds, static_cast<double>(sheet_xml.size()) / 1e6, floor_seconds,
              static_cast<double>(compressed) / 1e6);
  std::printf("distinct strings:        %zu\n", book.strings.size());
  std::printf("peak memory:             %.1f MiB: %.1f for the %d input texts, %.1f more for the book, "
              "%.1f more while saving\n",
              peak_mib, input_mib, rows * kColumns, written_mib - input_mib, peak_mib - written_mib);
  std::remove(path.c_str());
  return saved ? 0 : 1;
}
