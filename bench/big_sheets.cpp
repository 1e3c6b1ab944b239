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
//   bench_big_sheets measure FILE
//     reads the sheet through the library and prints its cell count and
//     the bytes of its cells' shown texts (GBK): "cells N text_bytes N".
#include <zip.h>

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
  void string_cell(const std::string& reference, unsigned index) {
    std::fprintf(file_, "<c r=\"%s\" t=\"s\"><v>%u</v></c>", reference.c_str(), index);
    ++references_;
  }
  void number_cell(const std::string& reference, const char* value, int style) {
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
                int column) {
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
      return out.string_cell(reference, strings.index(kCities[random.next() % 30]));
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

int make(const std::string& path, int rows, int columns) {
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
  std::fprintf(file, "%s<worksheet xmlns=\"%s\"><dimension ref=\"A1:%s%d\"/><sheetData>", sheetlib::kXmlDeclaration,
               sheetlib::kSpreadsheetNamespace, letters.back().c_str(), rows);
  std::string reference;
  for (int row = 0; row < rows; ++row) {
    std::fprintf(file, "<row r=\"%d\">", row + 1);
    const std::string number = std::to_string(row + 1);
    for (int column = 0; column < columns; ++column) {
      reference = letters[static_cast<std::size_t>(column)] + number;
      if (row == 0)
        out.string_cell(reference, strings.index(heading(column)));
      else
        write_cell(out, strings, random, reference, row, column);
    }
    std::fputs("</row>", file);
  }
  std::fputs("</sheetData></worksheet>", file);
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
            add_text(archive, "xl/styles.xml", styles_part()) &&
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
  if (mode == "measure" && argc == 3) return measure(argv[2]);
  std::fprintf(stderr, "usage: %s make FILE ROWS COLUMNS | measure FILE\n", argv[0]);
  return 2;
}
