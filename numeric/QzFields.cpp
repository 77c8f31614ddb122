#include "QzFields.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace {

bool IsDigit(char c) noexcept { return c >= '0' && c <= '9'; }

// One parsed directive: %[flags][width][.precision]type
struct TDirective {
  bool LeftJustify = false;
  bool PlusSign = false;
  bool BlankSign = false;
  bool ZeroPad = false;
  bool Alternate = false;
  int Width = 0;
  int Precision = -1;  // -1: none given
  char Type = 0;
};

// number: the directive's one-based position, 0 for the format as a whole.
[[noreturn]] void FormatFailure(std::string_view format, int number, std::string_view directive,
                                const std::string& why) {
  std::string message = "Format \"";
  message.append(format);
  message += "\": ";
  if (number > 0) {
    message += "directive " + std::to_string(number) + " (\"";
    message.append(directive);
    message += "\") ";
  }
  message += why;
  throw EConvertError(message);
}

const char* ArgKindName(const TFormatArg& arg) {
  if (arg.IsInteger()) return "an integer";
  if (arg.IsReal()) return "a real";
  return "a text";
}

// Reads a width or precision; the caller has checked that a digit is there
// or that an empty number (precision ".") is acceptable.
int ReadCount(std::string_view format, size_t& i, size_t start, int number) {
  int value = 0;
  while (i < format.size() && IsDigit(format[i])) {
    value = value * 10 + (format[i] - '0');
    ++i;
    if (value > MaxFormatWidth)
      FormatFailure(format, number, format.substr(start, i - start),
                    "has a width or precision above " + std::to_string(MaxFormatWidth));
  }
  return value;
}

// Lays sign and body out in the width; zero padding goes between the two.
void Pad(std::string& out, const TDirective& d, std::string_view sign, std::string_view body, bool zeroPadAllowed) {
  const size_t length = sign.size() + body.size();
  const size_t fill = static_cast<size_t>(d.Width) > length ? d.Width - length : 0;
  if (d.LeftJustify) {
    out.append(sign);
    out.append(body);
    out.append(fill, ' ');
  } else if (d.ZeroPad && zeroPadAllowed) {
    out.append(sign);
    out.append(fill, '0');
    out.append(body);
  } else {
    out.append(fill, ' ');
    out.append(sign);
    out.append(body);
  }
}

std::string_view SignOf(bool negative, const TDirective& d) {
  if (negative) return "-";
  if (d.PlusSign) return "+";
  if (d.BlankSign) return " ";
  return "";
}

void FormatInteger(std::string& out, const TDirective& d, const TFormatArg& arg) {
  const int64_t value = arg.Integer();
  bool negative = false;
  uint64_t magnitude;
  const bool hex = d.Type == 'x' || d.Type == 'X';
  if (hex) {
    // Two's complement of the argument's own width, as the value is stored.
    magnitude = arg.IsWide() ? static_cast<uint64_t>(value) : static_cast<uint32_t>(value);
  } else {
    negative = value < 0;
    magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  }
  char buffer[24];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude, hex ? 16 : 10);
  std::string digits(buffer, result.ptr);
  if (hex)
    for (char& c : digits)
      if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
  if (d.Precision >= 0) {
    if (d.Precision == 0 && magnitude == 0) digits.clear();
    if (digits.size() < static_cast<size_t>(d.Precision)) digits.insert(0, d.Precision - digits.size(), '0');
  }
  Pad(out, d, hex ? std::string_view() : SignOf(negative, d), digits, d.Precision < 0);
}

std::string ToChars(double magnitude, std::chars_format form, int precision) {
  // Up to 309 digits before the point, the point, the decimals, an exponent.
  std::string text(precision + 330, '\0');
  auto result = std::to_chars(text.data(), text.data() + text.size(), magnitude, form, precision);
  if (result.ec != std::errc()) throw EConvertError("Cannot format a real value");
  text.resize(result.ptr - text.data());
  return text;
}

// Drops trailing zeros of the decimals, and the point when none remain.
void TrimDecimals(std::string& mantissa) {
  if (mantissa.find('.') == std::string::npos) return;
  while (mantissa.back() == '0') mantissa.pop_back();
  if (mantissa.back() == '.') mantissa.pop_back();
}

