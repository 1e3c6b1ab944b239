#include "sheetlib/format/format_code.h"

#include <cctype>
#include <charconv>

#include "text/unicode.h"

namespace sheetlib::format {

namespace {

// A broken UTF-8 sequence still advances by at least one byte.
std::string_view next_char(std::string_view s, std::size_t i) {
  if (i >= s.size()) return {};
  return s.substr(i, colsplit::utf8_char_length(s, i));
}

bool starts_with_nocase(std::string_view s, std::size_t i, std::string_view word) {
  if (s.size() - i < word.size()) return false;
  for (std::size_t k = 0; k < word.size(); ++k) {
    if (std::tolower(static_cast<unsigned char>(s[i + k])) != word[k]) return false;
  }
  return true;
}

constexpr std::string_view k_chinese_am_pm = "上午/下午";

bool is_date_kind(TokenKind kind) {
  switch (kind) {
    case TokenKind::year: case TokenKind::month: case TokenKind::day:
    case TokenKind::weekday_cjk: case TokenKind::hour: case TokenKind::minute:
    case TokenKind::second: case TokenKind::elapsed_hours: case TokenKind::elapsed_minutes:
    case TokenKind::elapsed_seconds: case TokenKind::am_pm: case TokenKind::era_name:
    case TokenKind::era_year:
      return true;
    default:
      return false;
  }
}

class SectionParser {
 public:
  explicit SectionParser(Section& section) : section_(section) {}

  void tokenize(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
      const char c = s[i];
      const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      if (c == '"') {
        const std::size_t end = s.find('"', i + 1);
        const std::size_t stop = end == std::string_view::npos ? s.size() : end;
        literal(s.substr(i + 1, stop - i - 1));
        i = stop + 1;
      } else if (c == '\\') {
        const std::string_view escaped = next_char(s, i + 1);
        literal(escaped);
        i += 1 + escaped.size();
      } else if (c == '_') {
        // Leaves room as wide as the next character: one space in a text.
        literal(" ");
        i += 1 + next_char(s, i + 1).size();
      } else if (c == '*') {
        // Repeats the next character to fill the cell: a text has no width.
        i += 1 + next_char(s, i + 1).size();
      } else if (c == '[') {
        const std::size_t end = s.find(']', i + 1);
        if (end == std::string_view::npos) {
          literal(s.substr(i));
          break;
        }
        bracket(s.substr(i + 1, end - i - 1));
        i = end + 1;
      } else if (starts_with_nocase(s, i, "general")) {
        add(TokenKind::general, "");
        i += 7;
      } else if (starts_with_nocase(s, i, "am/pm")) {
        add(TokenKind::am_pm, std::string(s.substr(i, 5)));
        i += 5;
      } else if (starts_with_nocase(s, i, "a/p")) {
        add(TokenKind::am_pm, std::string(s.substr(i, 3)));
        i += 3;
      } else if (s.substr(i).starts_with(k_chinese_am_pm)) {
        add(TokenKind::am_pm, std::string(k_chinese_am_pm));
        i += k_chinese_am_pm.size();
      } else if (c == '0' || c == '#' || c == '?') {
        add(TokenKind::digit, std::string(1, c));
        ++i;
      } else if (c == '.') {
        add(TokenKind::decimal_point, ".");
        ++i;
      } else if (c == ',') {
        add(TokenKind::thousands, ",");
        ++i;
      } else if (c == '%') {
        add(TokenKind::percent, "%");
        ++i;
      } else if (lower == 'e' && i + 1 < s.size() && (s[i + 1] == '+' || s[i + 1] == '-')) {
        add(TokenKind::exponent, std::string(s.substr(i, 2)));
        i += 2;
      } else if (c == '/') {
        add(TokenKind::fraction_slash, "/");
        ++i;
      } else if (c == '@') {
        add(TokenKind::text, "@");
        ++i;
      } else if (lower == 'y' || lower == 'm' || lower == 'd' || lower == 'h' || lower == 's' ||
                 lower == 'a' || lower == 'g' || lower == 'e') {
        std::size_t run = 1;
        while (i + run < s.size() &&
               std::tolower(static_cast<unsigned char>(s[i + run])) == lower) {
          ++run;
        }
        date_letters(lower, static_cast<int>(run), s.substr(i, run));
        i += run;
      } else {
        const std::string_view ch = next_char(s, i);
        literal(ch);
        i += ch.size();
      }
    }
  }

