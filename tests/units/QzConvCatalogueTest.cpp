// The catalogue checked against what its units mean, not against a second copy
// of its own numbers: every factor is recomputed from the unit definitions of
// the UDUNITS-2 database, and the catalogue's shape is held to its invariants.
#include "QzConv.h"

#include <gtest/gtest.h>
#include <udunits2.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

// ---------------------------------------------------------------- invariants

TEST(QzConvCatalogue, QuantityTypeFitsOneByteAndNamesEveryQuantity) {
  static_assert(sizeof(TUnitsType) == 1);
  static_assert(UnitsTypeCount == 54 && utWaterPressDrop == 53);
  EXPECT_STREQ(UnitsTypeNames[utNone], "None");
  EXPECT_STREQ(UnitsTypeNames[utTemperatureChange], "Temperature Change");
  EXPECT_STREQ(UnitsTypeNames[utWaterPressDrop], "Water Pressure Drop");
  std::set<std::string> names;
  for (const char* name : UnitsTypeNames) {
    ASSERT_NE(name, nullptr);
    EXPECT_TRUE(names.insert(name).second) << "duplicate display name " << name;
  }
}

TEST(QzConvCatalogue, UnitCountPerQuantity) {
  // One count per quantity, in enumerator order.
  constexpr int expected[UnitsTypeCount] = {
      0, 5, 5, 3, 5, 8, 2, 3, 5, 4,  // utNone .. utCondensateRate
      4, 3, 3, 5, 5, 5, 5, 5, 2, 4,  // utConductance .. utFinDensity
      2, 2, 3, 2, 5, 5, 5, 3, 3, 6,  // utHeatOfRespir .. utMassFlow
      6, 6, 2, 2, 3, 8, 6, 8, 4, 4,  // utMassFlowGas .. utPressureRateLiquid
      3, 2, 2, 3, 3, 2, 2, 3, 2, 7,  // utProportion .. utViscosity
      5, 4, 6, 8};                   // utVolume .. utWaterPressDrop
  for (int q = 0; q < UnitsTypeCount; ++q) {
    SCOPED_TRACE(UnitsTypeNames[q]);
    EXPECT_EQ(UnitsLists[q].size(), static_cast<std::size_t>(expected[q]));
  }
}

TEST(QzConvCatalogue, SharedListsAreTheSameEntries) {
  const std::vector<std::vector<TUnitsType>> groups = {
      {utAirFlowPrim, utAirFlowSec},
      {utAirPressDrop, utPressure, utPressureSteam, utWaterPressDrop},
      {utDutyPrim, utDutySec},
      {utLengthMeasure, utLengthPrim, utLengthSec},
      {utMassFlow, utMassFlowGas},
      {utPressureRateGas, utPressureRateLiquid},
      {utTemperature, utTemperatureChange},
  };
  for (const auto& group : groups) {
    SCOPED_TRACE(UnitsTypeNames[group.front()]);
    for (TUnitsType q : group) {
      EXPECT_EQ(UnitsLists[q].data(), UnitsLists[group.front()].data()) << UnitsTypeNames[q];
      EXPECT_EQ(UnitsLists[q].size(), UnitsLists[group.front()].size()) << UnitsTypeNames[q];
    }
  }
  // Every other quantity has a list of its own: 43 in all.
  std::set<const TUnitsEntry*> lists;
  for (int q = 1; q < UnitsTypeCount; ++q)
    lists.insert(UnitsLists[q].data());
  EXPECT_EQ(lists.size(), 43u);
  EXPECT_TRUE(UnitsLists[utNone].empty());
}

// The only non-ASCII bytes a unit text may hold: degree, squared, cubed,
// middle dot (Windows-1252).
bool IsUnitTextByte(unsigned char c) {
  return (c >= 0x20 && c < 0x7F) || c == 0xB0 || c == 0xB2 || c == 0xB3 || c == 0xB7;
}

bool IsPlainAscii(const char* text) {
  return std::all_of(text, text + std::strlen(text),
                     [](char c) { return c >= 0x20 && c < 0x7F; });
}

