// The workbooks of the big-sheet benchmark, and what they hold.
//
//   bench_big_sheets make FILE ROWS COLUMNS
//     writes one sheet of ROWS rows (the heading row included) and COLUMNS
//     columns as a spreadsheet application saves it: texts as shared
//     strings, numbers and dates as numbers (dates with the short date
//     format). Columns 0-4 are 编号 (number), 姓名 (Chinese name), 城市 (30
//     cities: the column to split by), 日期 (date), 金额 (amount with cents);
//     further columns cycle through ASCII codes, Chinese remarks, numbers,
//     dates and amounts. The sheet part streams through a temporary file, so
//     even the widest sheet needs little memory to make.
//   bench_big_sheets make-dressed FILE ROWS COLUMNS CITIES
//     the same sheet dressed as offices dress it, with CITIES distinct
//     values in 城市: a styled heading row, thin borders round every cell,
//     alternating fills and a few hundred distinct styles (320 for 20
//     columns), the heading row frozen, a filter, a drop-down list on 城市
//     and a highlight rule on 金额.
//   bench_big_sheets measure FILE
//     reads the sheet through the library and prints its cell count and
//     the bytes of its cells' shown texts (GBK): "cells N text_bytes N".
#include <zip.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unordered_map>
#include <vector>

#include "sheetlib/write/parts.h"
#include "xl/library_calls.h"
#include "xl/workbook_provisioning.h"

namespace {

constexpr const char* kCities[] = {
    "北京", "上海", "广州", "深圳", "天津", "重庆", "成都", "杭州", "武汉", "西安",
    "南京", "苏州", "长沙", "郑州", "青岛", "沈阳", "大连", "厦门", "福州", "济南",
    "合肥", "昆明", "哈尔滨", "长春", "石家庄", "太原", "南昌", "贵阳", "南宁", "乌鲁木齐",
};
constexpr const char* kSurnames[] = {"王", "李", "张", "刘", "陈", "杨", "黄", "赵", "吴", "周",
                                     "徐", "孙", "马", "朱", "胡", "郭", "何", "高", "林", "欧阳"};
constexpr const char* kGiven[] = {"伟", "芳", "娜", "敏", "静", "丽", "强", "磊", "军", "洋",
                                  "勇", "艳", "杰", "娟", "涛", "明", "超", "秀英", "霞", "平"};
constexpr const char* kRemarks[] = {
    "已发货", "待审核", "客户要求加急处理", "退货中", "已完成", "部分付款，余款月底结清",
    "联系不上客户", "Paid in full", "备注：需开具增值税专用发票", "",
};
constexpr const char* kHeadings[] = {"编号", "姓名", "城市", "日期", "金额"};
constexpr const char* kWideKinds[] = {"代码", "备注", "数量", "到期日", "单价"};

// A small deterministic generator: the same file every run.
struct Random {
  unsigned long long state = 88172645463325252ull;
  unsigned next() {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return static_cast<unsigned>(state >> 16);
  }
};

// The shared-string table being made: each distinct text once.
class Strings {
 public:
  unsigned index(const std::string& text) {
    const auto [found, added] = lookup_.try_emplace(text, static_cast<unsigned>(texts_.size()));
    if (added) texts_.push_back(text);
    return found->second;
  }
  std::string part(unsigned long long references) const {
    std::string xml = sheetlib::kXmlDeclaration;
    xml += "<sst xmlns=\"";
    xml += sheetlib::kSpreadsheetNamespace;
    xml += "\" count=\"" + std::to_string(references) + "\" uniqueCount=\"" + std::to_string(texts_.size()) + "\">";
    for (const std::string& text : texts_) xml += text.empty() ? "<si><t/></si>" : "<si><t>" + text + "</t></si>";
    return xml + "</sst>";
  }