  void finish() {
    if (section_.numerals.numerals == Numerals::arabic && shape_numerals_ != Numerals::arabic) {
      section_.numerals.numerals = shape_numerals_;
      section_.numerals.digit_by_digit = true;
    }
    section_.numerals.traditional = section_.language == Language::chinese_traditional || shape_traditional_;
    for (const Token& token : section_.tokens) {
      if (is_date_kind(token.kind)) section_.is_date = true;
      if (token.kind == TokenKind::text) section_.is_text = true;
    }
    if (section_.is_date) {
      finish_date();
    } else {
      finish_number();
    }
  }

  // [$-F800] / [$-F400]: the code stands for the system's long date / time.
  bool wants_system_long_date() const { return system_long_date_; }
  bool wants_system_time() const { return system_time_; }

 private:
  void add(TokenKind kind, std::string text, int count = 0) {
    section_.tokens.push_back(Token{kind, std::move(text), count});
  }

  void literal(std::string_view text) {
    if (text.empty()) return;
    if (!section_.tokens.empty() && section_.tokens.back().kind == TokenKind::literal) {
      section_.tokens.back().text += text;
    } else {
      add(TokenKind::literal, std::string(text));
    }
  }

  void date_letters(char letter, int run, std::string_view original) {
    switch (letter) {
      case 'y': add(TokenKind::year, "", run <= 2 ? 2 : 4); break;
      case 'm': add(TokenKind::month, "", run > 5 ? 4 : run); break;
      case 'd': add(TokenKind::day, "", run > 4 ? 4 : run); break;
      case 'h': add(TokenKind::hour, "", run > 2 ? 2 : run); break;
      case 's': add(TokenKind::second, "", run > 2 ? 2 : run); break;
      case 'g': add(TokenKind::era_name, "", run > 3 ? 3 : run); break;
      case 'e': add(TokenKind::era_year, "", run > 2 ? 2 : run); break;
      default:  // 'a': only aaa and aaaa mean something
        if (run >= 3) {
          add(TokenKind::weekday_cjk, "", run > 4 ? 4 : run);
        } else {
          literal(original);
        }
    }
  }

