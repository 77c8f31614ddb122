// Number text from outside: typed field text, format strings and text
// arguments. Any input may fail with EConvertError; nothing else may escape,
// and what the reader accepts must survive a round trip through the engine.
//
// Input: <text> [NUL <argument list>]. The text is fed to every reader and
// cleaner, and used both as a text argument and as a format string for the
// arguments that follow the NUL. Each argument starts with a byte whose value
// modulo 4 picks its kind: 0 int32 (4 bytes), 1 int64 (8 bytes), 2 double
// (8 bytes, raw bits), 3 text (a length byte, then that many bytes).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "QzFields.h"

namespace {

template <typename T>
bool Take(std::string_view& rest, T& value) {
  if (rest.size() < sizeof(T)) return false;
  std::memcpy(&value, rest.data(), sizeof(T));
  rest.remove_prefix(sizeof(T));
  return true;
}

std::vector<TFormatArg> ReadArguments(std::string_view rest) {
  std::vector<TFormatArg> args;
  while (!rest.empty() && args.size() < 16) {
    const unsigned char kind = static_cast<unsigned char>(rest[0]);
    rest.remove_prefix(1);
    switch (kind % 4) {
      case 0: { int32_t v; if (!Take(rest, v)) return args; args.emplace_back(v); break; }
      case 1: { int64_t v; if (!Take(rest, v)) return args; args.emplace_back(v); break; }
      case 2: { double v; if (!Take(rest, v)) return args; args.emplace_back(v); break; }
      default: {
        uint8_t length;
        if (!Take(rest, length)) return args;
        const size_t n = length < rest.size() ? length : rest.size();
        args.emplace_back(std::string(rest.substr(0, n)));
        rest.remove_prefix(n);
      }
    }
  }
  return args;
}

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

void ReadText(const std::string& text) {
  double value = 0;
  const bool valid = TryStrToFloat(text, value);
  try {
    Check(StrToFloat(text) == value || value != value);
    Check(valid);
  } catch (const EConvertError&) {
    Check(!valid);
  }
  if (valid) {
    // Seventeen significant digits always read back to the same double.
    Check(StrToFloat(Format("%0.17g", value)) == value);
    Check(StrToFloat(Format("%.16e", value)) == value);
    // A number the reader takes is never a malformed exponent.
    try {
      CleanNumberText(text);
    } catch (const EConvertError&) {
      Check(false);
    }
    int32_t whole = 0;
    if (TryRoundToInt32(value, whole)) Check(whole - value <= 0.5 && value - whole <= 0.5);
    const int32_t decimals = AutoDecimals(5, MaxAutoDecimals, value);
    Check(decimals >= 0 && decimals <= MaxAutoDecimals);
    Format(AutoFormatStr(5, MaxAutoDecimals, value), value);
  }

  double first = 0, second = 0;
  try {
    ParseNumberPair(text, first, second);
  } catch (const EConvertError&) {
  }
  try {
    ParseNumberPair(CleanNumberText(text), first, second);
  } catch (const EConvertError&) {
  }
}

void UseAsFormat(const std::string& format, const std::vector<TFormatArg>& args, double value) {
  (void)FormatKind(format);
  const int32_t precision = GetFormatPrecision(format);
  Check(precision >= 0 && precision <= 9);
  try {
    FormatArgs(format, args);
  } catch (const EConvertError&) {
  }
  try {
    FormatArgs(format, args, ',');
  } catch (const EConvertError&) {
  }
  for (TFormatType type : {ft_Auto, ft_Fixed, ft_AutoOverride}) {
    try {
      FormatByType(value, format, type, 5, precision);
    } catch (const EConvertError&) {
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t nul = input.find('\0');
  const std::string text(input.substr(0, nul));
  const std::vector<TFormatArg> args =
      nul == std::string_view::npos ? std::vector<TFormatArg>{} : ReadArguments(input.substr(nul + 1));

  ReadText(text);

  // As a text argument, the text comes out exactly as it went in.
  Check(Format("%s", text) == text);
  Check(Format("%-3.2s|", text).size() == 4);

  double value = 1.5;
  for (const TFormatArg& arg : args)
    if (arg.IsReal()) {
      value = arg.Real();
      break;
    }
  UseAsFormat(text, args, value);
  return 0;
}
