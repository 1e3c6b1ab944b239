#include "sheetlib/format/format_code.h"

#include <array>
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

constexpr std::string_view k_am_pm_spellings[] = {"am/pm", "a/p"};  // in any case
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

// The characters that are a token by themselves wherever they stand; the
// token's text is the character.
struct OneCharacterToken {
  char character;
  TokenKind kind;
};

constexpr OneCharacterToken k_one_character_tokens[] = {
    {'0', TokenKind::digit},          {'#', TokenKind::digit},     {'?', TokenKind::digit},
    {'.', TokenKind::decimal_point},  {',', TokenKind::thousands}, {'%', TokenKind::percent},
    {'/', TokenKind::fraction_slash}, {'@', TokenKind::text},
};

// The table above by character, for a lookup in one step; null for the
// characters it does not hold.
constexpr auto k_one_character_index = [] {
  std::array<const OneCharacterToken*, 256> index{};
  for (const OneCharacterToken& entry : k_one_character_tokens) {
    index[static_cast<unsigned char>(entry.character)] = &entry;
  }
  return index;
}();

const OneCharacterToken* one_character_token(char c) { return k_one_character_index[static_cast<unsigned char>(c)]; }

bool is_date_letter(char lower) {
  return lower == 'y' || lower == 'm' || lower == 'd' || lower == 'h' || lower == 's' || lower == 'a' ||
         lower == 'g' || lower == 'e';
}

class SectionParser {
 public:
  explicit SectionParser(Section& section) : section_(section) {}

