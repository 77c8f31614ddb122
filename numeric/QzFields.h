#pragma once
// Number text: the %-format engine, classification of format strings, the
// automatic choice of decimals, formatting by format type, and the cleaning
// and strict reading of typed number text.
//
// Everything here is a pure function of its arguments, independent of the
// process locale: number text always uses "." (unless a caller of the engine
// asks for another decimal separator) and never carries thousands separators.
// Every failure is an EConvertError (platform/sysutils/SysUtils.h).
#include <array>
#include <concepts>
#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>

#include "SysUtils.h"

// ---------------------------------------------------------------------------
// The %-format engine
// ---------------------------------------------------------------------------
//
// A format string is literal text with directives of the form
//     %[flags][width][.precision]type
// and "%%" for a literal "%". Types and the argument each one takes:
//     d D    integer  decimal; precision = minimum number of digits
//     x X    integer  hexadecimal, always upper-case digits ("%.4x" of 1033
//                     gives 0409); a negative value shows as the two's
//                     complement of its own width (32 or 64 bits)
//     f F    real     fixed-point, precision = decimals (default 6)
//     e E    real     scientific: 1.234560e+03; the exponent has a sign and at
//                     least two digits; E gives an upper-case "E"
//     g G    real     general, precision = significant digits (default 6, 0
//                     counts as 1). With X the exponent of the value rounded
//                     to that many digits: scientific form when X < -4 or
//                     X >= precision, fixed-point otherwise; trailing zeros
//                     and a bare point are then dropped. So "%0.4g" gives
//                     1.235e+04 for 12345.6, 1000 for 999.96, 0.5 for 0.5 and
//                     1.234e-05 for 0.000012344; "%0.1g" gives 1e+03 for 999.
//                     G writes "E".
//     s S    text     precision = maximum number of characters taken
// Flags: '-' left-justify in the width; '+' sign on non-negative numbers;
// ' ' blank in place of a plus sign; '0' pad numbers with zeros after the sign
// (ignored with '-', for text, for infinities and NaN, and for d and x when a
// precision is given); '#' keep the point and trailing zeros of f, e and g.
// In "%0.1f" the "0" is thus the zero flag without a width: harmless.
// Width and precision are at most MaxFormatWidth; '*' is not supported.
//
// Reals are correctly rounded from their exact binary value (std::to_chars),
// so a halfway case is decided by the value the double really holds: 0.125
// (exact) rounds to the even 0.12, while 0.15 (really 0.1499999...) gives 0.1.
// A negative value that rounds to zero keeps its sign (-0.04 -> "-0.0").
// Infinities and NaN show as "inf", "-inf", "nan" ("INF", "NAN" for F, E, G).
//
// The engine is type-checked: an argument that does not fit its directive
// (a text for "%d", a real for "%s", an integer for "%f"), a missing or a
// surplus argument, an unknown type letter, or a format string ending inside
// a directive raises EConvertError naming the format string and the directive.

inline constexpr int MaxFormatWidth = 999;

// One argument of the engine: an integer, a real or a text. Every integer type
// (except bool and the character types, which would be mistaken for text)
// converts implicitly; so do float, double, std::string and C strings.
class TFormatArg {
public:
  template <std::integral T>
    requires(!std::same_as<T, bool> && !std::same_as<T, char> && !std::same_as<T, signed char> &&
             !std::same_as<T, unsigned char> && !std::same_as<T, wchar_t> && !std::same_as<T, char8_t> &&
             !std::same_as<T, char16_t> && !std::same_as<T, char32_t>)
  TFormatArg(T value) : FValue(static_cast<int64_t>(value)), FWide(sizeof(T) > 4) {
    if constexpr (std::is_unsigned_v<T> && sizeof(T) >= sizeof(int64_t)) {
      if (value > static_cast<T>(std::numeric_limits<int64_t>::max()))
        throw EConvertError("Integer argument " + std::to_string(value) + " is too large to format");
    }
  }
  TFormatArg(double value) : FValue(value) {}
  TFormatArg(float value) : FValue(static_cast<double>(value)) {}
  TFormatArg(std::string value) : FValue(std::move(value)) {}
  TFormatArg(std::string_view value) : FValue(std::string(value)) {}
  TFormatArg(const char* value) : FValue(std::string(value)) {}

  bool IsInteger() const noexcept { return std::holds_alternative<int64_t>(FValue); }
  bool IsReal() const noexcept { return std::holds_alternative<double>(FValue); }
  bool IsText() const noexcept { return std::holds_alternative<std::string>(FValue); }
  int64_t Integer() const { return std::get<int64_t>(FValue); }
  double Real() const { return std::get<double>(FValue); }
  const std::string& Text() const { return std::get<std::string>(FValue); }
  // True for 64-bit source types: decides the width of a negative value in hex.
  bool IsWide() const noexcept { return FWide; }

private:
  std::variant<int64_t, double, std::string> FValue;
  bool FWide = false;
};

// The engine over a list of arguments; decimalSeparator replaces "." in the
// output of f, e and g directives only (never in literal text or in texts).
std::string FormatArgs(std::string_view format, std::span<const TFormatArg> args, char decimalSeparator = '.');

// Format("%0.1f/%0.1f", 35.0, 24.0) == "35.0/24.0"
template <typename... Args>
std::string Format(std::string_view format, const Args&... args) {
  const std::array<TFormatArg, sizeof...(Args)> list{TFormatArg(args)...};
  return FormatArgs(format, list, '.');
}

