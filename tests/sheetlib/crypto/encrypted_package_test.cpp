// Encrypted .xlsx packages: those with Excel's default password read as the
// plain workbook does, those with another password stay refused, and damaged
// or hostile headers are refused with a status. The books are made by
// make_encrypted_books.sh (officecrypto-tool; LibreOffice opens the
// default-password ones without asking); the damaged ones are made here
// from their streams.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "sheetlib/xls/compound_file.h"
#include "test_package.h"
#include "xls_maker.h"

namespace sheetlib::testing {
namespace {

std::string book(const std::string& name) {
  std::ifstream in(std::string(COLSPLIT_SOURCE_DIR) + "/tests/sheetlib/crypto/books/" + name, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

struct Streams {
  std::string info;
  std::string package;
};

Streams streams_of(const std::string& file_bytes) {
  xls::CompoundFile file;
  Streams streams;
  std::string copy;
  std::string_view stream;
  EXPECT_EQ(file.open(file_bytes), ReadStatus::ok);
  EXPECT_EQ(file.read_stream("EncryptionInfo", 1 << 20, copy, stream), ReadStatus::ok);
  streams.info = stream;
  EXPECT_EQ(file.read_stream("EncryptedPackage", 1 << 30, copy, stream), ReadStatus::ok);
  streams.package = stream;
  return streams;
}

void replace_first(std::string& text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  ASSERT_NE(at, std::string::npos) << from;
  text.replace(at, from.size(), to);
}

TEST(PackageDecryption, DefaultPasswordReadsOtherPasswordsAndDamagedHeadersAreRefused) {
  const Loaded plain = load(book("plain.xlsx"));
  ASSERT_EQ(plain.status, ReadStatus::ok);
  const auto plain_rows = grid_rows(plain.grid);
  ASSERT_GT(plain_rows.size(), 300u);
  const Streams standard = streams_of(book("standard_default.xlsx"));
  const Streams agile = streams_of(book("agile_default.xlsx"));

  using Change = std::function<void(Streams&)>;
  const auto info_u32 = [](std::size_t at, std::uint32_t value) {
    return Change([=](Streams& s) { s.info.replace(at, 4, u32le(value)); });
  };
  const auto xml = [](const std::string& from, const std::string& to) {
    return Change([=](Streams& s) { replace_first(s.info, from, to); });
  };
  const auto package_size = [](std::uint64_t size) {
    const std::string bytes = u32le(static_cast<std::uint32_t>(size)) + u32le(static_cast<std::uint32_t>(size >> 32));
    return Change([=](Streams& s) { s.package.replace(0, 8, bytes); });
  };
  const std::uint64_t past_stream = standard.package.size() - 8 + 16;

  struct Case {
    const char* what;
    std::string file;      // a book as it is, or else
    const Streams* from;   // the streams of one, changed
    Change change;
    ReadStatus expected;
  };
  const Case cases[] = {
      {"standard, default password", book("standard_default.xlsx"), nullptr, {}, ReadStatus::ok},
      {"agile, default password", book("agile_default.xlsx"), nullptr, {}, ReadStatus::ok},
      {"standard, other password", book("standard_other.xlsx"), nullptr, {}, ReadStatus::encrypted},
      {"agile, other password", book("agile_other.xlsx"), nullptr, {}, ReadStatus::encrypted},
      {"standard, repacked unchanged", {}, &standard, [](Streams&) {}, ReadStatus::ok},
      {"short EncryptionInfo", {}, &standard, [](Streams& s) { s.info.resize(6); }, ReadStatus::malformed},
      {"standard header cut", {}, &standard, [](Streams& s) { s.info.resize(100); }, ReadStatus::malformed},
      {"standard header size past the stream", {}, &standard, info_u32(8, 0xFFFFFF00), ReadStatus::malformed},
      {"standard key of 4096 bits", {}, &standard, info_u32(12 + 16, 4096), ReadStatus::malformed},
      {"standard salt of 5000 bytes", {}, &standard, info_u32(12 + 140, 5000), ReadStatus::malformed},
      {"standard RC4", {}, &standard, info_u32(12 + 8, 0x6801), ReadStatus::encrypted},
      {"another provider's", {}, &standard, info_u32(4, 0x34), ReadStatus::encrypted},
      {"extensible version", {}, &standard, info_u32(0, 0x00030004), ReadStatus::encrypted},
      {"standard package size past the stream", {}, &standard, package_size(past_stream), ReadStatus::malformed},
      {"package size of a terabyte", {}, &standard, package_size(std::uint64_t{1} << 40), ReadStatus::over_limit},
      {"package cut to 100 bytes", {}, &standard, package_size(100), ReadStatus::malformed},
      {"no EncryptionInfo (rights management)", {}, &standard, [](Streams& s) { s.info.clear(); },
       ReadStatus::encrypted},
      {"absurd spin count", {}, &agile, xml("spinCount=\"100000\"", "spinCount=\"4000000000\""),
       ReadStatus::malformed},
      {"spin count not a number", {}, &agile, xml("spinCount=\"100000\"", "spinCount=\"-1\""),
       ReadStatus::malformed},
      {"agile key of 4096 bits", {}, &agile, xml("keyBits=\"256\"", "keyBits=\"4096\""), ReadStatus::malformed},
      {"agile salt not its size", {}, &agile, xml("saltSize=\"16\"", "saltSize=\"99999999\""),
       ReadStatus::malformed},
      {"agile DES", {}, &agile, xml("cipherAlgorithm=\"AES\"", "cipherAlgorithm=\"DES\""), ReadStatus::encrypted},
      {"agile XML cut", {}, &agile, [](Streams& s) { s.info.resize(400); }, ReadStatus::malformed},
      {"agile DOCTYPE", {}, &agile, xml("<encryption ", "<!DOCTYPE e [<!ENTITY x \"x\">]><encryption "),
       ReadStatus::malformed},
      {"certificate key alone", {}, &agile, xml("<p:encryptedKey ", "<c:encryptedKey "),
       ReadStatus::encrypted},
      {"agile package size past the stream", {}, &agile, package_size(past_stream), ReadStatus::malformed},
      {"agile package damaged", {}, &agile, [](Streams& s) { s.package[9] ^= 1; }, ReadStatus::malformed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string file = c.file;
    if (c.from) {
      Streams streams = *c.from;
      c.change(streams);
      std::vector<std::pair<std::string, std::string>> entries{{"EncryptedPackage", streams.package}};
      if (!streams.info.empty()) entries.emplace_back("EncryptionInfo", streams.info);
      file = make_compound_file(entries).bytes;
    }
    const Loaded loaded = load(file);
    EXPECT_EQ(loaded.status, c.expected);
    if (c.expected == ReadStatus::ok) {
      EXPECT_EQ(grid_rows(loaded.grid), plain_rows);
    }
  }

  // Cut anywhere, a book is refused with a status, never read wrong.
  const std::string whole = book("standard_default.xlsx");
  for (std::size_t size = 0; size < whole.size(); size += 509) {
    const Loaded loaded = load(whole.substr(0, size));
    if (loaded.status == ReadStatus::ok) {
      EXPECT_EQ(grid_rows(loaded.grid), plain_rows) << size;
    }
  }
}

}  // namespace
}  // namespace sheetlib::testing
