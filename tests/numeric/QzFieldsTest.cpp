#include "QzFields.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <locale>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr double Inf = std::numeric_limits<double>::infinity();
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

// ---------------------------------------------------------------------------
// The format engine

struct TFormatCase {
  const char* Format;
  std::vector<TFormatArg> Args;
  std::string Expected;
};

void CheckFormats(const std::vector<TFormatCase>& cases) {
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Format);
    EXPECT_EQ(FormatArgs(c.Format, c.Args), c.Expected);
  }
}

TEST(FormatEngine, Integers) {
  CheckFormats({
      {"%d", {42}, "42"},
      {"%D", {-42}, "-42"},
      {"%5d|", {-42}, "  -42|"},
      {"%-5d|", {7}, "7    |"},
      {"%05d", {-42}, "-0042"},
      {"%+d %+d", {5, -5}, "+5 -5"},
      {"% d", {5}, " 5"},
      {"%.3d", {7}, "007"},
      {"%06.3d", {7}, "   007"},  // a precision turns zero padding off
      {"%.0d|", {0}, "|"},
      {"%d", {std::numeric_limits<int64_t>::min()}, "-9223372036854775808"},
      {"%d", {std::numeric_limits<int32_t>::min()}, "-2147483648"},
      {"%d", {uint32_t{4294967295u}}, "4294967295"},
      {"%d", {size_t{12}}, "12"},
      {"%.4x%.4X", {1033, 1252}, "040904E4"},
      {"%x", {int32_t{-1}}, "FFFFFFFF"},
      {"%x", {int64_t{-1}}, "FFFFFFFFFFFFFFFF"},
      {"%d.%d.%d.%d", {1, 2, 2, 0}, "1.2.2.0"},
      {"Ready... (%d Points)", {12}, "Ready... (12 Points)"},
      {"Line Count: %d", {3}, "Line Count: 3"},
  });
}

TEST(FormatEngine, FixedAndScientific) {
  CheckFormats({
      {"%0.1f", {12.345}, "12.3"},
      {"%0.1f", {4.0}, "4.0"},
      {"%f", {1.5}, "1.500000"},
      {"%0.0f", {98765.4}, "98765"},
      {"%0.12f", {0.05}, "0.050000000000"},
      {"%8.2f|", {3.14159}, "    3.14|"},
      {"%-8.2f|", {3.14159}, "3.14    |"},
      {"%08.2f", {-3.14159}, "-0003.14"},
      {"%+.1f", {2.0}, "+2.0"},
      {"% .1f", {2.0}, " 2.0"},
      {"%#.0f", {3.0}, "3."},
      {"%.0f", {1e21}, "1000000000000000000000"},
      {"%0.3f", {-0.0001}, "-0.000"},  // the sign of a negative rounded to zero stays
      {"%F", {1.0}, "1.000000"},
      {"%e", {1234.56}, "1.234560e+03"},
      {"%.2E", {0.000123}, "1.23E-04"},
      {"%.0e", {5.0}, "5e+00"},
      {"%#.0e", {5.0}, "5.e+00"},
      {"%.1e", {1e100}, "1.0e+100"},
      {"%.3e", {-0.0}, "-0.000e+00"},
  });
}

// Halfway cases are decided on the exact binary value.
TEST(FormatEngine, RoundsCorrectly) {
  CheckFormats({
      {"%0.2f", {0.125}, "0.12"},    // exact tie: to even
      {"%0.2f", {0.375}, "0.38"},    // exact tie: to even
      {"%0.0f", {2.5}, "2"},
      {"%0.0f", {3.5}, "4"},
      {"%0.0f", {-2.5}, "-2"},
      {"%0.1f", {0.15}, "0.1"},      // 0.1499999999999999944...
      {"%0.1f", {0.25}, "0.2"},
      {"%0.1f", {0.35}, "0.3"},      // 0.34999999999999997779...
      {"%0.2f", {1.005}, "1.00"},    // 1.00499999999999989...
      {"%0.1f", {0.05}, "0.1"},      // 0.05000000000000000277...
      {"%0.3f", {2.0005}, "2.001"},  // 2.000500000000000078...
      {"%0.17g", {0.1}, "0.10000000000000001"},
  });
}