  void tokenize(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
      if (const OneCharacterToken* token = one_character_token(s[i])) {
        add(token->kind, std::string(1, token->character));
        ++i;
        continue;
      }
      std::size_t end = markup(s, i);
      if (end == i) end = word(s, i);
      if (end == i) end = date_letters(s, i);
      if (end == i) {
        const std::string_view ch = next_char(s, i);
        literal(ch);
        end = i + ch.size();
      }
      i = end;
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
  void add(TokenKind kind, std::string text, int letters = 0) {
    section_.tokens.push_back(Token{.kind = kind, .text = std::move(text), .letters = letters});
  }

  // Quoted text, an escaped character, room or fill (_x, *x) and a bracket
  // ([Red], [$-804], [h], [>=100]): where the markup at `i` ends, or `i`
  // when there is none.
  std::size_t markup(std::string_view s, std::size_t i) {
    switch (s[i]) {
      case '"': {
        const std::size_t end = s.find('"', i + 1);
        const std::size_t stop = end == std::string_view::npos ? s.size() : end;
        literal(s.substr(i + 1, stop - i - 1));
        return stop + 1;
      }
      case '\\': {
        const std::string_view escaped = next_char(s, i + 1);
        literal(escaped);
        return i + 1 + escaped.size();
      }
      case '_':
        // Leaves room as wide as the next character: one space in a text.
        literal(" ");
        return i + 1 + next_char(s, i + 1).size();
      case '*':
        // Repeats the next character to fill the cell: a text has no width.
        return i + 1 + next_char(s, i + 1).size();
      case '[': {
        const std::size_t end = s.find(']', i + 1);
        if (end == std::string_view::npos) {
          literal(s.substr(i));
          return s.size();
        }
        bracket(s.substr(i + 1, end - i - 1));
        return end + 1;
      }
      default:
        return i;
    }
  }

  // The tokens of more than one character: General, AM/PM, A/P, 上午/下午
  // and E+ / E-. Where the word at `i` ends, or `i` when there is none.
  std::size_t word(std::string_view s, std::size_t i) {
    if (starts_with_nocase(s, i, "general")) {
      add(TokenKind::general, "");
      return i + 7;
    }
    for (const std::string_view am_pm : k_am_pm_spellings) {
      if (starts_with_nocase(s, i, am_pm)) {
        add(TokenKind::am_pm, std::string(s.substr(i, am_pm.size())));
        return i + am_pm.size();
      }
    }
    if (s.substr(i).starts_with(k_chinese_am_pm)) {
      add(TokenKind::am_pm, std::string(k_chinese_am_pm));
      return i + k_chinese_am_pm.size();
    }
    if ((s[i] == 'e' || s[i] == 'E') && i + 1 < s.size() && (s[i + 1] == '+' || s[i + 1] == '-')) {
      add(TokenKind::exponent, std::string(s.substr(i, 2)));
      return i + 2;
    }
    return i;
  }

  void literal(std::string_view text) {
    if (text.empty()) return;
    if (!section_.tokens.empty() && section_.tokens.back().kind == TokenKind::literal) {
      section_.tokens.back().text += text;
    } else {
      add(TokenKind::literal, std::string(text));
    }
  }

  // A run of one date or time letter (yyyy, mmm, hh, …), any case: where it
  // ends, or `i` when the character is no such letter.
  std::size_t date_letters(std::string_view s, std::size_t i) {
    const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(s[i])));
    if (!is_date_letter(letter)) return i;
    std::size_t length = 1;
    while (i + length < s.size() && std::tolower(static_cast<unsigned char>(s[i + length])) == letter) ++length;
    const int run = static_cast<int>(length);
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
          literal(s.substr(i, length));
        }
    }
    return i + length;
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

  // [$€-407]: a currency symbol shown as text, then a locale, by its id in
  // hex or (in newer files) by name, whose language decides the month and
  // day names.
  void locale_tag(std::string_view tag) {
    const std::size_t dash = tag.find('-');
    literal(tag.substr(0, dash));
    if (dash == std::string_view::npos) return;
    const std::string_view locale = tag.substr(dash + 1);
    unsigned long id = 0;
    const auto [end, error] = std::from_chars(locale.data(), locale.data() + locale.size(), id, 16);
    if (error == std::errc{} && end == locale.data() + locale.size()) {
      locale_id(id);
    } else {
      locale_name(locale);
    }
  }

  // zh-CN, ja-JP, or the system formats in words.
  void locale_name(std::string_view name) {
    if (name == "x-sysdate") system_long_date_ = true;
    if (name == "x-systime") system_time_ = true;
    if (starts_with_nocase(name, 0, "zh")) {
      const bool traditional = starts_with_nocase(name, 0, "zh-tw") || starts_with_nocase(name, 0, "zh-hk") ||
                               starts_with_nocase(name, 0, "zh-mo") || starts_with_nocase(name, 0, "zh-hant");
      section_.language = traditional ? Language::chinese_traditional : Language::chinese;
    } else if (starts_with_nocase(name, 0, "ja")) {
      section_.language = Language::japanese;
      // Excel's way to the 元年 of the first year of an era.
      section_.gannen = name.ends_with("-x-gannen");
    }
  }

  void locale_id(unsigned long id) {
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
    if (locale == 0xF800) system_long_date_ = true;
    if (locale == 0xF400) system_time_ = true;
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
    for (const Token& token : section_.tokens) {
      if (token.kind == TokenKind::am_pm) section_.twelve_hour = true;
      if (token.kind == TokenKind::elapsed_hours || token.kind == TokenKind::elapsed_minutes ||
          token.kind == TokenKind::elapsed_seconds) {
        section_.has_elapsed = true;
      }
    }
    read_minutes();
    keep_date_tokens();
  }

  // m and mm are minutes right after an hour or right before a second.
  void read_minutes() {
    auto& tokens = section_.tokens;
    auto is_clock_or_date = [&](TokenKind kind) { return is_date_kind(kind) && kind != TokenKind::am_pm; };
    for (std::size_t i = 0; i < tokens.size(); ++i) {
      if (tokens[i].kind != TokenKind::month || tokens[i].letters > 2) continue;
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
  }

  // Number tokens mean nothing in a date, except ".0", ".00", ".000":
  // fractions of a second. The others become text, General and @ vanish,
  // and neighbouring texts join into one literal.
  void keep_date_tokens() {
    auto& tokens = section_.tokens;
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
        result.push_back(Token{.kind = TokenKind::subsecond, .text = ".", .letters = shown});
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
    mark_fraction();
    read_commas();
    assign_digit_parts();
    for (const Token& token : section_.tokens) {
      if (token.kind == TokenKind::percent) section_.percent = true;
      if (token.kind == TokenKind::exponent) section_.has_exponent = true;
    }
    if (section_.has_fraction) section_.fraction_digits = 0;
  }

  // Commas: between integer digits they group thousands; after the last
  // digit they scale by a thousand each; elsewhere they are text. A run of
  // commas is taken in one step, so that a code of many commas costs no
  // more than its length.
  void read_commas() {
    auto& tokens = section_.tokens;
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
        for (std::size_t k = i; k < next; ++k) result.push_back(Token{.kind = TokenKind::literal, .text = ","});
      }
      i = next - 1;
    }
    tokens = std::move(result);
  }

  // The part of each digit placeholder that is not a fraction's numerator
  // or denominator (marked already): integer until the decimal point,
  // decimal after it, exponent after E+ / E-.
  void assign_digit_parts() {
    DigitPart part = DigitPart::integer;
    for (Token& token : section_.tokens) {
      if (token.kind == TokenKind::decimal_point && part == DigitPart::integer) part = DigitPart::decimal;
      if (token.kind == TokenKind::exponent) part = DigitPart::exponent;
      if (token.kind != TokenKind::digit) continue;
      if (token.part != DigitPart::numerator && token.part != DigitPart::denominator) token.part = part;
      if (token.part == DigitPart::decimal) ++section_.fraction_digits;
    }
  }

  // "# ?/?", "?/8": the digits right before the slash are the numerator,
  // earlier ones the whole part, those after it the denominator (or a fixed
  // denominator written as digits). Without a digit before it, a slash is
  // text.
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
    while (k > 0 && tokens[k - 1].kind == TokenKind::digit) tokens[--k].part = DigitPart::numerator;
    // A point before the fraction is text: the whole part has no decimals.
    for (std::size_t i = 0; i < k; ++i) {
      if (tokens[i].kind == TokenKind::decimal_point) tokens[i].kind = TokenKind::literal;
    }
    if (read_fixed_denominator(slash + 1)) return;
    for (std::size_t i = slash + 1; i < tokens.size() && tokens[i].kind == TokenKind::digit; ++i) {
      tokens[i].part = DigitPart::denominator;
    }
  }

  // A fixed denominator after the slash at `start - 1`: digits from 1 to 9
  // first, read as text, and perhaps "0" placeholders after them ("?/10").
  // Replaces them by one fraction_denominator token; false when there is none.
  bool read_fixed_denominator(std::size_t start) {
    auto& tokens = section_.tokens;
    if (start >= tokens.size() || tokens[start].kind != TokenKind::literal || tokens[start].text.empty() ||
        tokens[start].text[0] < '1' || tokens[start].text[0] > '9') {
      return false;
    }
    const std::string& text = tokens[start].text;
    std::size_t n = 0;
    while (n < text.size() && text[n] >= '0' && text[n] <= '9') ++n;
    std::string digits = text.substr(0, n);
    const std::string rest = text.substr(n);
    std::size_t after = start + 1;
    if (rest.empty()) {
      while (after < tokens.size() && tokens[after].kind == TokenKind::digit && tokens[after].text == "0") {
        digits += '0';
        ++after;
      }
    }
    int value = 0;
    std::from_chars(digits.data(), digits.data() + (digits.size() > 9 ? 9 : digits.size()), value);
    std::vector<Token> replacement{
        Token{.kind = TokenKind::fraction_denominator, .text = digits, .denominator = value}};
    if (!rest.empty()) replacement.push_back(Token{.kind = TokenKind::literal, .text = rest});
    const auto first = tokens.begin() + static_cast<std::ptrdiff_t>(start);
    tokens.erase(first, tokens.begin() + static_cast<std::ptrdiff_t>(after));
    tokens.insert(tokens.begin() + static_cast<std::ptrdiff_t>(start), replacement.begin(), replacement.end());
    return true;
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