 private:
  std::unordered_map<std::string, unsigned> lookup_;
  std::vector<std::string> texts_;
};

std::string column_name(int column) {
  std::string name;
  for (int n = column + 1; n > 0; n = (n - 1) / 26) name.insert(name.begin(), static_cast<char>('A' + (n - 1) % 26));
  return name;
}

std::string heading(int column) {
  if (column < 5) return kHeadings[column];
  return std::string(kWideKinds[column % 5]) + std::to_string(column / 5);
}

enum class Kind { number, name, city, date, amount, code, remark };

Kind kind_of(int column) {
  if (column < 5) return static_cast<Kind>(column);
  static constexpr Kind kWide[] = {Kind::code, Kind::remark, Kind::number, Kind::date, Kind::amount};
  return kWide[column % 5];
}

class SheetWriter {
 public:
  explicit SheetWriter(std::FILE* file) : file_(file) {}
  // The style every cell of the row being written takes (0: its own).
  int dressed_style = 0;
  void string_cell(const std::string& reference, unsigned index) {
    if (dressed_style)
      std::fprintf(file_, "<c r=\"%s\" s=\"%d\" t=\"s\"><v>%u</v></c>", reference.c_str(), dressed_style, index);
    else
      std::fprintf(file_, "<c r=\"%s\" t=\"s\"><v>%u</v></c>", reference.c_str(), index);
    ++references_;
  }
  void number_cell(const std::string& reference, const char* value, int style) {
    if (dressed_style) style = dressed_style;
    if (style)
      std::fprintf(file_, "<c r=\"%s\" s=\"%d\"><v>%s</v></c>", reference.c_str(), style, value);
    else
      std::fprintf(file_, "<c r=\"%s\"><v>%s</v></c>", reference.c_str(), value);
  }
  unsigned long long references() const { return references_; }
  std::FILE* file() const { return file_; }