TEST(FormatEngine, General) {
  CheckFormats({
      {"%g", {100000.0}, "100000"},
      {"%g", {1e6}, "1e+06"},
      {"%0.4g", {12345.6}, "1.235e+04"},
      {"%0.4g", {999.96}, "1000"},
      {"%0.4g", {9999.6}, "1e+04"},  // rounding up changes the exponent and so the form
      {"%0.4g", {0.5}, "0.5"},
      {"%0.4g", {35.0}, "35"},
      {"%0.4g", {0.0001}, "0.0001"},
      {"%0.4g", {0.000012344}, "1.234e-05"},
      {"%0.4g", {0.00009999}, "9.999e-05"},
      {"%0.4g", {0.000099996}, "0.0001"},
      {"%0.1g", {999.0}, "1e+03"},
      {"%0.1g", {0.05}, "0.05"},
      {"%0.0g", {25.0}, "2e+01"},  // precision 0 counts as 1; the tie goes to even
      {"%0.5g", {0.0}, "0"},
      {"%g", {-0.0}, "-0"},
      {"%#g", {1.5}, "1.50000"},
      {"%#.3g", {100.0}, "100."},
      {"%#.3g", {999.6}, "1.00e+03"},  // glibc drops these zeros when rounding carries
      {"%#.2g", {1e5}, "1.0e+05"},
      {"%G", {1e-10}, "1E-10"},
      {"%0.4g", {1e300}, "1e+300"},
      {"%0.17g", {4.9406564584124654e-324}, "4.9406564584124654e-324"},
      {"%10.3g|", {-1234.5}, " -1.23e+03|"},
      {"%010.3g", {1234.5}, "001.23e+03"},
  });
}

TEST(FormatEngine, InfinityAndNaN) {
  CheckFormats({
      {"%f", {Inf}, "inf"},
      {"%F", {-Inf}, "-INF"},
      {"%+e", {Inf}, "+inf"},
      {"%5.1f", {NaN}, "  nan"},
      {"%05g", {Inf}, "  inf"},
      {"%G", {NaN}, "NAN"},
  });
}

TEST(FormatEngine, TextAndLiterals) {
  const std::string nul(1, '\0');
  CheckFormats({
      {"%s", {"abc"}, "abc"},
      {"%S", {std::string("abc")}, "abc"},
      {"%5s|", {"abc"}, "  abc|"},
      {"%-5s|", {"abc"}, "abc  |"},
      {"%.2s", {"abc"}, "ab"},
      {"%05s", {"abc"}, "  abc"},
      {"%s", {""}, ""},
      {"%s", {"100%"}, "100%"},  // a text argument is never read as a format
      {"100%%", {}, "100%"},
      {"no directive", {}, "no directive"},
      {"", {}, ""},
      {"%0.1f \xB0" "C", {20.0}, "20.0 \xB0" "C"},  // Windows-1252 degree sign
      {"%s%.4x%.4x\\%s%s", {"\\StringFileInfo\\", 0x409, 0x4E4, "FileVersion", nul},
       "\\StringFileInfo\\040904E4\\FileVersion" + nul},
      {"%0.1f/%0.1f", {35.0, 24.0}, "35.0/24.0"},
      {"%0.3f, %0.3f, %0.2f", {1.0, 2.5, -0.125}, "1.000, 2.500, -0.12"},
  });
}

TEST(FormatEngine, VariadicFrontEnd) {
  EXPECT_EQ(Format("%s=%d (%0.2f)", std::string("n"), 3, 0.5), "n=3 (0.50)");
  EXPECT_EQ(Format("%0.1f", 2.5f), "2.5");
  EXPECT_EQ(Format("plain"), "plain");
  const uint64_t tooLarge = uint64_t{1} << 63;
  EXPECT_THROW(Format("%d", tooLarge), EConvertError);
}

