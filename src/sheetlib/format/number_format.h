// The text a spreadsheet application shows for a number: the General format,
// number format codes (decimals, thousands separators and scaling, percent,
// fractions, scientific notation, literal text, sections and conditions,
// dates and times, elapsed time, Chinese numerals, Japanese eras) and the
// built-in format ids. No I/O; the free functions are safe to call from
// several threads at once, a NumberFormatter serves one thread.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace sheetlib {

class FormatCache;

// Renders the numbers of one sheet, keeping the codes it has parsed (a
// workbook has a few dozen formats for millions of cells). One per reader:
// it takes no lock. (Not a thread_local cache: destroyed by MinGW's runtime
// inside the library as a reading thread ended, it left the heap locked
// under Wine, and the next drop on the window hung.)
class NumberFormatter {
 public:
  NumberFormatter();
  ~NumberFormatter();
  NumberFormatter(const NumberFormatter&) = delete;
  NumberFormatter& operator=(const NumberFormatter&) = delete;

  // The text shown for `value` under `format_code` (UTF-8). `date1904`
  // selects the 1904 date system for date and time formats. A code longer
  // than 1,024 bytes (applications write at most 255 characters) shows as
  // General.
  std::string format(double value, std::string_view format_code, bool date1904);

  // The text shown for the text cell `text` under `format_code`: the code's
  // section for texts (the fourth, or the only section when it holds @),
  // with @ standing for the text; nothing when the code has no such section
  // and the text shows as it is.
  std::optional<std::string> format_text(std::string_view text, std::string_view format_code);

 private:
  std::unique_ptr<FormatCache> cache_;
};

// The same for a single number.
std::string format_number(double value, std::string_view format_code, bool date1904);

// Whether `format_code` has a section for texts (see format_text): a reader
// asks once per style, and renders the texts of the styles that have one.
bool has_text_section(std::string_view format_code);

// The format code of a built-in number format id (0 … 163); "General" for
// ids without one.
std::string_view builtin_number_format(int id);

// The serial date-time number of an ISO 8601 value ("2024-03-01",
// "2024-03-01T12:30:00", "12:30:00"), as cells of type "d" hold them.
std::optional<double> iso_datetime_to_serial(std::string_view iso, bool date1904);

}  // namespace sheetlib