 private:
  std::FILE* file_;
  unsigned long long references_ = 0;
};

void write_cell(SheetWriter& out, Strings& strings, Random& random, const std::string& reference, int row,
                int column, int cities) {
  char value[64];
  switch (kind_of(column)) {
    case Kind::number:
      std::snprintf(value, sizeof value, "%d", column == 0 ? 100000 + row : static_cast<int>(random.next() % 5000));
      return out.number_cell(reference, value, 0);
    case Kind::name:
      return out.string_cell(reference, strings.index(std::string(kSurnames[random.next() % 20]) +
                                                      kGiven[random.next() % 20] +
                                                      (random.next() % 2 ? kGiven[random.next() % 20] : "")));
    case Kind::city:
      if (cities <= 30) return out.string_cell(reference, strings.index(kCities[random.next() % 30]));
      {
        const unsigned city = random.next() % static_cast<unsigned>(cities);
        return out.string_cell(reference, strings.index(kCities[city % 30] + std::to_string(city / 30 + 1)));
      }
    case Kind::date:
      // 2015-01-01 … about 2025.
      std::snprintf(value, sizeof value, "%u", 42005 + random.next() % 3650);
      return out.number_cell(reference, value, 1);
    case Kind::amount:
      std::snprintf(value, sizeof value, "%u.%02u", random.next() % 100000, random.next() % 100);
      return out.number_cell(reference, value, 0);
    case Kind::code:
      std::snprintf(value, sizeof value, "SKU-%05u", random.next() % 50000);
      return out.string_cell(reference, strings.index(value));
    case Kind::remark:
      return out.string_cell(reference, strings.index(kRemarks[random.next() % 10]));
  }
}

// The styles: the default format, and a date format (built-in id 14).
std::string styles_part() {
  std::string xml = sheetlib::kXmlDeclaration;
  xml += "<styleSheet xmlns=\"";
  xml += sheetlib::kSpreadsheetNamespace;
  xml +=
      "\"><fonts count=\"1\"><font><sz val=\"11\"/><name val=\"Calibri\"/></font></fonts>"
      "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill><fill><patternFill "
      "patternType=\"gray125\"/></fill></fills><borders count=\"1\"><border><left/><right/><top/><bottom/>"
      "<diagonal/></border></borders><cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" "
      "borderId=\"0\"/></cellStyleXfs><cellXfs count=\"2\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" "
      "borderId=\"0\" xfId=\"0\"/><xf numFmtId=\"14\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" "
      "applyNumberFormat=\"1\"/></cellXfs></styleSheet>";
  return xml;
}

// The dressed sheet's styles: 0 default, 1 date, 2 the heading row, then per
// column, row parity and eight indents one style (numbers of dates and
// amounts with their formats), thin grey borders round all, alternating
// fills; one format for the highlight rule.
int dressed_style(int row, int column) {
  return row == 0 ? 2 : 3 + ((column * 2 + row % 2) * 8 + (row / 2) % 8);
}

std::string dressed_styles_part(int columns) {
  std::string xml = sheetlib::kXmlDeclaration;
  xml += "<styleSheet xmlns=\"";
  xml += sheetlib::kSpreadsheetNamespace;
  xml +=
      "\"><numFmts count=\"1\"><numFmt numFmtId=\"164\" formatCode=\"#,##0.00\"/></numFmts>"
      "<fonts count=\"3\"><font><sz val=\"11\"/><name val=\"宋体\"/></font>"
      "<font><b/><sz val=\"11\"/><color rgb=\"FFFFFFFF\"/><name val=\"微软雅黑\"/></font>"
      "<font><sz val=\"10\"/><color rgb=\"FF333333\"/><name val=\"宋体\"/></font></fonts>"
      "<fills count=\"5\"><fill><patternFill patternType=\"none\"/></fill><fill><patternFill patternType=\"gray125\"/>"
      "</fill><fill><patternFill patternType=\"solid\"><fgColor rgb=\"FF305496\"/></patternFill></fill>"
      "<fill><patternFill patternType=\"solid\"><fgColor rgb=\"FFDDEBF7\"/></patternFill></fill>"
      "<fill><patternFill patternType=\"solid\"><fgColor rgb=\"FFFFFFFF\"/></patternFill></fill></fills>"
      "<borders count=\"3\"><border><left/><right/><top/><bottom/><diagonal/></border>"
      "<border><left style=\"thin\"><color rgb=\"FF808080\"/></left><right style=\"thin\"><color rgb=\"FF808080\"/>"
      "</right><top style=\"thin\"><color rgb=\"FF808080\"/></top><bottom style=\"thin\"><color rgb=\"FF808080\"/>"
      "</bottom><diagonal/></border><border><left style=\"thin\"/><right style=\"thin\"/><top style=\"thin\"/>"
      "<bottom style=\"medium\"/><diagonal/></border></borders>"
      "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs>";
  const int styles = 3 + columns * 2 * 8;
  xml += "<cellXfs count=\"" + std::to_string(styles) + "\">";
  xml += "<xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>";
  xml += "<xf numFmtId=\"14\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyNumberFormat=\"1\"/>";
  xml +=
      "<xf numFmtId=\"0\" fontId=\"1\" fillId=\"2\" borderId=\"2\" xfId=\"0\" applyFont=\"1\" applyFill=\"1\" "
      "applyBorder=\"1\" applyAlignment=\"1\"><alignment horizontal=\"center\" vertical=\"center\" wrapText=\"1\"/></xf>";
  for (int column = 0; column < columns; ++column) {
    const Kind kind = kind_of(column);
    const int format = kind == Kind::date ? 14 : kind == Kind::amount ? 164 : 0;
    for (int parity = 0; parity < 2; ++parity) {
      for (int indent = 0; indent < 8; ++indent) {
        xml += "<xf numFmtId=\"" + std::to_string(format) + "\" fontId=\"2\" fillId=\"" + std::to_string(3 + parity) +
               "\" borderId=\"1\" xfId=\"0\" applyNumberFormat=\"1\" applyFont=\"1\" applyFill=\"1\" applyBorder=\"1\" "
               "applyAlignment=\"1\"><alignment indent=\"" + std::to_string(indent) + "\"/></xf>";
      }
    }
  }
  xml +=
      "</cellXfs><cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>"
      "<dxfs count=\"1\"><dxf><font><color rgb=\"FF9C0006\"/></font><fill><patternFill><bgColor rgb=\"FFFFC7CE\"/>"
      "</patternFill></fill></dxf></dxfs></styleSheet>";
  return xml;
}

bool add_text(zip_t* archive, const char* name, const std::string& text) {
  char* copy = static_cast<char*>(std::malloc(text.size() + 1));
  if (!copy) return false;
  text.copy(copy, text.size());
  zip_source_t* source = zip_source_buffer(archive, copy, text.size(), 1);
  if (!source) return false;
  const zip_int64_t index = zip_file_add(archive, name, source, ZIP_FL_ENC_UTF_8);
  if (index < 0) return false;
  return zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 1) == 0;
}