// The same with another decimal separator, e.g. the user's regional one for
// the results file: FormatWithSeparator(',', "%0.3f", 1.5) == "1,500".
template <typename... Args>
std::string FormatWithSeparator(char decimalSeparator, std::string_view format, const Args&... args) {
  const std::array<TFormatArg, sizeof...(Args)> list{TFormatArg(args)...};
  return FormatArgs(format, list, decimalSeparator);
}

// ---------------------------------------------------------------------------
// Reading numbers
// ---------------------------------------------------------------------------

// Reads a real strictly: an optional sign, digits with at most one "." (at
// least one digit in all), and an optional exponent "E" or "e" with an
// optional sign and at least one digit; nothing before or after. Empty text,
// blanks, "1,5", "0x10", "inf", "nan" and values whose magnitude a double
// cannot hold (1E400, and 1E-400, which would silently become 0) raise
// EConvertError. Always ".", whatever the locale.
double StrToFloat(std::string_view text);
// The same without the exception: false leaves value untouched.
bool TryStrToFloat(std::string_view text, double& value) noexcept;

// Nearest whole number, halves to the even one (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
double RoundHalfEven(double value) noexcept;
// RoundHalfEven as a signed 32-bit integer; false (value untouched) when the
// rounded value is outside that range or not a number.
bool TryRoundToInt32(double value, int32_t& result) noexcept;
// The same, raising EConvertError when the rounded value does not fit.
int32_t RoundToInt32(double value);

// ---------------------------------------------------------------------------
// Format strings, format types and automatic decimals
// ---------------------------------------------------------------------------

// How a real value of a numeric field becomes text.
enum TFormatType : uint8_t {
  ft_Auto = 0,          // always automatic decimals from the significant digits
  ft_Fixed = 1,         // always the field's format string
  ft_AutoOverride = 2,  // automatic decimals below a threshold, the format string at or above it
  ft_Manual = 3,        // always the field's format string, even when a unit brings its own
};

// The one kind of a format string (FormatKind).
enum TFormatKind : uint8_t { fk_Other, fk_Text, fk_Pair, fk_Integer, fk_Real };

// The cap of automatic decimals, and the decimals of the probe text of AutoDecimals.
inline constexpr int32_t MaxAutoDecimals = 12;
// Decimals of a value with one character before the point and no non-zero decimal.
inline constexpr int32_t ShortValueDecimals = 3;
// The largest exponent magnitude that CleanNumberText keeps.
inline constexpr int32_t MaxCleanExponent = 300;
// The format of a lone value in a pair field.
inline constexpr const char* PairSingleFormat = "%0.4g";

// Classification by plain substring tests on the whole string, not only on
// the directive letter: "%0.1f m/s" holds an "s" and a "/", so it is text.
bool IsTextFormat(std::string_view format) noexcept;     // holds "s" or "S"
bool IsPairFormat(std::string_view format) noexcept;     // holds "/"
bool IsIntegerFormat(std::string_view format) noexcept;  // holds "d" or "D"
bool IsGeneralFormat(std::string_view format) noexcept;  // holds "g" or "G"
bool IsRealFormat(std::string_view format) noexcept;     // holds "f" or "F", or is general
// The first match in the order text, pair, integer, real; fk_Other otherwise
// ("%0.3e" is other).
TFormatKind FormatKind(std::string_view format) noexcept;

// Decimals for showing value with sigDigs significant digits, 0 to cap: from
// the characters before the point of the value's fixed-point text with cap
// decimals (a minus sign counts). With one such character the decimals reach
// the first non-zero decimal (at least 3) and sigDigs is ignored: 0.05 -> 4,
// 1.5 -> 3. Otherwise sigDigs minus those characters, at least 0: with 5,
// 123.456 -> 2 and -1.5 -> 3. Any input is accepted; a negative cap counts as 0.
int32_t AutoDecimals(int32_t sigDigs, int32_t cap, double value);
// "%0." + AutoDecimals(sigDigs, cap, value) + "f".
std::string AutoFormatStr(int32_t sigDigs, int32_t cap, double value);
// The digit right after the first "." (or the first character when there is
// no "."), 0 when it is not a digit: "%0.1f" -> 1, "%0.12f" -> 1, "%d" -> 0.
int32_t GetFormatPrecision(std::string_view format) noexcept;
// The text of value by format type (see TFormatType). ft_AutoOverride uses the
// automatic decimals when value < 10^(2 - precision), a signed comparison.
// Raises EConvertError when the format string does not fit one real.
std::string FormatByType(double value, std::string_view format, TFormatType formatType, int32_t sigDigs,
                         int32_t precision);

// ---------------------------------------------------------------------------
// Typed number text
// ---------------------------------------------------------------------------

// The text without any " ".
std::string StripBlanks(std::string_view text);
// The text with every c after the first one deleted.
std::string KeepFirstChar(std::string_view text, char c);
// Normalises what the user left in a field so that the reader accepts it,
// without judging it: blanks go, a pair is cleaned part by part, empty text
// and a lone "-" become "0", "e" becomes "E", only the first "E", the first
// "." and a leading "-" or one right after the "E" stay, a leading "E" gets a
// "1" before it, and an exponent beyond MaxCleanExponent is cut to its first
// two characters ("2E500" -> "2E50"). Raises EConvertError when the exponent
// part is not a whole number ("1E-").
std::string CleanNumberText(std::string_view text);

// A number or a pair "a/b" split at the first "/", each part read by
// StrToFloat. Returns whether a second value was present; without one,
// second is not touched. Raises EConvertError when a part is empty or not a
// number, and then leaves both outputs untouched.
bool ParseNumberPair(std::string_view text, double& first, double& second);
