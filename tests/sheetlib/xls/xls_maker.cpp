#include "xls_maker.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "sheetlib/crypto/hashes_and_ciphers.h"
#include "sheetlib/xls/xor_obfuscation.h"

namespace sheetlib::testing {

namespace {

constexpr std::uint32_t kFree = 0xFFFFFFFF;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFatSector = 0xFFFFFFFD;
constexpr std::uint32_t kDifatSector = 0xFFFFFFFC;
constexpr std::uint32_t kNoEntry = 0xFFFFFFFF;
constexpr std::size_t kMiniCutoff = 4096;
constexpr std::size_t kMiniSector = 64;
constexpr std::size_t kEntryBytes = 128;
constexpr std::size_t kHeaderFatSectors = 109;

bool compressible(std::u16string_view text) {
  for (const char16_t c : text)
    if (c > 0xFF) return false;
  return true;
}

std::string row_column_xf(std::uint16_t row, std::uint16_t column, std::uint16_t xf) {
  return u16le(row) + u16le(column) + u16le(xf);
}

std::string directory_entry(const std::string& name, std::uint8_t type, std::uint32_t left, std::uint32_t right,
                            std::uint32_t child, std::uint32_t start, std::uint64_t size) {
  std::string entry(kEntryBytes, '\0');
  for (std::size_t i = 0; i < name.size() && i < 31; ++i) entry[2 * i] = name[i];
  const std::uint16_t name_bytes = name.empty() ? 0 : static_cast<std::uint16_t>((name.size() + 1) * 2);
  entry.replace(64, 2, u16le(name_bytes));
  entry[66] = static_cast<char>(type);
  entry[67] = 1;  // black
  entry.replace(68, 4, u32le(left));
  entry.replace(72, 4, u32le(right));
  entry.replace(76, 4, u32le(child));
  entry.replace(116, 4, u32le(start));
  entry.replace(120, 4, u32le(static_cast<std::uint32_t>(size)));
  entry.replace(124, 4, u32le(static_cast<std::uint32_t>(size >> 32)));
  return entry;
}

}  // namespace

std::string u16le(std::uint16_t value) {
  return std::string{static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

std::string u32le(std::uint32_t value) { return u16le(static_cast<std::uint16_t>(value)) + u16le(value >> 16); }

std::string f64le(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return u32le(static_cast<std::uint32_t>(bits)) + u32le(static_cast<std::uint32_t>(bits >> 32));
}

std::string biff(std::uint16_t type, std::string_view data) {
  return u16le(type) + u16le(static_cast<std::uint16_t>(data.size())) + std::string(data);
}

std::string utf16_bytes(std::u16string_view text) {
  std::string out;
  for (const char16_t c : text) out += u16le(c);
  return out;
}

std::string compressed_bytes(std::u16string_view text) {
  std::string out;
  for (const char16_t c : text) out += static_cast<char>(c);
  return out;
}

std::string xl_string(std::u16string_view text) {
  const bool compressed = compressible(text);
  return u16le(static_cast<std::uint16_t>(text.size())) + std::string(1, compressed ? '\0' : '\1') +
         (compressed ? compressed_bytes(text) : utf16_bytes(text));
}

std::string xl_short_string(std::u16string_view text) {
  return std::string(1, static_cast<char>(text.size())) + xl_string(text).substr(2);
}

std::string bof(std::uint16_t substream, std::uint16_t version) {
  return biff(0x0809, u16le(version) + u16le(substream) + u16le(0x0DBB) + u16le(0x07CC) + u32le(0) + u32le(6));
}

std::string eof() { return biff(0x000A, ""); }

std::string label_sst(std::uint16_t row, std::uint16_t column, std::uint32_t index, std::uint16_t xf) {
  return biff(0x00FD, row_column_xf(row, column, xf) + u32le(index));
}

std::string label(std::uint16_t row, std::uint16_t column, std::u16string_view text, std::uint16_t xf) {
  return biff(0x0204, row_column_xf(row, column, xf) + xl_string(text));
}

std::string number(std::uint16_t row, std::uint16_t column, double value, std::uint16_t xf) {
  return biff(0x0203, row_column_xf(row, column, xf) + f64le(value));
}

std::string rk(std::uint16_t row, std::uint16_t column, std::uint32_t rk_value, std::uint16_t xf) {
  return biff(0x027E, row_column_xf(row, column, xf) + u32le(rk_value));
}

std::string mulrk(std::uint16_t row, std::uint16_t first_column, const std::vector<std::uint32_t>& rk_values,
                  std::uint16_t xf) {
  std::string data = u16le(row) + u16le(first_column);
  for (const std::uint32_t value : rk_values) data += u16le(xf) + u32le(value);
  data += u16le(static_cast<std::uint16_t>(first_column + rk_values.size() - 1));
  return biff(0x00BD, data);
}

std::string boolerr(std::uint16_t row, std::uint16_t column, std::uint8_t value, bool error, std::uint16_t xf) {
  return biff(0x0205, row_column_xf(row, column, xf) + std::string{static_cast<char>(value), error ? '\1' : '\0'});
}

std::string blank(std::uint16_t row, std::uint16_t column, std::uint16_t xf) {
  return biff(0x0201, row_column_xf(row, column, xf));
}

namespace {

// A formula record with the cached result given as its eight bytes and an
// empty formula.
std::string formula_with_result(std::uint16_t row, std::uint16_t column, const std::string& result,
                                std::uint16_t xf) {
  return biff(0x0006, row_column_xf(row, column, xf) + result + u16le(0) + u32le(0) + u16le(0));
}

}  // namespace

std::string formula_number(std::uint16_t row, std::uint16_t column, double value, std::uint16_t xf) {
  return formula_with_result(row, column, f64le(value), xf);
}

std::string formula_special(std::uint16_t row, std::uint16_t column, std::uint8_t kind, std::uint8_t value,
                            std::uint16_t xf) {
  const std::string result{static_cast<char>(kind), '\0', static_cast<char>(value), '\0', '\0', '\0',
                           '\xFF', '\xFF'};
  return formula_with_result(row, column, result, xf);
}

std::string string_result(std::u16string_view text) { return biff(0x0207, xl_string(text)); }

std::string format_record(std::uint16_t id, std::u16string_view code) {
  return biff(0x041E, u16le(id) + xl_string(code));
}

std::string xf_record(std::uint16_t format_id) {
  return biff(0x00E0, u16le(0) + u16le(format_id) + std::string(16, '\0'));
}

std::string merged_cells(const std::vector<std::vector<std::uint16_t>>& ranges, int declared) {
  std::string data = u16le(static_cast<std::uint16_t>(declared < 0 ? ranges.size() : static_cast<std::size_t>(declared)));
  for (const std::vector<std::uint16_t>& range : ranges)
    for (const std::uint16_t bound : range) data += u16le(bound);
  return biff(0x00E5, data);
}

std::string colinfo(std::uint16_t first, std::uint16_t last, std::uint16_t width, bool hidden) {
  return biff(0x007D, u16le(first) + u16le(last) + u16le(width) + u16le(15) + u16le(hidden ? 1 : 0) + u16le(0));
}

std::string sst(const std::vector<std::u16string>& strings, std::uint32_t unique) {
  // A record holds at most 8,224 bytes: the table goes on in CONTINUE
  // records, here cut between two strings.
  constexpr std::size_t kMostData = 8224;
  std::string records;
  std::uint16_t type = 0x00FC;
  std::string data = u32le(static_cast<std::uint32_t>(strings.size())) + u32le(unique);
  for (const std::u16string& text : strings) {
    const std::string item = xl_string(text);
    if (data.size() + item.size() > kMostData) {
      records += biff(type, data);
      type = 0x003C;
      data.clear();
    }
    data += item;
  }
  return records + biff(type, data);
}

std::string sst(const std::vector<std::u16string>& strings) {
  return sst(strings, static_cast<std::uint32_t>(strings.size()));
}

std::string workbook_stream(const std::string& globals, const std::vector<SheetSpec>& sheets) {
  const auto boundsheet = [&](std::uint32_t offset, std::size_t index) {
    std::u16string name = sheets[index].name;
    if (name.empty())
      for (const char c : "Sheet" + std::to_string(index + 1)) name += static_cast<char16_t>(c);
    return biff(0x0085, u32le(offset) + std::string{'\0', static_cast<char>(sheets[index].sheet_type)} +
                            xl_short_string(name));
  };
  std::size_t globals_size = bof(kGlobalsSubstream).size() + globals.size() + eof().size();
  for (std::size_t i = 0; i < sheets.size(); ++i) globals_size += boundsheet(0, i).size();
  std::string stream = bof(kGlobalsSubstream) + globals;
  std::string body;
  for (std::size_t i = 0; i < sheets.size(); ++i) {
    stream += boundsheet(static_cast<std::uint32_t>(globals_size + body.size()), i);
    body += bof(sheets[i].substream) + sheets[i].records + eof();
  }
  return stream + eof() + body;
}

std::string one_sheet_stream(const std::string& cells, const std::string& globals) {
  return workbook_stream(globals, {SheetSpec{cells}});
}

std::string byte_string(std::string_view bytes, bool short_count) {
  const std::string count = short_count ? std::string(1, static_cast<char>(bytes.size()))
                                        : u16le(static_cast<std::uint16_t>(bytes.size()));
  return count + std::string(bytes);
}

std::string label5(std::uint16_t row, std::uint16_t column, std::string_view bytes, std::uint16_t xf) {
  return biff(0x0204, row_column_xf(row, column, xf) + byte_string(bytes));
}

std::string rstring5(std::uint16_t row, std::uint16_t column, std::string_view bytes, std::uint8_t runs) {
  return biff(0x00D6, row_column_xf(row, column, 0) + byte_string(bytes) + std::string(1, static_cast<char>(runs)) +
                          std::string(std::size_t{runs} * 2, '\x01'));
}

std::string string_result5(std::string_view bytes) { return biff(0x0207, byte_string(bytes)); }

std::string format_record5(std::uint16_t id, std::string_view code) {
  return biff(0x041E, u16le(id) + byte_string(code, true));
}

std::string codepage(std::uint16_t code_page) { return biff(0x0042, u16le(code_page)); }

std::string biff5_workbook_stream(const std::string& globals,
                                  const std::vector<std::pair<std::string, std::string>>& sheets) {
  const auto boundsheet = [&](std::uint32_t offset, std::size_t index) {
    return biff(0x0085, u32le(offset) + std::string(2, '\0') + byte_string(sheets[index].first, true));
  };
  std::size_t globals_size = bof(kGlobalsSubstream, 0x0500).size() + globals.size() + eof().size();
  for (std::size_t i = 0; i < sheets.size(); ++i) globals_size += boundsheet(0, i).size();
  std::string stream = bof(kGlobalsSubstream, 0x0500) + globals;
  std::string body;
  for (std::size_t i = 0; i < sheets.size(); ++i) {
    stream += boundsheet(static_cast<std::uint32_t>(globals_size + body.size()), i);
    body += bof(kWorksheetSubstream, 0x0500) + sheets[i].second + eof();
  }
  return stream + eof() + body;
}

namespace {

using crypto::Bytes;
using crypto::HashKind;

const std::string kSalt = "0123456789abcdef";
const std::string kVerifier = "a verifier, 16b.";

crypto::ByteView bytes_view(const std::string& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::string text_of(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

std::string utf16_of(std::string_view password) {
  std::string out;
  for (const char c : password) out += std::string{c, '\0'};
  return out;
}

// The RC4 key of a 1,024-byte block.
Bytes rc4_key(Encryption method, std::string_view password, std::uint32_t block) {
  const std::string number = u32le(block);
  if (method == Encryption::rc4) {
    const std::string first = text_of(crypto::digest(HashKind::md5, {bytes_view(utf16_of(password))})).substr(0, 5);
    std::string repeated;
    for (int i = 0; i < 16; ++i) repeated += first + kSalt;
    const std::string second = text_of(crypto::digest(HashKind::md5, {bytes_view(repeated)})).substr(0, 5);
    return crypto::digest(HashKind::md5, {bytes_view(second), bytes_view(number)});
  }
  const Bytes base = crypto::digest(HashKind::sha1, {bytes_view(kSalt), bytes_view(utf16_of(password))});
  Bytes key = crypto::digest(HashKind::sha1, {crypto::view_of(base), bytes_view(number)});
  key.resize(method == Encryption::cryptoapi_40 ? 5 : 16);
  key.resize(16, 0);
  return key;
}

std::string rc4(const Bytes& key, std::string data) {
  crypto::Rc4 cipher(crypto::view_of(key));
  cipher.apply({reinterpret_cast<std::uint8_t*>(data.data()), data.size()});
  return data;
}

bool stays_plain(std::uint16_t type) {
  for (const std::uint16_t plain : {0x0809, 0x002F, 0x0194, 0x0195, 0x00E1, 0x0196, 0x0138})
    if (type == plain) return true;
  return false;
}

}  // namespace

std::string file_pass(Encryption method, std::string_view password, bool biff5) {
  if (method == Encryption::xor_obfuscation) {
    const std::string key = u16le(xls::xor_key(password)) + u16le(xls::xor_password_verifier(password));
    return biff(0x002F, biff5 ? key : u16le(0) + key);
  }
  const HashKind hash = method == Encryption::rc4 ? HashKind::md5 : HashKind::sha1;
  const std::string sealed =
      rc4(rc4_key(method, password, 0), kVerifier + text_of(crypto::digest(hash, {bytes_view(kVerifier)})));
  if (method == Encryption::rc4) return biff(0x002F, u16le(1) + u16le(1) + u16le(1) + kSalt + sealed);
  const std::string provider = utf16_of("Microsoft Enhanced Cryptographic Provider v1.0") + std::string(2, '\0');
  const std::string header = u32le(0x04) + u32le(0) + u32le(0x6801) + u32le(0x8004) +
                             u32le(method == Encryption::cryptoapi_40 ? 40 : 128) + u32le(1) + u32le(0) + u32le(0) +
                             provider;
  return biff(0x002F, u16le(1) + u16le(4) + u16le(2) + u32le(0x04) + u32le(static_cast<std::uint32_t>(header.size())) +
                          header + u32le(16) + kSalt + sealed.substr(0, 16) + u32le(20) + sealed.substr(16));
}

std::string encrypt_stream(const std::string& stream, Encryption method, std::string_view password) {
  std::string out = stream;
  const std::array<std::uint8_t, 16> xor_array = xls::xor_array(password);
  std::string keystream;  // of the block `keyed`
  std::size_t keyed = SIZE_MAX;
  bool after_file_pass = false;
  for (std::size_t at = 0; at + 4 <= stream.size();) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(stream[i]); };
    const std::uint16_t type = static_cast<std::uint16_t>(byte(at) | byte(at + 1) << 8);
    const std::size_t size = byte(at + 2) | byte(at + 3) << 8;
    const std::size_t begin = at + 4 + (type == 0x0085 ? 4 : 0);
    const std::size_t end = at + 4 + size;
    at = end;
    if (!after_file_pass || stays_plain(type)) {
      after_file_pass = after_file_pass || type == 0x002F;
      continue;
    }
    for (std::size_t p = begin; p < end; ++p) {
      if (method == Encryption::xor_obfuscation) {
        const auto rotated = static_cast<std::uint8_t>(byte(p) << 5 | byte(p) >> 3);
        out[p] = static_cast<char>(rotated ^ xor_array[(p + size) % 16]);
        continue;
      }
      if (p / 1024 != keyed) {
        keyed = p / 1024;
        keystream = rc4(rc4_key(method, password, static_cast<std::uint32_t>(keyed)), std::string(1024, '\0'));
      }
      out[p] = static_cast<char>(out[p] ^ keystream[p % 1024]);
    }
  }
  return out;
}

std::uint32_t CompoundFile::fat(std::uint32_t sector) const {
  const std::uint32_t per_sector = sector_size / 4;
  const std::size_t at = sector_offset(fat_sectors[sector / per_sector]) + 4 * (sector % per_sector);
  return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 3])) << 24;
}