// Our engine against the C library on the same literal formats: glibc also
// rounds exactly, so every output must agree digit for digit.
TEST(FormatEngine, AgreesWithCLibraryOnRandomValues) {
  std::mt19937_64 random(20240611);
  std::uniform_int_distribution<int> exponent(-30, 30);
  std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
  char expected[512];
#define KELT_COMPARE(FMT)                                         \
  std::snprintf(expected, sizeof expected, FMT, value);           \
  ASSERT_EQ(Format(FMT, value), std::string(expected)) << FMT << " of " << Format("%0.17g", value)
  for (int i = 0; i < 20000; ++i) {
    const double value = mantissa(random) * std::pow(10.0, exponent(random));
    KELT_COMPARE("%0.1f");
    KELT_COMPARE("%0.3f");
    KELT_COMPARE("%+012.5f");
    KELT_COMPARE("%e");
    KELT_COMPARE("%-14.2E|");
    KELT_COMPARE("%g");
    KELT_COMPARE("%0.4g");
    KELT_COMPARE("%0.1g");
    KELT_COMPARE("%015.10G");
  }
#undef KELT_COMPARE
}

struct TFormatErrorCase {
  const char* Format;
  std::vector<TFormatArg> Args;
  const char* MessagePart;
};

TEST(FormatEngine, RejectsWhatDoesNotFit) {
  const std::vector<TFormatErrorCase> cases = {
      {"%d", {"12"}, "directive 1 (\"%d\") needs an integer, not a text"},
      {"%d", {1.5}, "needs an integer, not a real"},
      {"%x", {1.5}, "needs an integer, not a real"},
      {"%s", {1.5}, "directive 1 (\"%s\") needs a text, not a real"},
      {"%S", {1}, "needs a text, not an integer"},
      {"%0.1f", {4}, "directive 1 (\"%0.1f\") needs a real, not an integer"},
      {"%g", {"1.5"}, "needs a real, not a text"},
      {"%d", {}, "directive 1 (\"%d\") has no argument (0 given)"},
      {"%0.1f/%0.1f", {1.0}, "directive 2 (\"%0.1f\") has no argument (1 given)"},
      {"%d", {1, 2}, "takes 1 argument(s), 2 given"},
      {"text", {1}, "takes 0 argument(s), 1 given"},
      {"%q", {1}, "directive 1 (\"%q\") has an unknown type 'q'"},
      {"%ld", {1}, "unknown type 'l'"},
      {"%*d", {1, 2}, "unknown type '*'"},
      {"%i", {1}, "unknown type 'i'"},
      {"abc%", {}, "directive 1 (\"%\") is incomplete"},
      {"%0.1", {1.0}, "directive 1 (\"%0.1\") is incomplete"},
      {"%-", {}, "is incomplete"},
      {"%1000d", {1}, "above 999"},
      {"%.1000f", {1.0}, "above 999"},
      {"%99999999999999999999d", {1}, "above 999"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Format);
    try {
      FormatArgs(c.Format, c.Args);
      ADD_FAILURE() << "no exception";
    } catch (const EConvertError& e) {
      EXPECT_NE(e.Message().find(c.MessagePart), std::string::npos) << e.Message();
      EXPECT_NE(e.Message().find(std::string("Format \"") + c.Format + "\""), std::string::npos) << e.Message();
    }
  }
}

TEST(FormatEngine, WidestDirectivesStillWork) {
  EXPECT_EQ(Format("%999d", 1).size(), 999u);
  const std::string longest = Format("%.999f", -1.7976931348623157e308);
  EXPECT_EQ(longest.size(), 1u + 309u + 1u + 999u);
  EXPECT_EQ(longest.substr(0, 6), "-17976");
}

TEST(FormatEngine, OtherDecimalSeparator) {
  EXPECT_EQ(FormatWithSeparator(',', "%0.3f, %0.3f", 1.5, 2.25), "1,500, 2,250");
  EXPECT_EQ(FormatWithSeparator(',', "%.1e|%0.4g|%0.4g", 1.5, 0.25, 12345.6), "1,5e+00|0,25|1,235e+04");
  // Only numbers: literal text, texts and integers keep their points.
  EXPECT_EQ(FormatWithSeparator(',', "v1.0 %s %d.%d %0.1f", std::string("a.b"), 1, 2, 0.5), "v1.0 a.b 1.2 0,5");
  EXPECT_EQ(FormatWithSeparator(',', "%#.0f", 3.0), "3,");
}

