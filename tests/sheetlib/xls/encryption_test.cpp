// Workbooks saved with a password to open: those Excel encrypts with its
// default password read as if they were not encrypted, whatever the
// method; any other password, or a FILEPASS record that is damaged or of
// an unknown kind, refuses the workbook without reading on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_package.h"
#include "xls_maker.h"

namespace sheetlib::testing {
namespace {

using Rows = std::vector<std::vector<std::string>>;
using Names = std::vector<std::string>;

struct Read {
  ReadStatus status;
  Rows first, second;
  Names names;
};

Read read_both_sheets(const std::string& file) {
  Read read;
  CellGrid grid;
  read.status = read_worksheet(file, 0, grid, &read.names);
  read.first = grid_rows(grid);
  if (read_worksheet(file, 1, grid, nullptr) == ReadStatus::ok) read.second = grid_rows(grid);
  return read;
}

// A workbook of a few RC4 blocks: shared strings cut by CONTINUE records,
// a record Excel leaves unencrypted, two sheets.
std::string stream_with(const std::string& first_globals, bool biff5) {
  if (biff5) {
    std::string cells;
    for (std::uint16_t row = 0; row < 150; ++row) cells += label5(row, 0, "row " + std::to_string(row));
    return biff5_workbook_stream(first_globals + codepage(1252),
                                 {{"Data", cells + number(0, 1, 2.5)}, {"caf\xE9", label5(0, 0, "\xE9t\xE9")}});
  }
  std::vector<std::u16string> strings;
  std::string cells;
  for (std::uint16_t i = 0; i < 900; ++i) {
    strings.push_back(u"字符 " + std::u16string(1, static_cast<char16_t>(u'a' + i % 26)) + u" " +
                      std::u16string(i % 7, u'x'));
    cells += label_sst(i / 3, i % 3, i);
  }
  const std::string globals = first_globals + biff(0x00E1, u16le(1200)) + sst(strings);
  return workbook_stream(globals, {SheetSpec{cells + number(0, 4, -1.25)},
                                   SheetSpec{label(0, 0, u"第二") + number(1, 0, 1e9), kWorksheetSheet,
                                             kWorksheetSubstream, u"二"}});
}

TEST(Encryption, TheDefaultPasswordOpensEveryMethodOthersStayRefused) {
  const struct {
    Encryption method;
    bool biff5;
  } cases[] = {
      {Encryption::xor_obfuscation, false}, {Encryption::xor_obfuscation, true}, {Encryption::rc4, false},
      {Encryption::cryptoapi_40, false},    {Encryption::cryptoapi_128, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.method) * 2 + c.biff5);
    const Read expected = read_both_sheets(make_xls(stream_with("", c.biff5)));
    ASSERT_EQ(expected.status, ReadStatus::ok);
    ASSERT_FALSE(expected.second.empty());
    for (const std::string password : {"VelvetSweatshop", "Velvet", "secret password"}) {
      SCOPED_TRACE(password);
      const std::string plain = stream_with(file_pass(c.method, password, c.biff5), c.biff5);
      const std::string file = make_xls(encrypt_stream(plain, c.method, password));
      ASSERT_GT(file.size(), 4096u);
      const Read read = read_both_sheets(file);
      if (password != std::string("VelvetSweatshop")) {
        EXPECT_EQ(read.status, ReadStatus::encrypted);
        continue;
      }
      ASSERT_EQ(read.status, ReadStatus::ok);
      EXPECT_EQ(read.first, expected.first);
      EXPECT_EQ(read.second, expected.second);
      EXPECT_EQ(read.names, expected.names);
    }
  }
}

TEST(Encryption, DamagedOrUnknownFilePassRecordsRefuseTheWorkbook) {
  const std::string cryptoapi = file_pass(Encryption::cryptoapi_128, "VelvetSweatshop");
  const auto patched = [&](std::size_t at, std::uint32_t value) {
    return std::string(cryptoapi).replace(at, 4, u32le(value));
  };
  const struct {
    std::string file_pass;
    bool biff5;
    ReadStatus status;
  } cases[] = {
      {biff(0x002F, ""), false, ReadStatus::malformed},
      {biff(0x002F, u16le(0) + u16le(1)), false, ReadStatus::malformed},
      {biff(0x002F, u16le(1)), true, ReadStatus::malformed},
      {biff(0x002F, u16le(1) + u16le(1)), false, ReadStatus::malformed},
      {biff(0x002F, u16le(1) + u16le(1) + u16le(1) + std::string(47, 'x')), false, ReadStatus::malformed},
      {biff(0x002F, u16le(1) + u16le(9) + u16le(9) + std::string(48, 'x')), false, ReadStatus::encrypted},
      {biff(0x002F, u16le(7) + std::string(48, 'x')), false, ReadStatus::encrypted},
      // CryptoAPI: a header larger than the record, one too small for its
      // fields, a key too long for RC4, an unknown cipher, a cut verifier.
      {patched(14, 0xFFFFFFF0), false, ReadStatus::malformed},
      {patched(14, 8), false, ReadStatus::malformed},
      {patched(18 + 16, 4096), false, ReadStatus::encrypted},
      {patched(18 + 8, 0x660E), false, ReadStatus::encrypted},
      {cryptoapi.substr(0, cryptoapi.size() - 1), false, ReadStatus::malformed},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    std::string record = cases[i].file_pass;
    record.replace(2, 2, u16le(static_cast<std::uint16_t>(record.size() - 4)));
    EXPECT_EQ(read_both_sheets(make_xls(stream_with(record, cases[i].biff5))).status, cases[i].status);
  }
}

}  // namespace
}  // namespace sheetlib::testing