TEST(QzConvCatalogue, EveryListKeepsItsInvariants) {
  for (int q = 1; q < UnitsTypeCount; ++q) {
    SCOPED_TRACE(UnitsTypeNames[q]);
    const TUnitsList list = UnitsLists[q];
    ASSERT_GE(list.size(), 2u);
    ASSERT_LE(list.size(), 8u);
    EXPECT_EQ(list[0].Factor, 1.0);
    std::set<std::string> texts, idents;
    for (const TUnitsEntry& unit : list) {
      SCOPED_TRACE(unit.Ident);
      EXPECT_TRUE(std::isfinite(unit.Factor) && unit.Factor > 0) << unit.Factor;
      EXPECT_TRUE(texts.insert(unit.Text).second) << "duplicate text";
      EXPECT_TRUE(idents.insert(unit.Ident).second) << "duplicate identifier";
      EXPECT_FALSE(std::string(unit.Text).empty());
      EXPECT_TRUE(std::all_of(unit.Text, unit.Text + std::strlen(unit.Text),
                              [](char c) { return IsUnitTextByte(static_cast<unsigned char>(c)); }));
      EXPECT_TRUE(IsPlainAscii(unit.Ident));
      // Formats are one fixed-point or general directive with a precision.
      const std::string format = unit.Format;
      EXPECT_TRUE(format.size() == 5 && format.starts_with("%0.") &&
                  std::isdigit(static_cast<unsigned char>(format[3])) &&
                  (format[4] == 'f' || format[4] == 'g'))
          << format;
      if (list.data() != UnitsLists[utTemperature].data()) {
        EXPECT_EQ(unit.Offset, 0.0);
      }
    }
  }
}

TEST(QzConvCatalogue, TextsUseWindows1252Bytes) {
  EXPECT_EQ(std::string(UnitsLists[utTemperature][0].Text), "\xB0" "C");
  EXPECT_EQ(std::string(UnitsLists[utAirFlowPrim][0].Text), "m\xB3/s");
  EXPECT_EQ(std::string(UnitsLists[utArea][4].Text), "ft\xB2");
  EXPECT_EQ(std::string(UnitsLists[utViscosity][2].Text), "Pa\xB7s");
  EXPECT_EQ(std::string(UnitsLists[utDiameter][3].Text), "1/8\"");
  EXPECT_EQ(std::string(UnitsLists[utLengthSmall][2].Text), "Thou\"");
  EXPECT_EQ(std::string(UnitsLists[utPressureRateGas][2].Text), "iwg/100'");
  EXPECT_EQ(std::string(UnitsLists[utDutyPrim][3].Ident), "Mega Btuperhr");
}

// ------------------------------------------------------------------ factors

struct TUdunitsDeleter {
  void operator()(ut_system* s) const { ut_free_system(s); }
  void operator()(ut_unit* u) const { ut_free(u); }
  void operator()(cv_converter* c) const { cv_free(c); }
};
using TSystem = std::unique_ptr<ut_system, TUdunitsDeleter>;
using TUnit = std::unique_ptr<ut_unit, TUdunitsDeleter>;
using TConverter = std::unique_ptr<cv_converter, TUdunitsDeleter>;

// A few constants that the catalogue holds in a rounded form, used wherever a
// unit is written with its placeholder below. Each is also checked against
// the standard definition, to the digits it is written with.
struct TRoundedConstant {
  const char* Placeholder;
  const char* Catalogue;  // as the catalogue defines it
  const char* Standard;   // as the standard defines it
  int Digits;             // significant digits of the catalogue's form
};

const TRoundedConstant RoundedConstants[] = {
    // International Table Btu, 1.05505585262 kJ.
    {"{Btu}", "(1.055056 kJ)", "Btu", 7},
    {"{psi}", "(6.89476 kPa)", "psi", 6},
    // Mechanical horsepower.
    {"{HP}", "(0.7457 kW)", "hp", 4},
    // 859.184 kcal/hr per kW is the mean calorie, 4.19002 J, which the
    // database lacks.
    {"{kcal}", "(kW.h/859.184)", "(4.19002 kJ)", 6},
    {"{Btu/hr.ft.F}", "(1.731 W/m/K)", "(Btu/h/ft/degR)", 4},
    {"{Btu/hr.ft2.F}", "(5.678 W/m^2/K)", "(Btu/h/ft^2/degR)", 4},
    {"{Btu/lb.F}", "(4.187 kJ/kg/K)", "(Btu/lb/degR)", 4},
};

// A unit as UDUNITS-2 spells it. Digits 0: the catalogue holds the factor of
// exactly this unit (through the rounded constants above where it names
// them). Digits n: the catalogue holds the standard factor shortened to n
// significant digits.
struct TUnitDef {
  const char* Unit;
  int Digits = 0;
};

struct TListDef {
  TUnitsType Quantity;
  std::vector<TUnitDef> Units;  // index 0 is the reference unit
};

