#include "test_package.h"

#include <zip.h>
#include <zlib.h>

#include <stdexcept>

#include "text/encoding.h"

namespace sheetlib::testing {

std::string make_zip(const std::vector<Part>& parts) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
  zip_source_keep(buffer);
  zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
  if (!archive) throw std::runtime_error("zip_open_from_source failed");
  for (const Part& part : parts) {
    zip_source_t* data = zip_source_buffer(archive, part.data.data(), part.data.size(), 0);
    if (zip_file_add(archive, part.name.c_str(), data, ZIP_FL_ENC_UTF_8) < 0)
      throw std::runtime_error("zip_file_add failed: " + part.name);
  }
  if (zip_close(archive) != 0) throw std::runtime_error("zip_close failed");
  std::string bytes;
  zip_source_open(buffer);
  zip_source_seek(buffer, 0, SEEK_END);
  bytes.resize(static_cast<std::size_t>(zip_source_tell(buffer)));
  zip_source_seek(buffer, 0, SEEK_SET);
  zip_source_read(buffer, bytes.data(), bytes.size());
  zip_source_close(buffer);
  zip_source_free(buffer);
  zip_error_fini(&error);
  return bytes;
}

namespace {

const char kMain[] = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const char kRel[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
const char kTypes[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

std::string package_rels() {
  return std::string(
             "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
             "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
             "<Relationship Id=\"rId1\" Type=\"") +
         kTypes + "officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>";
}

void put_le(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

std::string sheet_xml(const std::string& rows, const std::string& before_sheet_data) {
  return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<worksheet xmlns=\"") + kMain +
         "\" xmlns:r=\"" + kRel + "\">" + before_sheet_data + "<sheetData>" + rows + "</sheetData></worksheet>";
}

std::string shared_strings_xml(const std::string& items) {
  return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<sst xmlns=\"") + kMain + "\">" + items + "</sst>";
}

std::vector<Part> workbook_parts(const std::string& sheet_data, const std::string& shared_strings,
                                 const std::string& styles, const std::string& workbook_extra) {
  std::vector<Part> parts;
  parts.push_back({"[Content_Types].xml",
                   "<?xml version=\"1.0\"?><Types "
                   "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>"});
  parts.push_back({"_rels/.rels", package_rels()});
  parts.push_back({"xl/workbook.xml", std::string("<?xml version=\"1.0\"?><workbook xmlns=\"") + kMain +
                                          "\" xmlns:r=\"" + kRel + "\">" + workbook_extra +
                                          "<sheets><sheet name=\"Sheet1\" sheetId=\"1\" r:id=\"rId1\"/></sheets>"
                                          "</workbook>"});
  std::string rels =
      "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
  rels += std::string("<Relationship Id=\"rId1\" Type=\"") + kTypes + "worksheet\" Target=\"worksheets/sheet1.xml\"/>";
  if (!shared_strings.empty())
    rels += std::string("<Relationship Id=\"rId2\" Type=\"") + kTypes + "sharedStrings\" Target=\"sharedStrings.xml\"/>";
  if (!styles.empty())
    rels += std::string("<Relationship Id=\"rId3\" Type=\"") + kTypes + "styles\" Target=\"styles.xml\"/>";
  rels += "</Relationships>";
  parts.push_back({"xl/_rels/workbook.xml.rels", rels});
  parts.push_back({"xl/worksheets/sheet1.xml", sheet_data});
  if (!shared_strings.empty()) parts.push_back({"xl/sharedStrings.xml", shared_strings});
  if (!styles.empty()) parts.push_back({"xl/styles.xml", styles});
  return parts;
}

std::string make_workbook(const std::string& sheet_data, const std::string& shared_strings, const std::string& styles,
                          const std::string& workbook_extra) {
  return make_zip(workbook_parts(sheet_data, shared_strings, styles, workbook_extra));
}

std::string make_raw_zip(const std::vector<RawEntry>& entries) {
  std::string out, directory;
  for (const RawEntry& entry : entries) {
    const auto offset = static_cast<std::uint32_t>(out.size());
    const auto header = [&](std::string& to, bool central) {
      put_le(to, central ? 0x02014b50 : 0x04034b50, 4);
      if (central) put_le(to, 20, 2);  // made by
      put_le(to, 20, 2);               // needed
      put_le(to, 0, 2);                // flags
      put_le(to, entry.method, 2);
      put_le(to, 0, 4);  // time, date
      put_le(to, entry.crc, 4);
      put_le(to, entry.compressed_size, 4);
      put_le(to, entry.uncompressed_size, 4);
      put_le(to, static_cast<std::uint32_t>(entry.name.size()), 2);
      put_le(to, 0, 2);  // extra
      if (central) {
        put_le(to, 0, 2);  // comment
        put_le(to, 0, 2);  // disk
        put_le(to, 0, 2);  // internal attributes
        put_le(to, 0, 4);  // external attributes
        put_le(to, offset, 4);
      }
      to += entry.name;
    };
    header(out, false);
    out += entry.data;
    header(directory, true);
  }
  const auto directory_offset = static_cast<std::uint32_t>(out.size());
  out += directory;
  put_le(out, 0x06054b50, 4);
  put_le(out, 0, 4);
  put_le(out, static_cast<std::uint32_t>(entries.size()), 2);
  put_le(out, static_cast<std::uint32_t>(entries.size()), 2);
  put_le(out, static_cast<std::uint32_t>(directory.size()), 4);
  put_le(out, directory_offset, 4);
  put_le(out, 0, 2);
  return out;
}

std::uint32_t crc_of(const std::string& data) {
  return static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

RawEntry stored(const std::string& name, const std::string& data) {
  const auto size = static_cast<std::uint32_t>(data.size());
  return {name, data, 0, crc_of(data), size, size};
}

std::vector<RawEntry> workbook_entries_without_sheet() {
  std::vector<RawEntry> entries;
  for (const Part& part : workbook_parts("<worksheet/>"))
    if (part.name != "xl/worksheets/sheet1.xml") entries.push_back(stored(part.name, part.data));
  return entries;
}

namespace {

// `head`, `count` copies of `block` (1 MiB), then `tail`, as a raw deflate
// stream. After the first copy every further one deflates to the same bytes
// (its back references reach only the copy before, which is the same), so
// it is deflated once and repeated: a few MB for gigabytes.
std::string deflate_repeated(const std::string& head, const std::string& block, std::uint32_t count,
                             const std::string& tail) {
  if (block.size() != (1u << 20)) throw std::logic_error("the repeated block is 1 MiB");
  z_stream stream{};
  deflateInit2(&stream, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
  const auto compress = [&](int flush, const std::string& input) {
    std::string out(input.size() + (1 << 16), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
    stream.avail_in = static_cast<uInt>(input.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, flush);
    out.resize(out.size() - stream.avail_out);
    return out;
  };
  std::string data = compress(Z_SYNC_FLUSH, head);
  if (count > 0) data += compress(Z_SYNC_FLUSH, block);
  if (count > 1) {
    const std::string repeated = compress(Z_SYNC_FLUSH, block);
    for (std::uint32_t i = 1; i < count; ++i) data += repeated;
  }
  data += compress(Z_FINISH, tail);
  deflateEnd(&stream);
  return data;
}

}  // namespace

std::string deflated_zeros(std::uint32_t mebibytes) {
  return deflate_repeated("", std::string(1 << 20, '\0'), mebibytes, "");
}

RawEntry repeated_entry(const std::string& name, const std::string& head, const std::string& block,
                        std::uint32_t mebibytes, const std::string& tail) {
  const std::uint64_t size = head.size() + (std::uint64_t{mebibytes} << 20) + tail.size();
  if (size > UINT32_MAX) throw std::logic_error("a zip entry without zip64 holds under 4 GiB");
  uLong crc = crc_of(head);
  const uLong block_crc = crc_of(block);
  for (std::uint32_t i = 0; i < mebibytes; ++i) crc = crc32_combine(crc, block_crc, static_cast<z_off_t>(block.size()));
  crc = crc32_combine(crc, crc_of(tail), static_cast<z_off_t>(tail.size()));
  RawEntry entry{name, deflate_repeated(head, block, mebibytes, tail), 8, static_cast<std::uint32_t>(crc), 0,
                 static_cast<std::uint32_t>(size)};
  entry.compressed_size = static_cast<std::uint32_t>(entry.data.size());
  return entry;
}

std::vector<std::vector<std::string>> grid_rows(const CellGrid& grid) {
  std::vector<std::vector<std::string>> rows(static_cast<std::size_t>(grid.row_extent()));
  for (int row = 0; row < grid.row_extent(); ++row)
    for (int column = 0; column < grid.column_extent(); ++column)
      rows[static_cast<std::size_t>(row)].push_back(colsplit::gbk_to_utf8(grid.text(row, column)));
  return rows;
}

Loaded load(const std::string& bytes, const ReadLimits& limits) {
  Loaded loaded{ReadStatus::ok, {}, {}};
  loaded.status = read_first_worksheet(bytes, loaded.grid, limits, &loaded.cost);
  return loaded;
}

}  // namespace sheetlib::testing
