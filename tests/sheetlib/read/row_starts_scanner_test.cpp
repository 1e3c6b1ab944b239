// Where the scanner cuts a sheet: at the first row start tag from the point
// asked for on, whatever a comment, a CDATA section, an instruction or a
// text holds before or across that point.
#include "sheetlib/read/row_starts_scanner.h"

#include <gtest/gtest.h>

#include <string>

namespace sheetlib {
namespace {

// The first cut at or after `not_before`, scanning the text whole after a
// first call that learns the rows' name from the first row.
std::size_t cut(const std::string& text, std::size_t not_before) {
  RowStartsScanner scanner;
  std::size_t scanned = 0;
  if (scanner.next(text, 0, scanned) != 0) return RowStartsScanner::npos - 1;
  return scanner.next(text, scanned, scanned, not_before);
}

TEST(RowStartsScanner, SkipsToTheFirstRealRowAfterThePointAskedFor) {
  const std::string row = "<row r=\"1\"><c><v>1</v></c></row>";
  const std::string filler(5000, ' ');
  // Text and attributes may hold '!', '?' and escaped markup anywhere.
  const std::string busy_text = "<row r=\"2\"><c t=\"str\" x=\"a!b?\"><v>&lt;!-- no comment &lt;?x !? ?! !!</v></c></row>";
  for (const std::string opener : {"<!--", "<![CDATA[", "<?pi"}) {
    const std::string closer = opener == "<!--" ? "-->" : opener == "<?pi" ? "?>" : "]]>";
    SCOPED_TRACE(opener);
    // Opened before the point, a row tag inside it after the point, the
    // real row after its end.
    const std::string text = row + busy_text + filler + opener + filler + "<row r=\"3\">" + closer + busy_text + row;
    const std::size_t point = text.find("<row r=\"3\">") - 100;
    EXPECT_EQ(cut(text, point), text.rfind("<row r=\"2\">"));
    // The same declaration begins exactly at the point, and one byte before.
    for (const std::size_t back : {0u, 1u}) {
      const std::size_t at = text.find(opener) - back;
      EXPECT_EQ(cut(text, at), text.rfind("<row r=\"2\">"));
    }
  }
  // Nothing but text and rows: the first row at or after the point.
  const std::string plain = row + busy_text + filler + busy_text + busy_text;
  EXPECT_EQ(cut(plain, plain.size() / 2), plain.find("<row r=\"2\">", plain.size() / 2));
  EXPECT_EQ(cut(plain, plain.rfind("<row r=\"2\">")), plain.rfind("<row r=\"2\">"));
  EXPECT_EQ(cut(plain, plain.rfind("<row r=\"2\">") + 1), RowStartsScanner::npos);
}

}  // namespace
}  // namespace sheetlib