// degR is the size of a Fahrenheit degree, K/1.8, without the offset.
const std::vector<TListDef> ListDefs = {
    {utAirFlowPrim, {{"m^3/s"}, {"m^3/min"}, {"m^3/h"}, {"L/s"}, {"ft^3/min"}}},
    {utAirFlowSmall, {{"L/s"}, {"m^3/min"}, {"ft^3/min"}}},
    {utAirFlowRate,
     {{"m^3/s/m^2"}, {"m^3/min/m^2"}, {"m^3/h/m^2"}, {"L/s/m^2"}, {"ft^3/min/ft^2"}}},
    {utAirPressDrop,
     {{"kPa"}, {"Pa"}, {"{psi}"}, {"bar"}, {"atm", 6}, {"inch water"}, {"inch Hg", 3},
      {"m water"}}},
    {utAltitude, {{"m"}, {"ft"}}},
    {utAngularSpeed, {{"rpm"}, {"rad/s"}, {"rotation/s"}}},
    {utArea, {{"m^2"}, {"cm^2"}, {"mm^2"}, {"in^2"}, {"ft^2"}}},
    {utCondensateRate, {{"g/s"}, {"kg/s"}, {"kg/min"}, {"lb/h"}}},
    {utConductance, {{"kW/K"}, {"W/K"}, {"1000 {Btu}/h/degR"}, {"{Btu}/h/degR"}}},
    {utConductivity, {{"W/m/K"}, {"mW/m/K"}, {"{Btu/hr.ft.F}"}}},
    {utDensity, {{"kg/m^3"}, {"mg/L"}, {"lb/ft^3"}}},
    {utDiameter, {{"m"}, {"mm"}, {"in"}, {"in/8"}, {"ft"}}},
    {utDutyPrim, {{"kW"}, {"W"}, {"{Btu}/h"}, {"1000 {Btu}/h"}, {"{kcal}/h"}}},
    {utDutyRate,
     {{"W/m^2"}, {"kW/m^2"}, {"{Btu}/h/ft^2"}, {"1000 {Btu}/h/ft^2"}, {"{kcal}/h/ft^2"}}},
    {utEnergy, {{"kJ"}, {"J"}, {"kW.h"}, {"W.h"}, {"{Btu}"}}},
    // Unlike the heat-flow units, Btu/lb holds the International Table Btu.
    {utEnthalpy, {{"kJ/kg"}, {"Btu/lb"}}},
    {utFinDensity, {{"1/in"}, {"1/mm"}, {"1/m"}, {"1/ft"}}},
    {utHeatOfRespir, {{"kJ/kg/day"}, {"Btu/lb/day"}}},
    {utHeatTransCoeff, {{"W/m^2/K"}, {"{Btu/hr.ft2.F}"}}},
    {utHumidity, {{"kg/kg"}, {"g/kg"}, {"grain/lb"}}},
    {utLengthBig, {{"m"}, {"ft"}}},
    {utLengthMeasure, {{"m"}, {"cm"}, {"mm"}, {"in"}, {"ft"}}},
    {utLengthSmall, {{"mm"}, {"um"}, {"0.001 in"}}},
    {utMass, {{"kg"}, {"t"}, {"lb"}}},
    {utMassFlow, {{"kg/s"}, {"g/s"}, {"kg/h"}, {"lb/s"}, {"lb/min"}, {"lb/h"}}},
    {utMassFlux,
     {{"kg/m^2/s"}, {"g/m^2/s"}, {"kg/m^2/h"}, {"lb/ft^2/s"}, {"lb/ft^2/min"}, {"lb/ft^2/h"}}},
    {utMetRate, {{"W"}, {"{Btu}/h"}}},
    {utPeopleDensity, {{"m^2"}, {"ft^2"}}},
    {utPower, {{"kW"}, {"W"}, {"{HP}"}}},
    {utPressureBar,
     {{"kPa"}, {"{psi}"}, {"bar"}, {"atm", 6}, {"inch Hg", 3}, {"m water"}}},
    {utPressureRateGas, {{"Pa/m"}, {"kPa/m"}, {"inch water/(100 ft)"}, {"{psi}/ft"}}},
    {utProportion, {{"1"}, {"percent"}, {"1"}}},
    {utSpecificHeat, {{"kJ/kg/K"}, {"{Btu/lb.F}"}}},
    {utSpecificVol, {{"m^3/kg"}, {"ft^3/lb"}}},
    {utTemperature, {{"degC"}, {"degF"}, {"K"}}},
    {utThermalCapacity, {{"W.h/m^2/K"}, {"{Btu}/ft^2/degR"}}},
    {utThermalResist, {{"m^2.K/W"}, {"ft^2.h.degR/{Btu}"}}},
    {utTime, {{"s"}, {"min"}, {"h"}}},
    {utVelocity, {{"m/s"}, {"ft/min"}}},
    {utViscosity,
     {{"kg/m/s"}, {"N.s/m^2"}, {"Pa.s"}, {"centipoise"}, {"lb/ft/s"}, {"lbf.s/ft^2", 5},
      {"lbf.h/ft^2", 5}}},
    {utVolume, {{"m^3"}, {"L"}, {"cm^3"}, {"ft^3", 4}, {"in^3", 5}}},
    // The database's gallons are rounded; these are their legal definitions.
    {utVolumeFluid, {{"kL"}, {"L"}, {"(4.54609 L)", 3}, {"(231 in^3)"}}},
    {utWaterFlow, {{"L/s"}, {"L/min"}, {"dm^3/h"}, {"m^3/h"}, {"m^3/s"}, {"(231 in^3)/min"}}},
};

