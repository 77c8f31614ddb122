// Lookups, conversion pairs and index bounding over the unit catalogue.
#include "QzConv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <ostream>
#include <string>
#include <vector>

namespace {

struct TConversionCase {
  const char* Name;
  TUnitsType Quantity;
  int ValueIndex;  // display unit
  int BaseIndex;   // held unit
  const char* Text;
  double Factor;
  double Offset;
  const char* Format;
  double Held;   // a held value ...
  double Shown;  // ... and what it shows as
};

const TConversionCase ConversionCases[] = {
    {"FahrenheitShownCelsiusHeld", utTemperature, 1, 0, "\xB0" "F", 1.8, 32, "%0.1f", 100, 212},
    {"FahrenheitChangeHasNoOffset", utTemperatureChange, 1, 0, "\xB0" "F", 1.8, 0, "%0.1f", 10, 18},
    {"KelvinShownFahrenheitHeld", utTemperature, 2, 1, "K", 1 / 1.8, 273.15 - 32 / 1.8, "%0.2f", 212,
     373.15},
    {"KelvinShownCelsiusHeld", utTemperature, 2, 0, "K", 1, 273.15, "%0.2f", -273.15, 0},
    {"CelsiusShownKelvinHeld", utTemperature, 0, 2, "\xB0" "C", 1, -273.15, "%0.1f", 373.15, 100},
    {"KelvinChangeFromFahrenheit", utTemperatureChange, 2, 1, "K", 1 / 1.8, 0, "%0.2f", 18, 10},
    {"PsiShownPascalHeld", utPressure, 2, 1, "Psi", 0.0001450376807894691, 0, "%0.4f", 6894.76, 1},
    {"PsiOfBarometricList", utPressureBar, 1, 0, "Psi", 0.1450376807894691, 0, "%0.4f", 6.89476, 1},
    {"MBhShownKilowattHeld", utDutyPrim, 3, 0, "MBh", 3.412141156488376, 0, "%0.3f", 2,
     6.824282312976752},
    {"MBhIsAThousandBtuPerHour", utDutySec, 3, 2, "MBh", 0.001, 0, "%0.3f", 12000, 12},
    {"MBhPerSqftIsAThousandBtu", utDutyRate, 3, 2, "MBh/ft\xB2", 0.001, 0, "%0.3f", 5000, 5},
    // The condensate and mass-flow lists must agree on the pound per hour.
    {"CondensatePoundsPerHour", utCondensateRate, 3, 1, "lb/hr", 7936.6414386555925, 0, "%0.3f", 1,
     7936.6414386555925},
    // Pa s held in centipoise: 1000 cP is one Pa s, 0.672 lbm/ft s.
    {"ViscosityPoundsPerFootSecond", utViscosity, 4, 3, "lbm/ft\xB7s", 0.0006719689751395072, 0,
     "%0.4g", 1000, 0.6719689751395072},
    {"FinsPerFootFromFinsPerInch", utFinDensity, 3, 0, "fins/ft", 12, 0, "%0.3f", 14, 168},
    {"DensityMilligramPerLitre", utDensity, 1, 0, "mg/L", 1000, 0, "%0.1g", 1.2, 1200},
};

void PrintTo(const TConversionCase& c, std::ostream* os) {
  *os << c.Name;
}

class QzConvConversion : public ::testing::TestWithParam<TConversionCase> {};

TEST_P(QzConvConversion, PairTextAndFormatFollowTheUnits) {
  const TConversionCase& c = GetParam();
  std::string text = "stale", format = "stale";
  double factor = -99, offset = -99;
  GetUnitsConversion(c.Quantity, c.ValueIndex, c.BaseIndex, text, factor, offset, format);
  EXPECT_EQ(text, c.Text);
  EXPECT_EQ(format, c.Format);
  EXPECT_DOUBLE_EQ(factor, c.Factor);
  EXPECT_NEAR(offset, c.Offset, 1e-12);
  EXPECT_EQ(GetUnitsText(c.Quantity, c.ValueIndex), c.Text);
  EXPECT_EQ(GetUnitsFormat(c.Quantity, c.ValueIndex), c.Format);
  EXPECT_NEAR(ToUnits(c.Held, factor, offset), c.Shown, 1e-12 * std::max(1.0, std::fabs(c.Shown)));
  EXPECT_NEAR(FromUnits(c.Shown, factor, offset), c.Held, 1e-12 * std::max(1.0, std::fabs(c.Held)));
}

INSTANTIATE_TEST_SUITE_P(Cases, QzConvConversion, ::testing::ValuesIn(ConversionCases),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(QzConvConversionExact, SameUnitIsTheIdentity) {
  // Exactly, not nearly: a value shown in the unit it is held in must not move.
  for (int q = 1; q < UnitsTypeCount; ++q) {
    const auto quantity = static_cast<TUnitsType>(q);
    for (int i = 0; i < static_cast<int>(UnitsLists[q].size()); ++i) {
      SCOPED_TRACE(std::string(UnitsTypeNames[q]) + " unit " + std::to_string(i));
      std::string text, format;
      double factor = 5, offset = 5;
      GetUnitsConversion(quantity, i, i, text, factor, offset, format);
      EXPECT_EQ(factor, 1.0);
      EXPECT_EQ(offset, 0.0);
      EXPECT_EQ(ToUnits(98.6, factor, offset), 98.6);
    }
  }
}

TEST(QzConvConversionExact, NoQuantityKeepsTheCallersPair) {
  struct TPair {
    double Factor, Offset;
  };
  for (const TPair pair : {TPair{1, 0}, TPair{2.5, -7}}) {
    for (const int index : {0, -3, 1000}) {
      SCOPED_TRACE(std::to_string(pair.Factor) + " index " + std::to_string(index));
      std::string text = "stale", format = "stale";
      double factor = pair.Factor, offset = pair.Offset;
      GetUnitsConversion(utNone, index, index, text, factor, offset, format);
      EXPECT_EQ(text, "");
      EXPECT_EQ(format, "%0.1f");
      EXPECT_EQ(factor, pair.Factor);
      EXPECT_EQ(offset, pair.Offset);
    }
  }
}

// A byte can hold values past the last quantity (a damaged form, a cast):
// they read no list and behave as utNone.
TEST(QzConvConversionExact, QuantityPastTheCatalogueReadsNoList) {
  for (const int raw : {UnitsTypeCount, 200, 255}) {
    SCOPED_TRACE(raw);
    const auto quantity = static_cast<TUnitsType>(raw);
    std::string text = "stale", format = "stale";
    double factor = 3, offset = 4;
    GetUnitsConversion(quantity, 1, 0, text, factor, offset, format);
    EXPECT_EQ(text, "");
    EXPECT_EQ(format, "%0.1f");
    EXPECT_EQ(factor, 3);
    EXPECT_EQ(offset, 4);
    EXPECT_EQ(LimitUnitsIndex(quantity, 9), 9);
  }
}

TEST(QzConvLimit, BoundsToTheQuantitysList) {
  struct TCase {
    TUnitsType Quantity;
    int Index, Expected;
  };
  const TCase cases[] = {
      {utTemperature, 5, 2},       {utTemperature, -3, 0},      {utTemperature, 1, 1},
      {utTemperature, 0, 0},       {utTemperature, 2, 2},       {utNone, -3, -3},
      {utNone, INT_MAX, INT_MAX},  {utPressureBar, 7, 5},       {utPressure, 7, 7},
      {utPressure, 8, 7},          {utViscosity, INT_MAX, 6},   {utViscosity, INT_MIN, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::string(UnitsTypeNames[c.Quantity]) + " " + std::to_string(c.Index));
    EXPECT_EQ(LimitUnitsIndex(c.Quantity, c.Index), c.Expected);
  }
}

// The lookups do not trust their indices: outside the list they answer as
// for the bounded index (the sanitizer build would catch a stray read).
TEST(QzConvLimit, LookupsOutsideTheListReadTheBoundedUnit) {
  for (int q = 1; q < UnitsTypeCount; ++q) {
    const auto quantity = static_cast<TUnitsType>(q);
    const int count = static_cast<int>(UnitsLists[q].size());
    for (const int index : {-1, INT_MIN, count, count + 1, INT_MAX}) {
      SCOPED_TRACE(std::string(UnitsTypeNames[q]) + " " + std::to_string(index));
      const int bounded = LimitUnitsIndex(quantity, index);
      EXPECT_EQ(GetUnitsText(quantity, index), GetUnitsText(quantity, bounded));
      EXPECT_EQ(GetUnitsFormat(quantity, index), GetUnitsFormat(quantity, bounded));
      std::string text, format, boundedText, boundedFormat;
      double factor = 0, offset = 0, boundedFactor = 0, boundedOffset = 0;
      GetUnitsConversion(quantity, index, index == -1 ? count : -1, text, factor, offset, format);
      GetUnitsConversion(quantity, bounded, index == -1 ? count - 1 : 0, boundedText,
                         boundedFactor, boundedOffset, boundedFormat);
      EXPECT_EQ(text, boundedText);
      EXPECT_EQ(format, boundedFormat);
      EXPECT_EQ(factor, boundedFactor);
      EXPECT_EQ(offset, boundedOffset);
    }
  }
}

TEST(QzConvRoundTrip, EveryPairReturnsTheHeldValue) {
  const std::vector<double> values = {0,     1,     -1,       2.5,   -17.25, 37.7777, -40,
                                      100,   273.15, 1234.5678, 1e6, -2.5e7, 9.87654321e9};
  // Without an offset the relative error does not grow near zero; with one,
  // a value far smaller than the offset loses digits to it, as any shift
  // does, so those pairs take the values above only.
  const std::vector<double> small = {1e-9, -3.3e-4, 0.0123};
  for (int q = 1; q < UnitsTypeCount; ++q) {
    const auto quantity = static_cast<TUnitsType>(q);
    const int count = static_cast<int>(UnitsLists[q].size());
    for (int shown = 0; shown < count; ++shown) {
      for (int held = 0; held < count; ++held) {
        SCOPED_TRACE(std::string(UnitsTypeNames[q]) + " shown " + std::to_string(shown) +
                     " held " + std::to_string(held));
        std::string text, format;
        double factor = 1, offset = 0;
        GetUnitsConversion(quantity, shown, held, text, factor, offset, format);
        std::vector<double> spread = values;
        if (offset == 0)
          spread.insert(spread.end(), small.begin(), small.end());
        for (const double x : spread) {
          const double back = FromUnits(ToUnits(x, factor, offset), factor, offset);
          EXPECT_NEAR(back, x, 1e-12 * std::fabs(x)) << "x = " << x;
        }
      }
    }
  }
}

}  // namespace