// ---------------------------------------------------------------------------
// Independence of the process locale

// A C++ global locale whose numbers use a decimal comma.
struct TCommaPunct : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
  char do_thousands_sep() const override { return '.'; }
  std::string do_grouping() const override { return "\3"; }
};

void CheckLocaleFreeResults() {
  EXPECT_EQ(Format("%0.1f", 1.5), "1.5");
  EXPECT_EQ(Format("%0.4g|%e", 1234.5, 0.5), "1234|5.000000e-01");
  EXPECT_EQ(Format("%0.1f/%0.1f", 35.0, 24.0), "35.0/24.0");
  EXPECT_EQ(Format("%d", 1234567), "1234567");
  EXPECT_EQ(FormatByType(0.05, "%0.1f", ft_Auto, 5, 1), "0.0500");
  EXPECT_EQ(AutoDecimals(5, MaxAutoDecimals, 0.05), 4);
  EXPECT_EQ(StrToFloat("1.5"), 1.5);
  EXPECT_EQ(StrToFloat("-2.5E3"), -2500.0);
  EXPECT_THROW(StrToFloat("1,5"), EConvertError);
  EXPECT_EQ(CleanNumberText("1 2.5"), "12.5");
  double first = 0, second = 0;
  EXPECT_TRUE(ParseNumberPair("3.5/4.25", first, second));
  EXPECT_EQ(first, 3.5);
  EXPECT_EQ(second, 4.25);
}

class CommaLocale : public ::testing::Test {
protected:
  void SetUp() override {
    FSavedGlobal = std::locale();
    FSavedC = std::setlocale(LC_ALL, nullptr);
  }
  void TearDown() override {
    std::locale::global(FSavedGlobal);
    std::setlocale(LC_ALL, FSavedC.c_str());
  }

  std::locale FSavedGlobal;
  std::string FSavedC;
};

TEST_F(CommaLocale, CxxGlobalLocaleChangesNothing) {
  std::locale::global(std::locale(std::locale::classic(), new TCommaPunct));
  ASSERT_EQ(std::use_facet<std::numpunct<char>>(std::locale()).decimal_point(), ',');
  CheckLocaleFreeResults();
}

TEST_F(CommaLocale, ProcessLocaleChangesNothing) {
  // Setting the global C++ locale by name sets the C locale too, as a GUI
  // library does at start.
  const char* found = nullptr;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "fr_FR.utf8", "nl_NL.UTF-8",
                           "it_IT.UTF-8", "es_ES.UTF-8", "ru_RU.UTF-8", "pt_BR.UTF-8"}) {
    if (std::setlocale(LC_ALL, name) && std::strcmp(std::localeconv()->decimal_point, ",") == 0) {
      found = name;
      break;
    }
  }
  if (!found) GTEST_SKIP() << "no locale with a decimal comma is installed";
  std::locale::global(std::locale(found));
  // The C library itself now writes a comma, so the checks below mean something.
  char probe[16];
  std::snprintf(probe, sizeof probe, "%.1f", 1.5);
  ASSERT_STREQ(probe, "1,5");
  CheckLocaleFreeResults();
}

// ---------------------------------------------------------------------------
// Reading numbers

TEST(StrToFloat, AcceptsPlainNumbers) {
  const std::vector<std::pair<const char*, double>> cases = {
      {"0", 0.0},       {"-1.5", -1.5},    {"+2", 2.0},
      {".5", 0.5},      {"5.", 5.0},       {"-.5", -0.5},
      {"1E5", 1e5},     {"1e-5", 1e-5},    {"-1.5E+02", -150.0},
      {"00012", 12.0},  {"0.1", 0.1},      {"1.7976931348623157E308", 1.7976931348623157e308},
      {"4.9E-324", 4.9406564584124654e-324}, {"1E-310", 1e-310},
      {"0E-999", 0.0},  {"123456789012345678901234567890", 123456789012345678901234567890.0},
  };
  for (const auto& [text, expected] : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(StrToFloat(text), expected);
  }
  EXPECT_TRUE(std::signbit(StrToFloat("-0")));
}