void CompoundFile::set_fat(std::uint32_t sector, std::uint32_t next) {
  const std::uint32_t per_sector = sector_size / 4;
  bytes.replace(sector_offset(fat_sectors[sector / per_sector]) + 4 * (sector % per_sector), 4, u32le(next));
}

std::size_t CompoundFile::entry_offset(std::uint32_t index) const {
  return sector_offset(directory_start) + index * kEntryBytes;
}

CompoundFile make_compound_file(const std::vector<std::pair<std::string, std::string>>& streams,
                                const CompoundOptions& options) {
  CompoundFile file;
  file.sector_size = 1u << options.sector_shift;
  const std::size_t sector_size = file.sector_size;
  const std::uint32_t per_sector = file.sector_size / 4;
  std::vector<std::string> sectors;
  std::vector<std::uint32_t> fat;

  // Puts data into new sectors chained in the FAT; the first sector.
  const auto allocate = [&](const std::string& data, bool scatter) -> std::uint32_t {
    if (data.empty()) return kEndOfChain;
    const std::uint32_t count = static_cast<std::uint32_t>((data.size() + sector_size - 1) / sector_size);
    const std::uint32_t base = static_cast<std::uint32_t>(sectors.size());
    sectors.resize(base + count, std::string(sector_size, '\0'));
    fat.resize(base + count, kFree);
    const auto physical = [&](std::uint32_t i) { return scatter ? base + count - 1 - i : base + i; };
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::string piece = data.substr(i * sector_size, sector_size);
      sectors[physical(i)].replace(0, piece.size(), piece);
      fat[physical(i)] = i + 1 < count ? physical(i + 1) : kEndOfChain;
    }
    return physical(0);
  };

  std::string mini_stream;
  std::vector<std::uint32_t> mini_fat;
  std::vector<std::string> entries;
  for (std::size_t i = 0; i < streams.size(); ++i) {
    const auto& [name, data] = streams[i];
    std::uint32_t start = kEndOfChain;
    if (data.size() >= kMiniCutoff) {
      start = allocate(data, options.scatter);
    } else if (!data.empty()) {
      start = static_cast<std::uint32_t>(mini_fat.size());
      const std::uint32_t count = static_cast<std::uint32_t>((data.size() + kMiniSector - 1) / kMiniSector);
      for (std::uint32_t k = 0; k < count; ++k) mini_fat.push_back(k + 1 < count ? start + k + 1 : kEndOfChain);
      std::string padded = data;
      padded.resize(count * kMiniSector, '\0');
      mini_stream += padded;
    }
    file.stream_starts[name] = start;
    const std::uint32_t right = i + 1 < streams.size() ? static_cast<std::uint32_t>(i + 2) : kNoEntry;
    entries.push_back(directory_entry(name, 2, kNoEntry, right, kNoEntry, start, data.size()));
  }
  const std::uint32_t root_start = allocate(mini_stream, false);
  std::string mini_fat_bytes;
  for (const std::uint32_t next : mini_fat) mini_fat_bytes += u32le(next);
  while (mini_fat_bytes.size() % sector_size != 0) mini_fat_bytes += u32le(kFree);
  file.mini_fat_start = allocate(mini_fat_bytes, false);
  const std::uint32_t mini_fat_sectors = static_cast<std::uint32_t>(mini_fat_bytes.size() / sector_size);

  std::string directory = directory_entry("Root Entry", 5, kNoEntry, kNoEntry, streams.empty() ? kNoEntry : 1, root_start,
                              mini_stream.size());
  for (const std::string& entry : entries) directory += entry;
  while (directory.size() % sector_size != 0) directory += directory_entry("", 0, kNoEntry, kNoEntry, kNoEntry, 0, 0);
  file.directory_start = allocate(directory, false);

  // FAT and DIFAT sectors come last; they must cover themselves too.
  std::uint32_t fat_count = 1, difat_count = 0;
  for (;; ++fat_count) {
    difat_count =
        fat_count > kHeaderFatSectors ? (fat_count - kHeaderFatSectors + per_sector - 2) / (per_sector - 1) : 0;
    if (std::size_t{fat_count} * per_sector >= sectors.size() + fat_count + difat_count) break;
  }
  const std::uint32_t first_fat = static_cast<std::uint32_t>(sectors.size());
  for (std::uint32_t i = 0; i < fat_count; ++i) file.fat_sectors.push_back(first_fat + i);
  for (std::uint32_t i = 0; i < difat_count; ++i) file.difat_sectors.push_back(first_fat + fat_count + i);
  fat.resize(std::size_t{fat_count} * per_sector, kFree);
  for (const std::uint32_t at : file.fat_sectors) fat[at] = kFatSector;
  for (const std::uint32_t at : file.difat_sectors) fat[at] = kDifatSector;
  for (std::uint32_t i = 0; i < fat_count; ++i) {
    std::string block;
    for (std::uint32_t k = 0; k < per_sector; ++k) block += u32le(fat[std::size_t{i} * per_sector + k]);
    sectors.push_back(block);
  }
  for (std::uint32_t i = 0; i < difat_count; ++i) {
    std::string block;
    for (std::uint32_t k = 0; k + 1 < per_sector; ++k) {
      const std::size_t listed = kHeaderFatSectors + std::size_t{i} * (per_sector - 1) + k;
      block += u32le(listed < file.fat_sectors.size() ? file.fat_sectors[listed] : kFree);
    }
    block += u32le(i + 1 < difat_count ? file.difat_sectors[i + 1] : kEndOfChain);
    sectors.push_back(block);
  }

  std::string header = std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(16, '\0');
  header += u16le(0x3E) + u16le(options.sector_shift == 12 ? 4 : 3) + u16le(0xFFFE) +
            u16le(static_cast<std::uint16_t>(options.sector_shift)) + u16le(6) + std::string(6, '\0');
  const std::uint32_t directory_sectors = static_cast<std::uint32_t>(directory.size() / sector_size);
  header += u32le(options.sector_shift == 12 ? directory_sectors : 0) + u32le(fat_count) +
            u32le(file.directory_start) + u32le(0) + u32le(kMiniCutoff) + u32le(file.mini_fat_start) +
            u32le(mini_fat_sectors) + u32le(difat_count ? file.difat_sectors[0] : kEndOfChain) + u32le(difat_count);
  for (std::size_t i = 0; i < kHeaderFatSectors; ++i)
    header += u32le(i < file.fat_sectors.size() ? file.fat_sectors[i] : kFree);
  header.resize(sector_size, '\0');
  file.bytes = header;
  for (const std::string& block : sectors) file.bytes += block;
  return file;
}

std::string make_xls(const std::string& workbook_stream, const CompoundOptions& options) {
  return make_compound_file({{"Workbook", workbook_stream}}, options).bytes;
}

}  // namespace sheetlib::testing
