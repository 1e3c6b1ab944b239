// The shared strings scanner against expat: a part it reads gives the
// strings (and the status) that expat's reading gives, however the part is
// cut into pieces; a part it does not read makes it decline, in any pieces,
// leaving the budget as it was.
#include "sheetlib/read/shared_strings_scanner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sheetlib/read/shared_strings_part.h"
#include "test_package.h"

namespace sheetlib {
namespace {

const char kMain[] = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const char kStrict[] = "http://purl.oclc.org/ooxml/spreadsheetml/main";
const char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";

std::string table(const std::string& items, const std::string& head = kDeclaration,
                  const std::string& root = std::string("sst xmlns=\"") + kMain + "\" count=\"9\" uniqueCount=\"9\"",
                  const std::string& end = "</sst>") {
  return head + "<" + root + ">" + items + end;
}

struct Reading {
  ReadStatus status = ReadStatus::ok;
  std::vector<std::string> texts;  // GBK, as the arena holds them
  bool operator==(const Reading&) const = default;
};

std::vector<std::string> texts_of(const CellGrid::Storage& storage, const SharedStringSpans& spans) {
  std::vector<std::string> texts;
  for (std::size_t i = 0; i < spans.size(); ++i) {
    CellRecord cell(0, 0, CellRecord::kSharedString, false);
    CellGrid::Storage::place_shared_string(cell, spans[i].offset, spans[i].length);
    texts.emplace_back(storage.text_of(cell));
  }
  return texts;
}

Reading read_by_expat(const std::string& part, const ReadLimits& limits) {
  CellGrid::Storage storage;
  xml::MarkupBudget budget(limits.min_markup_items);
  SharedStringsHandler handler(storage, limits.max_shared_strings);
  xml::Parser parser(handler, limits, &budget);
  parser.feed(part.data(), part.size(), true);
  return {parser.status(), texts_of(storage, handler.take_strings())};
}

// Feeds the part in pieces that end at `cuts` (ascending), then the rest.
// Declined readings leave the reading empty and say so.
Reading read_by_scanner(const std::string& part, const ReadLimits& limits, const std::vector<std::size_t>& cuts,
                        bool& declined) {
  CellGrid::Storage storage;
  xml::MarkupBudget budget(limits.min_markup_items);
  EXPECT_TRUE(budget.draw(7));  // another part's spending stays
  Reading reading;
  {
    SharedStringsScanner scanner(storage, limits, budget);
    std::size_t at = 0;
    bool going = true;
    for (std::size_t i = 0; going && i <= cuts.size(); ++i) {
      const std::size_t to = i < cuts.size() ? cuts[i] : part.size();
      going = scanner.consume(part.data() + at, to - at, i == cuts.size());
      at = to;
    }
    declined = scanner.declined();
    if (!declined) reading = {scanner.status(), texts_of(storage, scanner.take_strings())};
  }
  if (declined) {
    EXPECT_EQ(budget.spent(), 7u);
  }
  return reading;
}

// The ways a part is cut: whole, byte by byte, and in two at every byte.
std::vector<std::vector<std::size_t>> cuttings(std::size_t size) {
  std::vector<std::vector<std::size_t>> cuts = {{}, {}};
  for (std::size_t at = 1; at < size; ++at) {
    cuts[1].push_back(at);
    cuts.push_back({at});
  }
  return cuts;
}

struct Case {
  const char* name;
  std::string xml;
  bool declines;
  std::size_t max_strings = 1'000;
  int max_depth = 256;
};

TEST(SharedStringsScanner, ReadsWhatExpatReadsOrDeclinesInAnyPieces) {
  const std::string prefixed = std::string("x:sst xmlns:x=\"") + kMain + "\"";
  const std::string bare_root = std::string("sst xmlns=\"") + kMain + "\"";
  const std::string item = "<si><t>a</t></si>";
  const Case cases[] = {
      {"DOCTYPE", table(item, std::string(kDeclaration) + "<!DOCTYPE sst>"), true},
      {"comment between items", table(item + "<!-- x -->" + item), true},
      {"instruction in an item", table("<si><?pi x?><t>a</t></si>"), true},
      {"CDATA", table("<si><t><![CDATA[a]]></t></si>"), true},
      {"namespace declared in an item", table(std::string("<si xmlns:y=\"") + kMain + "\"><t>a</t></si>"), true},
      {"undeclared prefix", table("<y:si><y:t>a</y:t></y:si>"), true},
      {"another prefix than sst's",
       table("<si><t>a</t></si>", kDeclaration, prefixed + " xmlns=\"" + kMain + "\"", "</x:sst>"), true},
      {"unknown element", table("<si><t>a</t><foo/></si>"), true},
      {"element in the wrong place", table("<si><rPr><b/></rPr><t>a</t></si>"), true},
      {"text between items", table(item + "x" + item), true},
      {"unknown entity", table("<si><t>&nbsp;</t></si>"), true},
      {"reference to a control character", table("<si><t>&#1;</t></si>"), true},
      {"]]> in text", table("<si><t>a]]>b</t></si>"), true},
      {"attribute twice", table("<si><t a=\"1\" a=\"2\">a</t></si>"), true},
      {"bytes that are not UTF-8", table("<si><t>\xC0\xAF</t></si>"), true},
      {"encoding not UTF-8", table(item, "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>"), true},
      {"mismatched end tag", table("<si><r><t>a</r></t></si>"), true},
      {"ends among the items", table(item + "<si><t>b</t>", kDeclaration, bare_root, ""), true},
      {"an item after the extension list", table(item + "<extLst><ext/></extLst>" + item), true},
      {"root other than sst", table(item, kDeclaration, std::string("table").append(bare_root, 3), "</table>"), true},
      {"items deeper than the limit", table("<si><r><t>a</t></r></si>"), true, 1'000, 3},

      {"plain items", table(item + "<si><t>b c</t></si>\n<si><t/></si><si/><si></si><si><t></t></si>"), false},
      {"prefixed", table("<x:si><x:t>p</x:t></x:si><x:si><x:r><x:t>q</x:t></x:r></x:si>", kDeclaration, prefixed,
                         "</x:sst>"),
       false},
      {"strict namespace", table(item, "", std::string("sst xmlns=\"") + kStrict + "\""), false},
      {"byte order mark, no declaration", table(item, "\xEF\xBB\xBF"), false},
      {"comments and instructions before the root",
       table(item, std::string(kDeclaration) + "<!-- <sst> -->\n<?pi <x>?><!---->"), false},
      {"rich text",
       table("<si><r><rPr><b/><sz val=\"11\"/><color rgb=\"FFFF0000\"/><rFont val=\"宋体\"/><family val=\"3\"/>"
             "<charset val=\"134\"/><scheme val=\"minor\"/></rPr><t>ab</t></r><r><t xml:space=\"preserve\"> c </t>"
             "</r>\n  <r><t>d</t></r></si>"),
       false},
      {"phonetic runs left out",
       table("<si><t>東京</t><rPh sb=\"0\" eb=\"2\"><t>トウキョウ</t></rPh><phoneticPr fontId=\"1\" "
             "type=\"noConversion\"/></si><si><r><t>課</t></r><rPh sb=\"0\" eb=\"1\"><r><rPr><b/></rPr><t>カ</t>"
             "</r></rPh><phoneticPr fontId=\"1\"/></si>"),
       false},
      {"references", table("<si><t>&lt;&amp;&gt;&quot;&apos;&#65;&#x42;&#x4E2D;&#25991;</t></si>"), false},
      {"references outside the text", table("<si>&amp;<t>a</t>&#x20;</si>"), false},
      {"line breaks", table("<si><t>a\r\nb\rc\nd</t></si>\r\n<si><r><t>e\r</t></r><r><t>\nf</t></r></si>"), false},
      {"escapes", table("<si><t>a_x000D_b_x005F_x0041_</t></si>"), false},
      {"attributes on items", table("<si a='1' b = \"2\"><t xml:space='preserve' >x</t ></si >"), false},
      {"more strings than the limit", table(item + item + item), false, 2},
      {"as many strings as the limit", table(item + item), false, 2},
      {"extension list after the items", table(item + "<extLst><ext uri=\"{x}\"><si/></ext></extLst>"), false},
      {"extension list alone", table("<extLst/>"), false},
      {"empty root", table("", kDeclaration, bare_root + "/", ""), false},
      {"no items", table("\n"), false},
      {"comment after the root", table(item) + "<!-- x -->\n", false},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    ReadLimits limits;
    limits.max_shared_strings = test.max_strings;
    limits.max_element_depth = test.max_depth;
    const Reading by_expat = read_by_expat(test.xml, limits);
    if (!test.declines) {
      ASSERT_TRUE(by_expat.status == ReadStatus::ok || by_expat.status == ReadStatus::over_limit);
    }
    for (const std::vector<std::size_t>& cuts : cuttings(test.xml.size())) {
      SCOPED_TRACE(cuts.size() == 1 ? std::string("cut at ").append(std::to_string(cuts[0]))
                                    : std::to_string(cuts.size()).append(" cuts"));
      bool declined = false;
      const Reading scanned = read_by_scanner(test.xml, limits, cuts, declined);
      ASSERT_EQ(declined, test.declines);
      if (!declined) {
        ASSERT_EQ(scanned, by_expat);
      }
    }
  }
}

TEST(SharedStringsScanner, DeclinesWhenTheMarkupBudgetRunsOutAndGivesItBack) {
  std::string items;
  for (int i = 0; i < 200; ++i) items += "<si><t>a</t></si>";
  const std::string part = table(items);
  ReadLimits limits;
  limits.min_markup_items = 300;  // the head and some items, not all
  bool declined = false;
  read_by_scanner(part, limits, {part.size() / 3, part.size() / 2}, declined);
  EXPECT_TRUE(declined);
}

// Through the whole reading: a part declined deep inside (after thousands
// of items) is read again by expat and gives the cells the same texts, on
// this thread (a small part) and beside the sheet (a large one).
TEST(SharedStringsScanner, ADeclinedPartIsReadAgainWhole) {
  using namespace testing;
  for (const int strings : {2'000, 200'000}) {
    SCOPED_TRACE(strings);
    std::string items;
    for (int i = 0; i < strings; ++i)
      items.append("<si><r><t>s").append(std::to_string(i)).append("</t></r><r><t> 北京</t></r></si>");
    std::string declined_items = items;
    declined_items.insert(declined_items.rfind("<si>"), "<!-- x -->");
    const std::string last = std::to_string(strings - 1);
    const std::string rows = sheet_xml(
        std::string("<row r=\"1\"><c t=\"s\"><v>0</v></c><c t=\"s\"><v>").append(last).append("</v></c></row>"));
    const Loaded scanned = load(make_workbook(rows, shared_strings_xml(items)));
    const Loaded reread = load(make_workbook(rows, shared_strings_xml(declined_items)));
    ASSERT_EQ(scanned.status, ReadStatus::ok);
    ASSERT_EQ(reread.status, ReadStatus::ok);
    EXPECT_EQ(grid_rows(scanned.grid), grid_rows(reread.grid));
    EXPECT_EQ(grid_rows(scanned.grid)[0][1], std::string("s").append(last).append(" 北京"));
  }
}

}  // namespace
}  // namespace sheetlib