TEST(StrToFloat, RejectsEverythingElse) {
  for (const char* text : {"", " ", " 1", "1 ", "1,5", "0x10", "inf", "-inf", "nan", "NaN", "infinity", "-", "+",
                           ".", "-.", "1E", "1E+", "E5", "1.2.3", "--1", "+-1", "1e400", "-1E400", "1e-400",
                           "2.4e-324", "1/2", "1d", "1.5f", "\xB0", "1\t", "1E5.5"}) {
    SCOPED_TRACE(text);
    EXPECT_THROW(StrToFloat(text), EConvertError);
    double value = 42;
    EXPECT_FALSE(TryStrToFloat(text, value));
    EXPECT_EQ(value, 42);
  }
  try {
    StrToFloat("1,5");
  } catch (const EConvertError& e) {
    EXPECT_NE(e.Message().find("'1,5'"), std::string::npos) << e.Message();
  }
  // A text with an embedded NUL is not a number either.
  EXPECT_THROW(StrToFloat(std::string("1\0" "2", 3)), EConvertError);
}

TEST(Rounding, HalvesGoToEven) {
  const std::vector<std::pair<double, double>> cases = {
      {2.5, 2},   {3.5, 4},   {-2.5, -2},  {-3.5, -4}, {0.5, 0}, {1.5, 2},
      {2.4, 2},   {2.6, 3},   {-2.6, -3},  {0.49999999999999994, 0},  // floor(x + 0.5) gets this wrong
      {4503599627370497.0, 4503599627370497.0},                          // beyond 2^52: already whole
  };
  for (const auto& [value, expected] : cases) {
    SCOPED_TRACE(value);
    EXPECT_EQ(RoundHalfEven(value), expected);
  }
  EXPECT_TRUE(std::isnan(RoundHalfEven(NaN)));
}

TEST(Rounding, Int32RangeIsChecked) {
  int32_t result = 0;
  EXPECT_TRUE(TryRoundToInt32(2147483647.4, result));
  EXPECT_EQ(result, 2147483647);
  EXPECT_TRUE(TryRoundToInt32(-2147483648.5, result));  // the tie goes to the even bound
  EXPECT_EQ(result, -2147483648);
  for (double bad : {2147483647.5, -2147483649.0, 1e300, Inf, -Inf, NaN}) {
    SCOPED_TRACE(bad);
    result = 7;
    EXPECT_FALSE(TryRoundToInt32(bad, result));
    EXPECT_EQ(result, 7);
    EXPECT_THROW(RoundToInt32(bad), EConvertError);
  }
  EXPECT_EQ(RoundToInt32(-3.5), -4);
}

// ---------------------------------------------------------------------------
// Format strings

TEST(FormatKinds, ClassifiesByWholeString) {
  struct TCase {
    const char* Format;
    bool Text, Pair, Integer, General, Real;
    TFormatKind Kind;
  };
  const std::vector<TCase> cases = {
      {"%0.1f", false, false, false, false, true, fk_Real},
      {"%0.1F", false, false, false, false, true, fk_Real},
      {"%0.4g", false, false, false, true, true, fk_Real},
      {"%0.1G", false, false, false, true, true, fk_Real},
      {"%d", false, false, true, false, false, fk_Integer},
      {"%D", false, false, true, false, false, fk_Integer},
      {"%s", true, false, false, false, false, fk_Text},
      {"%S", true, false, false, false, false, fk_Text},
      {"%0.1f/%0.1f", false, true, false, false, true, fk_Pair},
      {"%d/%d", false, true, true, false, false, fk_Pair},
      {"%0.3e", false, false, false, false, false, fk_Other},
      {"", false, false, false, false, false, fk_Other},
      // Plain substring tests: literal text counts as much as a directive.
      {"%0.1f m/s", true, true, false, false, true, fk_Text},
      {"%0.1f deg", false, false, true, true, true, fk_Integer},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Format);
    EXPECT_EQ(IsTextFormat(c.Format), c.Text);
    EXPECT_EQ(IsPairFormat(c.Format), c.Pair);
    EXPECT_EQ(IsIntegerFormat(c.Format), c.Integer);
    EXPECT_EQ(IsGeneralFormat(c.Format), c.General);
    EXPECT_EQ(IsRealFormat(c.Format), c.Real);
    EXPECT_EQ(FormatKind(c.Format), c.Kind);
  }
}