int make(const std::string& path, int rows, int columns, int cities = 30, bool dressed = false) {
  const std::string sheet_file = path + ".sheet.tmp";
  std::FILE* file = std::fopen(sheet_file.c_str(), "wb");
  if (!file) return 1;
  static char buffer[1 << 20];
  std::setvbuf(file, buffer, _IOFBF, sizeof buffer);

  Strings strings;
  Random random;
  SheetWriter out(file);
  std::vector<std::string> letters;
  for (int column = 0; column < columns; ++column) letters.push_back(column_name(column));
  std::fprintf(file, "%s<worksheet xmlns=\"%s\"><dimension ref=\"A1:%s%d\"/>", sheetlib::kXmlDeclaration,
               sheetlib::kSpreadsheetNamespace, letters.back().c_str(), rows);
  if (dressed) {
    std::fputs("<sheetViews><sheetView workbookViewId=\"0\"><pane ySplit=\"1\" topLeftCell=\"A2\" activePane=\"bottomLeft\" "
               "state=\"frozen\"/></sheetView></sheetViews><sheetFormatPr defaultRowHeight=\"14.25\"/>",
               file);
  }
  std::fputs("<sheetData>", file);
  std::string reference;
  for (int row = 0; row < rows; ++row) {
    if (dressed && row == 0)
      std::fputs("<row r=\"1\" ht=\"24\" customHeight=\"1\">", file);
    else
      std::fprintf(file, "<row r=\"%d\">", row + 1);
    const std::string number = std::to_string(row + 1);
    for (int column = 0; column < columns; ++column) {
      reference = letters[static_cast<std::size_t>(column)] + number;
      if (dressed) out.dressed_style = dressed_style(row, column);
      if (row == 0)
        out.string_cell(reference, strings.index(heading(column)));
      else
        write_cell(out, strings, random, reference, row, column, cities);
    }
    std::fputs("</row>", file);
  }
  std::fputs("</sheetData>", file);
  if (dressed) {
    const std::string last = letters.back() + std::to_string(rows);
    std::fprintf(file,
                 "<autoFilter ref=\"A1:%s\"/><conditionalFormatting sqref=\"E2:E%d\"><cfRule type=\"cellIs\" dxfId=\"0\" "
                 "priority=\"1\" operator=\"greaterThan\"><formula>50000</formula></cfRule></conditionalFormatting>"
                 "<dataValidations count=\"1\"><dataValidation type=\"list\" allowBlank=\"1\" sqref=\"C2:C%d\">"
                 "<formula1>\"北京,上海,广州\"</formula1></dataValidation></dataValidations>"
                 "<pageMargins left=\"0.5\" right=\"0.5\" top=\"0.75\" bottom=\"0.75\" header=\"0.3\" footer=\"0.3\"/>"
                 "<pageSetup paperSize=\"9\" orientation=\"landscape\"/>",
                 last.c_str(), rows, rows);
  }
  std::fputs("</worksheet>", file);
  if (std::fclose(file) != 0) return 1;

  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (!archive) return 1;
  const std::vector<sheetlib::SheetToWrite> sheets{{"数据", nullptr}};
  bool ok = add_text(archive, "[Content_Types].xml", sheetlib::content_types_part(1)) &&
            add_text(archive, "_rels/.rels", sheetlib::package_relationships_part()) &&
            add_text(archive, "docProps/app.xml", sheetlib::application_properties_part()) &&
            add_text(archive, "xl/workbook.xml", sheetlib::workbook_part(sheets)) &&
            add_text(archive, "xl/_rels/workbook.xml.rels", sheetlib::workbook_relationships_part(1)) &&
            add_text(archive, "xl/styles.xml", dressed ? dressed_styles_part(columns) : styles_part()) &&
            add_text(archive, "xl/sharedStrings.xml", strings.part(out.references()));
  zip_source_t* sheet = ok ? zip_source_file(archive, sheet_file.c_str(), 0, -1) : nullptr;
  const zip_int64_t index = sheet ? zip_file_add(archive, "xl/worksheets/sheet1.xml", sheet, 0) : -1;
  ok = index >= 0 && zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 1) == 0;
  ok = ok && zip_close(archive) == 0;
  if (!ok) zip_discard(archive);
  std::remove(sheet_file.c_str());
  return ok ? 0 : 1;
}

int measure(const std::string& path) {
  const colsplit::xl::BookHandle book = colsplit::xl::create_workbook();
  if (colsplit::xl::xlBookLoadA(book, path) != 1) return 1;
  const colsplit::xl::SheetHandle sheet = colsplit::xl::xlBookGetSheetA(book, 0);
  const int rows = colsplit::xl::xlSheetLastRowA(sheet);
  const int columns = colsplit::xl::xlSheetLastColA(sheet);
  unsigned long long bytes = 0;
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < columns; ++column) bytes += colsplit::xl::xlSheetReadStrA(sheet, row, column, nullptr).size();
  }
  colsplit::xl::xlBookReleaseA(book);
  std::printf("rows %d columns %d cells %lld text_bytes %llu\n", rows, columns, static_cast<long long>(rows) * columns,
              bytes);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "make" && argc == 5) return make(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
  if (mode == "make-dressed" && argc == 6)
    return make(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), std::max(1, std::atoi(argv[5])), true);
  if (mode == "measure" && argc == 3) return measure(argv[2]);
  std::fprintf(stderr, "usage: %s make FILE ROWS COLUMNS | make-dressed FILE ROWS COLUMNS CITIES | measure FILE\n",
               argv[0]);
  return 2;
}