  void bracket(std::string_view content) {
    if (content.empty()) return;
    const char first = content[0];
    if (first == '$') {
      locale_tag(content.substr(1));
    } else if (first == '<' || first == '>' || first == '=') {
      condition(content);
    } else {
      const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(first)));
      bool same = lower == 'h' || lower == 'm' || lower == 's';
      for (char c : content) {
        if (std::tolower(static_cast<unsigned char>(c)) != lower) same = false;
      }
      if (same) {
        const TokenKind kind = lower == 'h'   ? TokenKind::elapsed_hours
                               : lower == 'm' ? TokenKind::elapsed_minutes
                                              : TokenKind::elapsed_seconds;
        add(kind, "", content.size() > 1 ? 2 : 1);
      }
      if (content.size() == 6 && starts_with_nocase(content, 0, "dbnum") && content[5] >= '1' && content[5] <= '3') {
        constexpr Numerals by_digit[] = {Numerals::lower, Numerals::upper, Numerals::full_width};
        section_.numerals.numerals = by_digit[content[5] - '1'];
      }
      // Anything else is a colour ([Red], [Color12]) or a numeral system
      // this renderer does not write ([DBNum4]): neither changes the text.
    }
  }

  // [$€-407]: a currency symbol shown as text, then a locale id whose
  // language decides the month and day names.
  void locale_tag(std::string_view tag) {
    const std::size_t dash = tag.find('-');
    literal(tag.substr(0, dash));
    if (dash == std::string_view::npos) return;
    const std::string_view hex = tag.substr(dash + 1);
    // Newer files name the locale (zh-CN) or the system formats in words.
    if (hex == "x-sysdate") system_long_date_ = true;
    if (hex == "x-systime") system_time_ = true;
    if (starts_with_nocase(hex, 0, "zh")) {
      const bool traditional = starts_with_nocase(hex, 0, "zh-tw") || starts_with_nocase(hex, 0, "zh-hk") ||
                               starts_with_nocase(hex, 0, "zh-mo") || starts_with_nocase(hex, 0, "zh-hant");
      section_.language = traditional ? Language::chinese_traditional : Language::chinese;
    } else if (starts_with_nocase(hex, 0, "ja")) {
      section_.language = Language::japanese;
      // Excel's way to the 元年 of the first year of an era.
      section_.gannen = hex.ends_with("-x-gannen");
    }
    unsigned long id = 0;
    const auto [end, error] = std::from_chars(hex.data(), hex.data() + hex.size(), id, 16);
    if (error != std::errc{} || end != hex.data() + hex.size()) return;
    // The low 16 bits name the language and country; the bits above, the
    // calendar or the numerals, which the tags and letters here decide.
    const unsigned long language = id & 0x3FF;
    const unsigned long locale = id & 0xFFFF;
    // The numeral byte: 1E, 1F, 20 ask for Chinese, capital and full-width
    // digits (21 to 23 the same in traditional characters, 1B to 1D and 24
    // to 26 those of Japan and Korea, written here with the Chinese ones).
    // LibreOffice saves the [DBNum1] of a date this way.
    const unsigned long shape = id >> 24 & 0xFF;
    if (shape >= 0x1B && shape <= 0x26) {
      constexpr Numerals by_shape[] = {Numerals::lower, Numerals::upper, Numerals::full_width};
      shape_numerals_ = by_shape[(shape - 0x1B) % 3];
      shape_traditional_ = shape >= 0x21 && shape <= 0x23;
    }
    if (language == 0x04) {
      const bool traditional = locale == 0x0404 || locale == 0x0C04 || locale == 0x1404 || locale == 0x7C04;
      section_.language = traditional ? Language::chinese_traditional : Language::chinese;
    } else if (language == 0x11) {
      section_.language = Language::japanese;
    } else if (language != 0) {
      section_.language = Language::other;
    }
    // F800 and F400 stand for the system's long date and time formats.
    if ((id & 0xFFFF) == 0xF800) system_long_date_ = true;
    if ((id & 0xFFFF) == 0xF400) system_time_ = true;
  }

  void condition(std::string_view text) {
    using Op = Condition::Op;
    Op op;
    std::size_t length = 1;
    if (text.starts_with("<=")) {
      op = Op::le, length = 2;
    } else if (text.starts_with(">=")) {
      op = Op::ge, length = 2;
    } else if (text.starts_with("<>")) {
      op = Op::ne, length = 2;
    } else if (text[0] == '<') {
      op = Op::lt;
    } else if (text[0] == '>') {
      op = Op::gt;
    } else {
      op = Op::eq;
    }
    std::string_view number = text.substr(length);
    while (!number.empty() && number.front() == ' ') number.remove_prefix(1);
    double operand = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), operand);
    if (error != std::errc{} || end != number.data() + number.size()) return;
    section_.condition = Condition{op, operand};
  }

  void finish_date() {
    auto& tokens = section_.tokens;
    for (const Token& token : tokens) {
      if (token.kind == TokenKind::am_pm) section_.twelve_hour = true;
      if (token.kind == TokenKind::elapsed_hours || token.kind == TokenKind::elapsed_minutes ||
          token.kind == TokenKind::elapsed_seconds) {
        section_.has_elapsed = true;
      }
    }
    // m and mm are minutes right after an hour or right before a second.
    auto is_clock_or_date = [&](TokenKind kind) { return is_date_kind(kind) && kind != TokenKind::am_pm; };
    for (std::size_t i = 0; i < tokens.size(); ++i) {
      if (tokens[i].kind != TokenKind::month || tokens[i].count > 2) continue;
      bool minute = false;
      for (std::size_t k = i; k-- > 0;) {
        if (!is_clock_or_date(tokens[k].kind)) continue;
        minute = tokens[k].kind == TokenKind::hour || tokens[k].kind == TokenKind::elapsed_hours;
        break;
      }
      for (std::size_t k = i + 1; !minute && k < tokens.size(); ++k) {
        if (!is_clock_or_date(tokens[k].kind)) continue;
        minute = tokens[k].kind == TokenKind::second || tokens[k].kind == TokenKind::elapsed_seconds;
        break;
      }
      if (minute) tokens[i].kind = TokenKind::minute;
    }
    // Number tokens mean nothing in a date, except ".0", ".00", ".000":
    // fractions of a second.
    std::vector<Token> result;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
      Token& token = tokens[i];
      if (token.kind == TokenKind::decimal_point && i + 1 < tokens.size() &&
          tokens[i + 1].kind == TokenKind::digit && tokens[i + 1].text == "0") {
        int digits = 0;
        while (i + 1 < tokens.size() && tokens[i + 1].kind == TokenKind::digit && tokens[i + 1].text == "0") {
          ++digits, ++i;
        }
        const int shown = digits > 3 ? 3 : digits;
        if (shown > section_.subsecond_digits) section_.subsecond_digits = shown;
        result.push_back(Token{TokenKind::subsecond, ".", shown});
        continue;
      }
      // A digit placeholder in a date: a letter of text left unquoted, such
      // as the s of "0 pcs".
      if (token.kind == TokenKind::digit) section_.is_malformed = true;
      if (!is_date_kind(token.kind) && token.kind != TokenKind::literal) {
        if (token.kind == TokenKind::general || token.kind == TokenKind::text) continue;
        token.kind = TokenKind::literal;
      }
      if (token.kind == TokenKind::literal && !result.empty() && result.back().kind == TokenKind::literal) {
        result.back().text += token.text;
      } else {
        result.push_back(std::move(token));
      }
    }
    tokens = std::move(result);
  }

  void finish_number() {
    auto& tokens = section_.tokens;
    mark_fraction();
    // Commas: between integer digits they group thousands; after the last
    // digit they scale by a thousand each; elsewhere they are text. A run of
    // commas is taken in one step, so that a code of many commas costs no
    // more than its length.
    std::vector<Token> result;
    bool after_point = false;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
      Token& token = tokens[i];
      if (token.kind == TokenKind::decimal_point || token.kind == TokenKind::exponent) after_point = true;
      if (token.kind != TokenKind::thousands) {
        result.push_back(std::move(token));
        continue;
      }
      std::size_t next = i + 1;
      while (next < tokens.size() && tokens[next].kind == TokenKind::thousands) ++next;
      const bool after_digit = !result.empty() && result.back().kind == TokenKind::digit;
      const bool before_digit = next < tokens.size() && tokens[next].kind == TokenKind::digit;
      if (after_digit && before_digit && !after_point) {
        section_.thousands = true;
      } else if (after_digit) {
        section_.scale_thousands += static_cast<int>(next - i);
      } else {
        for (std::size_t k = i; k < next; ++k) result.push_back(Token{TokenKind::literal, ",", 0});
      }
      i = next - 1;
    }
    tokens = std::move(result);
    // The part each digit placeholder belongs to.
    DigitPart part = integer_part;
    for (Token& token : tokens) {
      switch (token.kind) {
        case TokenKind::decimal_point:
          if (part == integer_part) part = decimal_part;
          break;
        case TokenKind::exponent:
          part = exponent_part;
          section_.has_exponent = true;
          break;
        case TokenKind::percent:
          section_.percent = true;
          break;
        case TokenKind::digit:
          if (token.count == 0) token.count = part;
          if (token.count == decimal_part) ++section_.fraction_digits;
          break;
        default:
          break;
      }
    }
    if (section_.has_fraction) section_.fraction_digits = 0;
  }

  // "# ?/?", "?/8": the digits right before the slash are the numerator,
  // earlier ones the whole part, those after it the denominator (or a fixed
  // denominator written as digits).
  void mark_fraction() {
    auto& tokens = section_.tokens;
    std::size_t slash = 0;
    while (slash < tokens.size() && tokens[slash].kind != TokenKind::fraction_slash) ++slash;
    if (slash == tokens.size() || slash == 0 || tokens[slash - 1].kind != TokenKind::digit) {
      for (Token& token : tokens) {
        if (token.kind == TokenKind::fraction_slash) token.kind = TokenKind::literal;
      }
      return;
    }
    section_.has_fraction = true;
    std::size_t k = slash;
    while (k > 0 && tokens[k - 1].kind == TokenKind::digit) tokens[--k].count = numerator_part;
    for (std::size_t i = 0; i < k; ++i) {
      if (tokens[i].kind == TokenKind::digit) tokens[i].count = integer_part;
      if (tokens[i].kind == TokenKind::decimal_point) tokens[i].kind = TokenKind::literal;
    }
    std::size_t end = slash + 1;
    if (end < tokens.size() && tokens[end].kind == TokenKind::literal && !tokens[end].text.empty() &&
        tokens[end].text[0] >= '1' && tokens[end].text[0] <= '9') {
      // A fixed denominator: its digits may have been read as "0" placeholders.
      std::string digits;
      std::string rest;
      const std::string& text = tokens[end].text;
      std::size_t n = 0;
      while (n < text.size() && text[n] >= '0' && text[n] <= '9') ++n;
      digits = text.substr(0, n);
      rest = text.substr(n);
      std::size_t after = end + 1;
      if (rest.empty()) {
        while (after < tokens.size() && tokens[after].kind == TokenKind::digit && tokens[after].text == "0") {
          digits += '0';
          ++after;
        }
      }
      int value = 0;
      std::from_chars(digits.data(), digits.data() + (digits.size() > 9 ? 9 : digits.size()), value);
      std::vector<Token> replacement{Token{TokenKind::fraction_denominator, digits, value}};
      if (!rest.empty()) replacement.push_back(Token{TokenKind::literal, rest, 0});
      tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(end), tokens.begin() + static_cast<std::ptrdiff_t>(after));
      tokens.insert(tokens.begin() + static_cast<std::ptrdiff_t>(end), replacement.begin(), replacement.end());
      return;
    }
    while (end < tokens.size() && tokens[end].kind == TokenKind::digit) tokens[end++].count = denominator_part;
  }

  Section& section_;
  Numerals shape_numerals_ = Numerals::arabic;  // from the numeral byte of a locale tag
  bool shape_traditional_ = false;
  bool system_long_date_ = false;
  bool system_time_ = false;
};