std::string GeneralBody(double magnitude, const TDirective& d) {
  const int significant = d.Precision < 0 ? 6 : (d.Precision == 0 ? 1 : d.Precision);
  std::string scientific = ToChars(magnitude, std::chars_format::scientific, significant - 1);
  const size_t e = scientific.find('e');
  const int exponent = std::stoi(scientific.substr(e + 1));
  std::string body;
  if (exponent < -4 || exponent >= significant) {
    std::string mantissa = scientific.substr(0, e);
    if (d.Alternate) {
      if (mantissa.find('.') == std::string::npos) mantissa += '.';
    } else {
      TrimDecimals(mantissa);
    }
    body = mantissa + scientific.substr(e);
  } else {
    // Rounding at the same decimal place as the scientific form above, so
    // the digits agree with the exponent that chose this branch.
    body = ToChars(magnitude, std::chars_format::fixed, significant - 1 - exponent);
    if (d.Alternate) {
      if (body.find('.') == std::string::npos) body += '.';
    } else {
      TrimDecimals(body);
    }
  }
  return body;
}

void FormatReal(std::string& out, const TDirective& d, double value, char decimalSeparator) {
  const bool upper = d.Type == 'E' || d.Type == 'G' || d.Type == 'F';
  const char lower = static_cast<char>(d.Type | 0x20);
  if (std::isnan(value)) {
    Pad(out, d, SignOf(false, d), upper ? "NAN" : "nan", false);
    return;
  }
  const bool negative = std::signbit(value);
  const double magnitude = std::fabs(value);
  if (std::isinf(value)) {
    Pad(out, d, SignOf(negative, d), upper ? "INF" : "inf", false);
    return;
  }
  const int precision = d.Precision < 0 ? 6 : d.Precision;
  std::string body;
  if (lower == 'f') {
    body = ToChars(magnitude, std::chars_format::fixed, precision);
    if (d.Alternate && precision == 0) body += '.';
  } else if (lower == 'e') {
    body = ToChars(magnitude, std::chars_format::scientific, precision);
    if (d.Alternate && precision == 0) body.insert(body.find('e'), 1, '.');
  } else {
    body = GeneralBody(magnitude, d);
  }
  for (char& c : body) {
    if (c == '.') c = decimalSeparator;
    else if (c == 'e' && upper) c = 'E';
  }
  Pad(out, d, SignOf(negative, d), body, true);
}

void FormatText(std::string& out, const TDirective& d, const std::string& text) {
  std::string_view body(text);
  if (d.Precision >= 0 && body.size() > static_cast<size_t>(d.Precision)) body = body.substr(0, d.Precision);
  Pad(out, d, "", body, false);
}

}  // namespace

std::string FormatArgs(std::string_view format, std::span<const TFormatArg> args, char decimalSeparator) {
  std::string out;
  out.reserve(format.size() + 16);
  size_t next = 0;
  int number = 0;
  size_t i = 0;
  while (i < format.size()) {
    const char c = format[i];
    if (c != '%') {
      out += c;
      ++i;
      continue;
    }
    const size_t start = i++;
    if (i < format.size() && format[i] == '%') {
      out += '%';
      ++i;
      continue;
    }
    ++number;
    TDirective d;
    for (bool flag = true; flag && i < format.size(); ) {
      switch (format[i]) {
        case '-': d.LeftJustify = true; ++i; break;
        case '+': d.PlusSign = true; ++i; break;
        case ' ': d.BlankSign = true; ++i; break;
        case '0': d.ZeroPad = true; ++i; break;
        case '#': d.Alternate = true; ++i; break;
        default: flag = false;
      }
    }
    d.Width = ReadCount(format, i, start, number);
    if (i < format.size() && format[i] == '.') {
      ++i;
      d.Precision = ReadCount(format, i, start, number);
    }
    if (i >= format.size()) FormatFailure(format, number, format.substr(start), "is incomplete");
    d.Type = format[i++];
    const std::string_view directive = format.substr(start, i - start);

    enum { Integer, Real, Text } wanted;
    switch (d.Type) {
      case 'd': case 'D': case 'x': case 'X': wanted = Integer; break;
      case 'f': case 'F': case 'e': case 'E': case 'g': case 'G': wanted = Real; break;
      case 's': case 'S': wanted = Text; break;
      default: {
        std::string why = "has an unknown type";
        const unsigned char type = static_cast<unsigned char>(d.Type);
        if (type >= 0x20 && type < 0x7F) why += std::string(" '") + d.Type + "'";
        FormatFailure(format, number, directive, why);
      }
    }
    if (next >= args.size())
      FormatFailure(format, number, directive, "has no argument (" + std::to_string(args.size()) + " given)");
    const TFormatArg& arg = args[next++];
    switch (wanted) {
      case Integer:
        if (!arg.IsInteger())
          FormatFailure(format, number, directive, std::string("needs an integer, not ") + ArgKindName(arg));
        FormatInteger(out, d, arg);
        break;
      case Real:
        if (!arg.IsReal())
          FormatFailure(format, number, directive, std::string("needs a real, not ") + ArgKindName(arg));
        FormatReal(out, d, arg.Real(), decimalSeparator);
        break;
      case Text:
        if (!arg.IsText())
          FormatFailure(format, number, directive, std::string("needs a text, not ") + ArgKindName(arg));
        FormatText(out, d, arg.Text());
        break;
    }
  }
  if (next < args.size())
    FormatFailure(format, 0, "",
                  "takes " + std::to_string(next) + " argument(s), " + std::to_string(args.size()) + " given");
  return out;
}

