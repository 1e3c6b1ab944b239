// .xls workbooks assembled by the tests, the fuzz target and the benchmark:
// BIFF8 records, workbook streams around them and compound files around
// the streams, each laid out so that a test can then damage any part.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace sheetlib::testing {

// Little-endian bytes.
std::string u16le(std::uint16_t value);
std::string u32le(std::uint32_t value);
std::string f64le(double value);

// One record: type, length, data.
std::string biff(std::uint16_t type, std::string_view data);

// Characters as a record stores them: UTF-16LE, or compressed (one byte each,
// for characters below U+0100).
std::string utf16_bytes(std::u16string_view text);
std::string compressed_bytes(std::u16string_view text);
// A whole string: count (two bytes), flags, characters; compressed when every
// character allows it.
std::string xl_string(std::u16string_view text);
// The same with a one-byte count, as sheet names are stored.
std::string xl_short_string(std::u16string_view text);

// Records. Rows and columns are zero-based; xf is the index of an XF record.
std::string bof(std::uint16_t substream, std::uint16_t version = 0x0600);
std::string eof();
std::string label_sst(std::uint16_t row, std::uint16_t column, std::uint32_t index, std::uint16_t xf = 0);
std::string label(std::uint16_t row, std::uint16_t column, std::u16string_view text, std::uint16_t xf = 0);
std::string number(std::uint16_t row, std::uint16_t column, double value, std::uint16_t xf = 0);
std::string rk(std::uint16_t row, std::uint16_t column, std::uint32_t rk_value, std::uint16_t xf = 0);
std::string mulrk(std::uint16_t row, std::uint16_t first_column, const std::vector<std::uint32_t>& rk_values,
                  std::uint16_t xf = 0);
std::string boolerr(std::uint16_t row, std::uint16_t column, std::uint8_t value, bool error, std::uint16_t xf = 0);
std::string blank(std::uint16_t row, std::uint16_t column, std::uint16_t xf = 0);
std::string formula_number(std::uint16_t row, std::uint16_t column, double value, std::uint16_t xf = 0);
// A formula whose cached result is not a number: kind 0 text (a STRING
// record follows), 1 boolean, 2 error, 3 empty text; `value` the boolean or
// error code.
std::string formula_special(std::uint16_t row, std::uint16_t column, std::uint8_t kind, std::uint8_t value = 0,
                            std::uint16_t xf = 0);
std::string string_result(std::u16string_view text);
std::string format_record(std::uint16_t id, std::u16string_view code);
std::string xf_record(std::uint16_t format_id);
// MERGEDCELLS of ranges {first row, last row, first column, last column},
// declaring `declared` of them (their number unless given).
std::string merged_cells(const std::vector<std::vector<std::uint16_t>>& ranges, int declared = -1);
// COLINFO: columns first … last `width` 1/256 characters wide.
std::string colinfo(std::uint16_t first, std::uint16_t last, std::uint16_t width, bool hidden = false);
// An SST record declaring `unique` strings, and CONTINUE records as the
// strings need them (each string whole in one record).
std::string sst(const std::vector<std::u16string>& strings, std::uint32_t unique);
std::string sst(const std::vector<std::u16string>& strings);

// The sheet types of BOUNDSHEET.
constexpr std::uint8_t kWorksheetSheet = 0;
constexpr std::uint8_t kMacroSheet = 1;
constexpr std::uint8_t kChartSheet = 2;
// Substream types of BOF.
constexpr std::uint16_t kGlobalsSubstream = 0x0005;
constexpr std::uint16_t kWorksheetSubstream = 0x0010;
constexpr std::uint16_t kChartSubstream = 0x0020;
constexpr std::uint16_t kMacroSubstream = 0x0040;

struct SheetSpec {
  std::string records;  // between the sheet's BOF and EOF
  std::uint8_t sheet_type = kWorksheetSheet;
  std::uint16_t substream = kWorksheetSubstream;
  std::u16string name = {};  // empty: Sheet1, Sheet2, … by position
};

// A workbook stream: the globals (BOF, `globals` records, one BOUNDSHEET per
// sheet pointing at its BOF, EOF), then the sheets.
std::string workbook_stream(const std::string& globals, const std::vector<SheetSpec>& sheets);
// One worksheet holding `cells`.
std::string one_sheet_stream(const std::string& cells, const std::string& globals = "");

// Excel 5.0/95 (BIFF5): strings are bytes of the workbook's code page
// after their count, without flags byte. A string with a two-byte count
// (one when `short_count`).
std::string byte_string(std::string_view bytes, bool short_count = false);
std::string label5(std::uint16_t row, std::uint16_t column, std::string_view bytes, std::uint16_t xf = 0);
// RSTRING: the label followed by `runs` formatting runs (one-byte count).
std::string rstring5(std::uint16_t row, std::uint16_t column, std::string_view bytes, std::uint8_t runs = 1);
std::string string_result5(std::string_view bytes);
std::string format_record5(std::uint16_t id, std::string_view code);
std::string codepage(std::uint16_t code_page);
// A BIFF5 workbook stream: BOFs of version 0x0500, the globals, then one
// worksheet per {name bytes, records between its BOF and EOF}.
std::string biff5_workbook_stream(const std::string& globals,
                                  const std::vector<std::pair<std::string, std::string>>& sheets);

// A password to open, as Excel writes it: XOR obfuscation (BIFF8's or,
// with `biff5`, Excel 95's record), RC4 with MD5 keys, RC4 with SHA-1 keys
// of 40 or 128 bits (CryptoAPI).
enum class Encryption { xor_obfuscation, rc4, cryptoapi_40, cryptoapi_128 };
// The FILEPASS record for the password, to go first among the globals.
std::string file_pass(Encryption method, std::string_view password, bool biff5 = false);
// The workbook stream, whose globals hold that FILEPASS record, with the
// records after it encrypted (BOF, FILEPASS and the records Excel leaves
// readable, and BOUNDSHEET's sheet offsets, stay plain).
std::string encrypt_stream(const std::string& stream, Encryption method, std::string_view password);

struct CompoundOptions {
  unsigned sector_shift = 9;  // 12: version 4, 4,096-byte sectors
  // Streams in regular sectors get their sectors in reverse order, so that
  // no stream lies in one run.
  bool scatter = false;
};

// A compound file of streams in its root storage, with where its parts lie.
struct CompoundFile {
  std::string bytes;
  std::uint32_t sector_size = 512;
  std::vector<std::uint32_t> fat_sectors;
  std::vector<std::uint32_t> difat_sectors;
  std::uint32_t directory_start = 0;
  std::uint32_t mini_fat_start = 0;
  std::map<std::string, std::uint32_t> stream_starts;  // first sector (mini sector for small ones)

  std::size_t sector_offset(std::uint32_t sector) const { return (std::size_t{sector} + 1) * sector_size; }
  std::uint32_t fat(std::uint32_t sector) const;
  void set_fat(std::uint32_t sector, std::uint32_t next);
  // The byte offset of directory entry `index`.
  std::size_t entry_offset(std::uint32_t index) const;
};

CompoundFile make_compound_file(const std::vector<std::pair<std::string, std::string>>& streams,
                                const CompoundOptions& options = {});

// A compound file with one stream named "Workbook".
std::string make_xls(const std::string& workbook_stream, const CompoundOptions& options = {});

}  // namespace sheetlib::testing