TEST(FormatKinds, Precision) {
  const std::vector<std::pair<const char*, int32_t>> cases = {
      {"%0.1f", 1}, {"%0.4g", 4}, {"%0.12f", 1}, {"%d", 0},  {"%s", 0}, {"", 0},
      {"%0.f", 0},  {"%0.", 0},   {"5", 5},      {"%.9f", 9}, {"a.b.3", 0},
  };
  for (const auto& [format, expected] : cases) {
    SCOPED_TRACE(format);
    EXPECT_EQ(GetFormatPrecision(format), expected);
  }
}

TEST(AutoDecimals, FiveSignificantDigits) {
  struct TCase {
    double Value;
    int32_t Decimals;
    const char* Shown;
  };
  const std::vector<TCase> cases = {
      {0, 3, "0.000"},          {0.5, 3, "0.500"},         {0.05, 4, "0.0500"},      {0.000123, 6, "0.000123"},
      {1.5, 3, "1.500"},        {9.99, 3, "9.990"},        {12.345, 3, "12.345"},    {123.456, 2, "123.46"},
      {1234.5, 1, "1234.5"},    {12345.6, 0, "12346"},     {1234567.8, 0, "1234568"},
      {0.00000000001, 12, "0.000000000010"},
      {7, 3, "7.000"},          {1.05, 4, "1.0500"},
      // The minus sign counts as a character before the point.
      {-1.5, 3, "-1.500"},      {-0.05, 3, "-0.050"},      {0.001, 5, "0.00100"},    {-0.001, 3, "-0.001"},
      {-12.5, 2, "-12.50"},   {-123456.0, 0, "-123456"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Value);
    EXPECT_EQ(AutoDecimals(5, MaxAutoDecimals, c.Value), c.Decimals);
    const std::string format = AutoFormatStr(5, MaxAutoDecimals, c.Value);
    EXPECT_EQ(format, "%0." + std::to_string(c.Decimals) + "f");
    EXPECT_EQ(Format(format, c.Value), c.Shown);
  }
}

TEST(AutoDecimals, OtherDigitsAndCaps) {
  // With 3 significant digits; one character before the point ignores them.
  EXPECT_EQ(Format(AutoFormatStr(3, MaxAutoDecimals, 12.345), 12.345), "12.3");
  EXPECT_EQ(Format(AutoFormatStr(3, MaxAutoDecimals, 150.0), 150.0), "150");
  EXPECT_EQ(Format(AutoFormatStr(3, MaxAutoDecimals, 1.5), 1.5), "1.500");
  // The cap bounds both branches; no cap or a negative one gives 0.
  EXPECT_EQ(AutoDecimals(5, 2, 0.000123), 2);
  EXPECT_EQ(AutoDecimals(20, 4, 12.5), 4);
  EXPECT_EQ(AutoDecimals(5, 0, 0.5), 0);
  EXPECT_EQ(AutoDecimals(5, -3, 0.5), 0);
  // The probe text holds cap decimals: 0.0004 shows no digit within 3.
  EXPECT_EQ(AutoDecimals(5, 3, 0.0004), 3);
  // A very large cap reaches the smallest double's first digit.
  EXPECT_EQ(AutoDecimals(5, 1000, 4.9406564584124654e-324), 326);
  EXPECT_EQ(AutoDecimals(-5, MaxAutoDecimals, 123.0), 0);
  // Not numbers: any input is accepted.
  EXPECT_EQ(AutoDecimals(5, MaxAutoDecimals, Inf), 2);  // "inf" has three characters
  EXPECT_NO_THROW(AutoDecimals(5, MaxAutoDecimals, NaN));
  EXPECT_EQ(AutoDecimals(std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), 123.0), 0);
  EXPECT_EQ(AutoDecimals(std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max(), 12.0),
            std::numeric_limits<int32_t>::max() - 2);
}