Section parse_section(std::string_view text) {
  Section section;
  SectionParser parser(section);
  parser.tokenize(text);
  if (parser.wants_system_long_date() || parser.wants_system_time()) {
    // The long date and the time of a Chinese Windows, whatever the code
    // around the tag says.
    Section system = parse_section(parser.wants_system_long_date() ? "yyyy\"年\"m\"月\"d\"日\"" : "h:mm:ss");
    system.condition = section.condition;
    return system;
  }
  parser.finish();
  return section;
}

}  // namespace

bool Condition::matches(double value) const {
  switch (op) {
    case Op::none: return true;
    case Op::lt: return value < operand;
    case Op::le: return value <= operand;
    case Op::gt: return value > operand;
    case Op::ge: return value >= operand;
    case Op::eq: return value == operand;
    case Op::ne: return value != operand;
  }
  return false;
}

bool Condition::implies_negative() const {
  return (op == Op::lt || op == Op::le) && operand == 0;
}

FormatCode parse_format_code(std::string_view code) {
  FormatCode result;
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < code.size()) {
    const char c = code[i];
    if (c == '"') {
      const std::size_t end = code.find('"', i + 1);
      i = end == std::string_view::npos ? code.size() : end + 1;
    } else if (c == '[') {
      const std::size_t end = code.find(']', i + 1);
      i = end == std::string_view::npos ? code.size() : end + 1;
    } else if (c == '\\' || c == '_' || c == '*') {
      i += 1 + next_char(code, i + 1).size();
    } else if (c == ';') {
      result.sections.push_back(parse_section(code.substr(start, i - start)));
      start = ++i;
    } else {
      ++i;
    }
  }
  result.sections.push_back(parse_section(code.substr(start)));
  return result;
}

}  // namespace sheetlib::format
