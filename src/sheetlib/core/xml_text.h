// Appending XML to a buffer: escaped texts and attribute values, numbers and
// cell references, without a temporary string per call.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sheetlib {

// Appends `utf8` as element content. Besides & < >, characters that XML 1.0
// cannot hold (the control characters other than tab and line feed) become
// the _xHHHH_ escapes spreadsheet applications decode, and a literal _xHHHH_
// in the text has its underscore escaped as _x005F_ so that it reads back
// unchanged. A carriage return is written as a character reference because
// XML parsers would turn a literal one into a line feed.
void append_escaped_text(std::string& out, std::string_view utf8);

// Appends `utf8` as the value of an attribute in double quotes. Control
// characters are written as character references; the callers only pass
// texts without them (sheet names), so nothing else is needed.
void append_escaped_attribute(std::string& out, std::string_view utf8);

// True when the text needs xml:space="preserve" to keep its whitespace:
// it starts or ends with a space, tab or line break.
bool needs_space_preserve(std::string_view utf8);

void append_number(std::string& out, std::uint64_t value);

// Appends a floating-point number in its shortest form that reads back as
// the same value ("20", "8.43").
void append_decimal(std::string& out, double value);

// Appends a cell's number (finite) in its shortest form that reads back as
// the same double ("1234.5", "0.1", "1e-07"). Negative zero is written as 0:
// spreadsheet applications have no such number, and some show "-0".
void append_cell_number(std::string& out, double value);

// Appends an A1-style cell reference ("A1", "XFD1048576") of a zero-based row
// and column.
void append_cell_reference(std::string& out, std::uint32_t row, std::uint32_t column);

// Appends the letters of a zero-based column ("A", "AA", "XFD").
void append_column_letters(std::string& out, std::uint32_t column);

}  // namespace sheetlib