TEST(FormatByType, EveryFormatType) {
  struct TCase {
    TFormatType Type;
    const char* Format;
    int32_t Precision;
    double Value;
    const char* Shown;
  };
  const std::vector<TCase> cases = {
      {ft_Auto, "%0.1f", 1, 0.05, "0.0500"},
      {ft_Auto, "%0.1f", 1, 98765.4, "98765"},
      {ft_Fixed, "%0.1f", 1, 12.345, "12.3"},
      {ft_Fixed, "%0.1f", 1, 0.05, "0.1"},
      {ft_AutoOverride, "%0.1f", 1, 5.26, "5.260"},
      {ft_AutoOverride, "%0.1f", 1, 25.26, "25.3"},
      {ft_AutoOverride, "%0.1f", 1, -3, "-3.000"},
      {ft_AutoOverride, "%0.1f", 1, -300, "-300.0"},  // every negative value is below the threshold
      {ft_AutoOverride, "%0.1f", 1, 9.99, "9.990"},
      {ft_AutoOverride, "%0.1f", 1, 10, "10.0"},  // the threshold itself takes the format string
      {ft_AutoOverride, "%0.2f", 2, 0.5, "0.500"},
      {ft_AutoOverride, "%0.2f", 2, 1, "1.00"},
      {ft_AutoOverride, "%0.0f", 0, 99.5, "99.500"},
      {ft_AutoOverride, "%0.0f", 0, 100, "100"},
      {ft_AutoOverride, "%0.3f", 3, 0.05, "0.0500"},
      {ft_AutoOverride, "%0.3f", 3, 0.1, "0.100"},
      {ft_AutoOverride, "%0.4g", 4, 0.001, "0.00100"},
      {ft_AutoOverride, "%0.4g", 4, 0.5, "0.5"},
      {ft_Manual, "%0.1f", 1, 98765.4, "98765.4"},
      {ft_Manual, "%0.3e", 3, 1234.5, "1.234e+03"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Format) + " type " + std::to_string(c.Type) + " value " + Format("%g", c.Value));
    EXPECT_EQ(FormatByType(c.Value, c.Format, c.Type, 5, c.Precision), c.Shown);
  }
}

TEST(FormatByType, FormatThatDoesNotFitARealFails) {
  for (const char* format : {"%d", "%s", "%0.1f/%0.1f", "%q"}) {
    SCOPED_TRACE(format);
    EXPECT_THROW(FormatByType(1.0, format, ft_Fixed, 5, 1), EConvertError);
  }
  // Automatic decimals do not look at the format string at all.
  EXPECT_EQ(FormatByType(1.0, "%d", ft_Auto, 5, 0), "1.000");
}

// ---------------------------------------------------------------------------
// Typed number text

TEST(NumberText, StripBlanksAndKeepFirstChar) {
  EXPECT_EQ(StripBlanks(" 1 2.5 "), "12.5");
  EXPECT_EQ(StripBlanks("\t1\n"), "\t1\n");  // only blanks go
  EXPECT_EQ(StripBlanks("   "), "");
  EXPECT_EQ(KeepFirstChar("1.2.3", '.'), "1.23");
  EXPECT_EQ(KeepFirstChar("..", '.'), ".");
  EXPECT_EQ(KeepFirstChar("a/b/c/d", '/'), "a/bcd");
  EXPECT_EQ(KeepFirstChar("abc", '.'), "abc");
  EXPECT_EQ(KeepFirstChar("", '.'), "");
}

