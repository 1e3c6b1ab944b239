// Speed of the text conversions on cell-sized texts, as the reader (UTF-8
// to GBK, once per shared string), the writer (GBK to UTF-8, once per
// distinct text) and the window (GBK to UTF-16 and back) use them: a
// million short texts of each kind, the best of three runs.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "text/encoding.h"

namespace {

constexpr int kTexts = 1'000'000;
constexpr int kRuns = 3;

std::string u8s(std::u8string_view s) { return std::string(reinterpret_cast<const char*>(s.data()), s.size()); }

// Texts as a personnel sheet holds them: names, places, codes, notes.
std::vector<std::string> chinese_texts() {
  const std::u8string_view surnames[] = {u8"王", u8"李", u8"张", u8"刘", u8"陈", u8"杨", u8"赵", u8"黄"};
  const std::u8string_view given[] = {u8"伟", u8"芳", u8"娜", u8"秀英", u8"敏", u8"静", u8"丽", u8"强", u8"磊"};
  const std::u8string_view places[] = {u8"北京市朝阳区", u8"上海市浦东新区", u8"广州市天河区", u8"深圳市南山区"};
  std::vector<std::string> texts;
  texts.reserve(kTexts);
  for (int i = 0; i < kTexts; ++i) {
    switch (i % 4) {
      case 0: texts.push_back(u8s(surnames[i % 8]) + u8s(given[i / 8 % 9])); break;
      case 1: texts.push_back(u8s(places[i / 4 % 4]) + std::to_string(i % 300) + u8s(u8"号")); break;
      case 2: texts.push_back(u8s(u8"员工") + std::to_string(i)); break;
      default: texts.push_back(u8s(u8"备注：已核对，见附件") + std::to_string(i % 10)); break;
    }
  }
  return texts;
}

// The same with a rare character, a Korean word or an emoji in every tenth.
std::vector<std::string> mixed_texts() {
  std::vector<std::string> texts = chinese_texts();
  const std::u8string_view rare[] = {u8"王䶮", u8"李㐀", u8"𠮷野家", u8"한국어", u8"😀", u8"Müller-Ğ"};
  for (std::size_t i = 0; i < texts.size(); i += 10) texts[i] = u8s(rare[i / 10 % 6]) + std::to_string(i);
  return texts;
}

std::vector<std::string> ascii_texts() {
  std::vector<std::string> texts;
  texts.reserve(kTexts);
  for (int i = 0; i < kTexts; ++i) texts.push_back("item " + std::to_string(i));
  return texts;
}

template <typename Convert>
double best_seconds(Convert convert) {
  double best = 1e30;
  for (int run = 0; run < kRuns; ++run) {
    const auto start = std::chrono::steady_clock::now();
    convert();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    best = std::min(best, took.count());
  }
  return best;
}

std::size_t total_bytes(const std::vector<std::string>& texts) {
  std::size_t bytes = 0;
  for (const std::string& text : texts) bytes += text.size();
  return bytes;
}

void report(const char* what, double seconds, std::size_t input_bytes) {
  std::printf("%-34s %7.3f s  %7.1f ns/text  %7.1f MB/s\n", what, seconds, seconds / kTexts * 1e9,
              static_cast<double>(input_bytes) / seconds / 1e6);
}

void measure(const char* kind, const std::vector<std::string>& utf8) {
  std::vector<std::string> gbk(utf8.size());
  std::vector<std::string> back(utf8.size());
  std::printf("== %s: %d texts, %.1f MB of UTF-8\n", kind, kTexts, static_cast<double>(total_bytes(utf8)) / 1e6);
  report("UTF-8 to GBK (reading)", best_seconds([&] {
           for (std::size_t i = 0; i < utf8.size(); ++i) gbk[i] = colsplit::utf8_to_gbk(utf8[i]);
         }),
         total_bytes(utf8));
  report("GBK to UTF-8 (writing)", best_seconds([&] {
           for (std::size_t i = 0; i < gbk.size(); ++i) back[i] = colsplit::gbk_to_utf8(gbk[i]);
         }),
         total_bytes(gbk));
#ifdef _WIN32
  std::vector<std::wstring> wide(utf8.size());
  report("GBK to UTF-16 (window)", best_seconds([&] {
           for (std::size_t i = 0; i < gbk.size(); ++i) wide[i] = colsplit::gbk_to_wide(gbk[i]);
         }),
         total_bytes(gbk));
  report("UTF-16 to GBK (window)", best_seconds([&] {
           for (std::size_t i = 0; i < wide.size(); ++i) back[i] = colsplit::wide_to_gbk(wide[i]);
         }),
         total_bytes(gbk));
#endif
  std::size_t kept = 0;
  for (std::size_t i = 0; i < utf8.size(); ++i) kept += colsplit::gbk_to_utf8(gbk[i]) == utf8[i];
  std::printf("texts that come back as they were: %zu of %zu\n", kept, utf8.size());
}

}  // namespace

int main() {
  measure("ASCII", ascii_texts());
  measure("Chinese (GBK only)", chinese_texts());
  measure("Chinese with one in ten outside GBK", mixed_texts());
  return 0;
}
