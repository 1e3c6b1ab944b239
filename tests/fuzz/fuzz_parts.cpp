// libFuzzer target: one XML part of an otherwise valid workbook. The first
// input byte chooses the part (see kParts), the rest are its bytes; the
// package is assembled around them from a small workbook whose parts refer
// to each other (shared strings, number formats of dates and decimals, rich
// text), stored without compression so that each run costs little more than
// the read itself.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "book_reading.h"
#include "test_package.h"

namespace {

using sheetlib::testing::Part;

// The parts an input may replace, in the order of its first byte (modulo
// their count). Seeds name their part by this byte.
constexpr const char* kParts[] = {
    "xl/worksheets/sheet1.xml", "xl/sharedStrings.xml",        "xl/styles.xml",
    "xl/workbook.xml",          "xl/_rels/workbook.xml.rels", "_rels/.rels",
};
constexpr std::size_t kPartCount = sizeof kParts / sizeof kParts[0];

std::vector<Part> template_parts() {
  using namespace sheetlib::testing;
  const std::string rows =
      "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\"><v>1</v></c>"
      "<c r=\"C1\" t=\"inlineStr\"><is><t>inline_x000D_</t></is></c></row>"
      "<row r=\"2\"><c r=\"A2\" s=\"1\"><v>45000.75</v></c><c r=\"B2\" s=\"2\"><v>-1234.5678</v></c>"
      "<c r=\"C2\" s=\"3\"><v>0.25</v></c><c r=\"D2\" t=\"b\"><v>1</v></c><c r=\"E2\" t=\"e\"><v>#N/A</v></c>"
      "<c r=\"F2\" t=\"str\"><f>A1</f><v>x</v></c><c r=\"G2\" t=\"d\"><v>2024-02-29T12:00:00</v></c></row>"
      "<row><c><v>1E+300</v></c><c s=\"4\"><v>12345678901234567890</v></c></row>";
  const std::string strings = shared_strings_xml(
      "<si><t>name</t></si><si><r><rPr><b/></rPr><t>rich </t></r><r><t>text</t></r>"
      "<rPh sb=\"0\" eb=\"1\"><t>ignored</t></rPh></si>");
  const std::string styles =
      "<?xml version=\"1.0\"?><styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
      "<numFmts count=\"2\"><numFmt numFmtId=\"164\" formatCode=\"yyyy&quot;年&quot;m&quot;月&quot;d&quot;日&quot; hh:mm:ss\"/>"
      "<numFmt numFmtId=\"165\" formatCode=\"#,##0.00_);[Red]\\(#,##0.00\\)\"/></numFmts>"
      "<cellXfs count=\"5\"><xf numFmtId=\"0\"/><xf numFmtId=\"164\"/><xf numFmtId=\"165\"/><xf numFmtId=\"10\"/>"
      "<xf numFmtId=\"49\"/></cellXfs></styleSheet>";
  return workbook_parts(sheet_xml(rows), strings, styles, "<workbookPr date1904=\"0\"/>");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::vector<Part> parts = template_parts();
  if (size == 0) return 0;
  const std::string_view chosen = kParts[data[0] % kPartCount];
  const std::string part_bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::vector<sheetlib::testing::RawEntry> entries;
  entries.reserve(parts.size());
  for (const Part& part : parts)
    entries.push_back(sheetlib::testing::stored(part.name, part.name == chosen ? part_bytes : part.data));
  sheetlib::fuzz::load_and_read(sheetlib::testing::make_raw_zip(entries));
  return 0;
}