// ---------------------------------------------------------------------------

bool TryStrToFloat(std::string_view text, double& value) noexcept {
  size_t i = 0;
  const size_t n = text.size();
  if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
  const size_t numberStart = n > 0 && text[0] == '+' ? 1 : 0;  // from_chars takes no "+"
  size_t digits = 0;
  while (i < n && IsDigit(text[i])) ++i, ++digits;
  if (i < n && text[i] == '.') {
    ++i;
    while (i < n && IsDigit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < n && (text[i] == 'E' || text[i] == 'e')) {
    ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    size_t exponentDigits = 0;
    while (i < n && IsDigit(text[i])) ++i, ++exponentDigits;
    if (exponentDigits == 0) return false;
  }
  if (i != n) return false;
  double result = 0;
  auto [ptr, ec] = std::from_chars(text.data() + numberStart, text.data() + n, result, std::chars_format::general);
  // result_out_of_range covers overflow and an underflow to zero alike.
  if (ec != std::errc() || ptr != text.data() + n) return false;
  value = result;
  return true;
}

double StrToFloat(std::string_view text) {
  double value = 0;
  if (!TryStrToFloat(text, value)) {
    std::string message = "'";
    message.append(text);
    message += "' is not a number";
    throw EConvertError(message);
  }
  return value;
}

double RoundHalfEven(double value) noexcept {
  if (!std::isfinite(value)) return value;
  const double down = std::floor(value);
  const double diff = value - down;  // exact for doubles in [0, 1)
  if (diff < 0.5) return down;
  if (diff > 0.5) return down + 1;
  return std::fmod(down, 2.0) == 0 ? down : down + 1;
}

bool TryRoundToInt32(double value, int32_t& result) noexcept {
  const double rounded = RoundHalfEven(value);
  if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) return false;  // NaN fails here too
  result = static_cast<int32_t>(rounded);
  return true;
}

int32_t RoundToInt32(double value) {
  int32_t result = 0;
  if (!TryRoundToInt32(value, result))
    throw EConvertError(Format("%g is out of the range of a 32-bit integer", value));
  return result;
}

// ---------------------------------------------------------------------------

namespace {
bool Holds(std::string_view text, char a, char b) noexcept {
  return text.find(a) != std::string_view::npos || text.find(b) != std::string_view::npos;
}
}  // namespace

bool IsTextFormat(std::string_view format) noexcept { return Holds(format, 's', 'S'); }
bool IsPairFormat(std::string_view format) noexcept { return format.find('/') != std::string_view::npos; }
bool IsIntegerFormat(std::string_view format) noexcept { return Holds(format, 'd', 'D'); }
bool IsGeneralFormat(std::string_view format) noexcept { return Holds(format, 'g', 'G'); }
bool IsRealFormat(std::string_view format) noexcept { return Holds(format, 'f', 'F') || IsGeneralFormat(format); }

TFormatKind FormatKind(std::string_view format) noexcept {
  if (IsTextFormat(format)) return fk_Text;
  if (IsPairFormat(format)) return fk_Pair;
  if (IsIntegerFormat(format)) return fk_Integer;
  if (IsRealFormat(format)) return fk_Real;
  return fk_Other;
}

int32_t AutoDecimals(int32_t sigDigs, int32_t cap, double value) {
  // No double has a non-zero digit beyond its 400th decimal, so a larger cap
  // would change nothing but the size of the probe text.
  const int32_t probeDecimals = cap < 0 ? 0 : (cap > 400 ? 400 : cap);
  const std::string text = Format("%0." + std::to_string(probeDecimals) + "f", value);
  const size_t point = text.find('.');
  const int64_t before = point == std::string::npos ? static_cast<int64_t>(text.size()) : static_cast<int64_t>(point);
  int64_t result;
  if (before == 1) {
    result = ShortValueDecimals;
    // One-based position 3 is the first decimal.
    for (size_t pos = 2; pos < text.size(); ++pos) {
      if (text[pos] != '0') {
        result = static_cast<int64_t>(pos) + 1;
        break;
      }
    }
  } else {
    result = sigDigs > before ? sigDigs - before : 0;
  }
  const int32_t limit = cap < 0 ? 0 : cap;
  return static_cast<int32_t>(result > limit ? limit : result);
}