TEST(NumberText, CleanNumberText) {
  const std::vector<std::pair<const char*, const char*>> cases = {
      {" 1 2.5 ", "12.5"},   {"1.2.3", "1.23"},        {"--5", "-5"},          {"5-3", "53"},
      {"-0-1", "-01"},       {"1e-5", "1E-5"},         {"e3", "1E3"},          {"1.5E2.5", "1.5E25"},
      {"1E2.5", "1E25"},     {"-1.5E-2-", "-1.5E-2"},  {"e-5", "1E5"},         {"", "0"},
      {"-", "0"},            {" - ", "0"},             {"3/4", "3/4"},         {"1/2/3", "1/23"},
      {"/4", "0/4"},         {"3/", "3/0"},            {"-/-", "0/0"},         {" 1 / -2e1 ", "1/-2E1"},
      {"2E500", "2E50"},     {"2e-400", "2E-4"},       {"1E300", "1E300"},     {"1E-300", "1E-300"},
      {"1E301", "1E30"},     {"1E+500", "1E+5"},       {"1E", "1E"},           {"E", "1E"},
      {"E-", "1E"},          {"1eE5", "1E5"},          {"1E+5", "1E+5"},       {"12", "12"},
      {"1E99999999999999999999999", "1E99"},
      {"1E3.45", "1E3."},  // cut before the point went: the reader refuses the result
      {"abc", "abc"},      // not judged here
  };
  for (const auto& [typed, cleaned] : cases) {
    SCOPED_TRACE(std::string("'") + typed + "'");
    EXPECT_EQ(CleanNumberText(typed), cleaned);
  }
}

TEST(NumberText, CleanNumberTextFailsOnMalformedExponent) {
  for (const char* typed : {"1E-", "1E--", "1Ex", "1E5a", "1E+", "1/1E-", "1E-/2", "e+", "1E5/2E3x"}) {
    SCOPED_TRACE(typed);
    try {
      CleanNumberText(typed);
      ADD_FAILURE() << "no exception";
    } catch (const EConvertError& e) {
      EXPECT_NE(e.Message().find("not a valid exponent"), std::string::npos) << e.Message();
    }
  }
}

TEST(NumberText, CleanedTextReadsBack) {
  const std::vector<std::pair<const char*, double>> cases = {
      {" 1 2.5 ", 12.5}, {"--5", -5}, {"e3", 1000}, {"2e-400", 2e-4}, {"-1.5E-2-", -0.015}, {"", 0}, {"-", 0},
  };
  for (const auto& [typed, value] : cases) {
    SCOPED_TRACE(typed);
    double first = 99, second = 99;
    EXPECT_FALSE(ParseNumberPair(CleanNumberText(typed), first, second));
    EXPECT_EQ(first, value);
    EXPECT_EQ(second, 99);
  }
}

TEST(NumberText, ParseNumberPair) {
  double first = 0, second = 0;
  EXPECT_TRUE(ParseNumberPair("3/4", first, second));
  EXPECT_EQ(first, 3);
  EXPECT_EQ(second, 4);

  second = -7;
  EXPECT_FALSE(ParseNumberPair("2.5", first, second));
  EXPECT_EQ(first, 2.5);
  EXPECT_EQ(second, -7);  // not touched

  EXPECT_TRUE(ParseNumberPair("-1.5E2/+.5", first, second));
  EXPECT_EQ(first, -150);
  EXPECT_EQ(second, 0.5);

  EXPECT_TRUE(ParseNumberPair(CleanNumberText("3/"), first, second));
  EXPECT_EQ(first, 3);
  EXPECT_EQ(second, 0);
}

TEST(NumberText, ParseNumberPairFailsWithoutPartialResult) {
  for (const char* text : {"3/", "/4", "/", "", "1/2/3", "a/1", "1/a", " 3/4", "3 /4", "1,5/2", "1/1E400", "1e400"}) {
    SCOPED_TRACE(text);
    double first = 11, second = 22;
    EXPECT_THROW(ParseNumberPair(text, first, second), EConvertError);
    EXPECT_EQ(first, 11);
    EXPECT_EQ(second, 22);
  }
}

}  // namespace