// The catalogue's factors were computed in double precision and UDUNITS-2
// composes its scales in a few steps: the two agree to one or two ulps, and
// to about 1.6e-15 for the Fahrenheit degree, whose reading at 1 has 32
// taken back out. 1e-14 leaves room for that and still catches a wrong digit
// anywhere in the first fourteen.
constexpr double ExactTolerance = 1e-14;

// A value shortened to n significant digits lies within one unit of its last
// digit of the full value: relative 10^(1-n) at the most (rounded or cut).
double RoundedTolerance(int digits) {
  return std::pow(10.0, 1 - digits);
}

class QzConvFactors : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    ut_set_error_message_handler(ut_ignore);
    System.reset(ut_read_xml(UDUNITS2_XML));
  }
  static void TearDownTestSuite() { System.reset(); }

  void SetUp() override { ASSERT_NE(System, nullptr) << "cannot read " << UDUNITS2_XML; }

  static std::string Expand(std::string unit, bool standard) {
    for (const TRoundedConstant& constant : RoundedConstants) {
      const std::string placeholder = constant.Placeholder;
      for (auto at = unit.find(placeholder); at != std::string::npos; at = unit.find(placeholder))
        unit.replace(at, placeholder.size(), standard ? constant.Standard : constant.Catalogue);
    }
    return unit;
  }

  // The reading in `to` of 0 and of 1 `from`.
  static std::pair<double, double> Readings(const std::string& from, const std::string& to) {
    TUnit fromUnit(ut_parse(System.get(), from.c_str(), UT_ASCII));
    TUnit toUnit(ut_parse(System.get(), to.c_str(), UT_ASCII));
    if (!fromUnit || !toUnit) {
      ADD_FAILURE() << "UDUNITS-2 cannot parse " << (fromUnit ? to : from);
      return {NAN, NAN};
    }
    TConverter converter(ut_get_converter(fromUnit.get(), toUnit.get()));
    if (!converter) {
      ADD_FAILURE() << from << " does not convert to " << to;
      return {NAN, NAN};
    }
    return {cv_convert_double(converter.get(), 0), cv_convert_double(converter.get(), 1)};
  }

  static inline TSystem System;
};

TEST_F(QzConvFactors, RoundedConstantsMatchTheStandardToTheirDigits) {
  for (const TRoundedConstant& constant : RoundedConstants) {
    SCOPED_TRACE(constant.Placeholder);
    const auto [zero, one] = Readings(constant.Catalogue, constant.Standard);
    EXPECT_EQ(zero, 0.0);
    EXPECT_NEAR(one, 1.0, RoundedTolerance(constant.Digits));
  }
}

TEST_F(QzConvFactors, EveryFactorMatchesItsUnitDefinition) {
  std::set<const TUnitsEntry*> checked;
  for (const TListDef& def : ListDefs) {
    SCOPED_TRACE(UnitsTypeNames[def.Quantity]);
    const TUnitsList list = UnitsLists[def.Quantity];
    ASSERT_EQ(list.size(), def.Units.size());
    checked.insert(list.data());
    const std::string reference = def.Units[0].Unit;
    for (std::size_t i = 0; i < list.size(); ++i) {
      SCOPED_TRACE(list[i].Ident);
      const TUnitDef& unit = def.Units[i];
      const auto [zero, one] = Readings(Expand(reference, false), Expand(unit.Unit, false));
      const double factor = one - zero;
      const double tolerance = unit.Digits ? RoundedTolerance(unit.Digits) : ExactTolerance;
      EXPECT_NEAR(list[i].Factor / factor, 1.0, tolerance)
          << "holds " << list[i].Factor << ", " << unit.Unit << " gives " << factor;
      // Offsets: the reading of the reference zero (only temperature has one).
      EXPECT_NEAR(list[i].Offset, zero, ExactTolerance * std::max(1.0, std::fabs(zero)));
    }
  }
  EXPECT_EQ(checked.size(), 43u) << "every list is checked";
}

}  // namespace