std::string AutoFormatStr(int32_t sigDigs, int32_t cap, double value) {
  return "%0." + std::to_string(AutoDecimals(sigDigs, cap, value)) + "f";
}

int32_t GetFormatPrecision(std::string_view format) noexcept {
  const size_t point = format.find('.');
  size_t at = point == std::string_view::npos ? 0 : point + 1;
  if (at >= format.size() || !IsDigit(format[at])) return 0;
  return format[at] - '0';
}

std::string FormatByType(double value, std::string_view format, TFormatType formatType, int32_t sigDigs,
                         int32_t precision) {
  bool automatic;
  switch (formatType) {
    case ft_Auto: automatic = true; break;
    case ft_AutoOverride: automatic = std::pow(10.0, 2.0 - precision) > value; break;
    default: automatic = false; break;  // ft_Fixed, ft_Manual
  }
  if (automatic) return Format(AutoFormatStr(sigDigs, MaxAutoDecimals, value), value);
  return Format(format, value);
}

// ---------------------------------------------------------------------------

std::string StripBlanks(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (char c : text)
    if (c != ' ') result += c;
  return result;
}

std::string KeepFirstChar(std::string_view text, char c) {
  const size_t first = text.find(c);
  if (first == std::string_view::npos) return std::string(text);
  std::string result(text.substr(0, first + 1));
  for (char x : text.substr(first + 1))
    if (x != c) result += x;
  return result;
}

namespace {

// The exponent part of CleanNumberText: an optional sign and digits. Its
// magnitude saturates instead of overflowing; only its size against the
// limit matters.
bool ReadWholeNumber(std::string_view text, int64_t& magnitude) noexcept {
  size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  if (i == text.size()) return false;
  int64_t value = 0;
  for (; i < text.size(); ++i) {
    if (!IsDigit(text[i])) return false;
    if (value <= MaxCleanExponent) value = value * 10 + (text[i] - '0');
  }
  magnitude = value;
  return true;
}

std::string CleanSingle(std::string text) {
  if (text.empty()) return "0";
  for (char& c : text)
    if (c == 'e') c = 'E';
  text = KeepFirstChar(text, 'E');
  if (text.size() > 1) {
    // Only a leading minus and one right after the "E" mean anything.
    std::string cleaned(1, text[0]);
    for (size_t i = 1; i < text.size(); ++i)
      if (text[i] != '-' || (i > 1 && text[i - 1] == 'E')) cleaned += text[i];
    text = std::move(cleaned);
  }
  if (text == "-") text = "0";
  text = KeepFirstChar(text, '.');
  if (text[0] == 'E') text.insert(0, 1, '1');
  const size_t e = text.find('E');
  if (e != std::string::npos && e + 1 < text.size()) {
    const std::string original = text.substr(e + 1);
    std::string exponent = original;
    if (const size_t point = exponent.find('.'); point != std::string::npos) exponent.erase(point, 1);
    int64_t magnitude = 0;
    if (!ReadWholeNumber(exponent, magnitude))
      throw EConvertError("'" + original + "' is not a valid exponent");
    text = text.substr(0, e + 1) + (magnitude > MaxCleanExponent ? original.substr(0, 2) : exponent);
  }
  return text;
}

}  // namespace

std::string CleanNumberText(std::string_view text) {
  std::string stripped = StripBlanks(text);
  const size_t slash = stripped.find('/');
  if (slash == std::string::npos) return CleanSingle(std::move(stripped));
  stripped = KeepFirstChar(stripped, '/');
  return CleanSingle(stripped.substr(0, slash)) + "/" + CleanSingle(stripped.substr(slash + 1));
}

bool ParseNumberPair(std::string_view text, double& first, double& second) {
  const size_t slash = text.find('/');
  if (slash == std::string_view::npos) {
    first = StrToFloat(text);
    return false;
  }
  const double a = StrToFloat(text.substr(0, slash));
  const double b = StrToFloat(text.substr(slash + 1));
  first = a;
  second = b;
  return true;
}
