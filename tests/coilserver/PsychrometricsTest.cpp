// Reference values: ASHRAE Handbook - Fundamentals (2017, SI), chapter 1
// "Psychrometrics": Table 3 (thermodynamic properties of water at saturation),
// Table 2 (thermodynamic properties of moist air at 101.325 kPa) and Example 1.
// The handbook states that its saturation-pressure formulas agree with the
// tabulated values within 300 ppm; the ideal-gas moist-air relations differ
// from the real-gas Table 2 by up to about 1 %.
#include <gtest/gtest.h>

#include <cmath>

#include "Psychrometrics.h"

namespace Psy = Psychrometrics;

TEST(Psychrometrics, SaturationPressureMatchesAshraeTable3) {
  struct {
    double T;    // °C
    double Pws;  // kPa, over ice below 0 °C
  } table[] = {{-20, 0.10324}, {-5, 0.40174}, {5, 0.8726},   {20, 2.3392},
               {25, 3.1697},   {50, 12.3513}, {100, 101.418}, {150, 476.1014}};
  for (const auto& row : table) {
    SCOPED_TRACE(row.T);
    EXPECT_NEAR(Psy::SaturationPressure(row.T), row.Pws, 300e-6 * row.Pws);
  }
}

TEST(Psychrometrics, SaturatedAirMatchesAshraeTable2) {
  struct {
    double T;   // °C
    double Ws;  // kg/kg
    double Hs;  // kJ/kg dry air
  } table[] = {{-20, 0.0006373, -18.542}, {5, 0.005425, 18.639}, {25, 0.020173, 76.504}, {50, 0.086863, 275.353}};
  for (const auto& row : table) {
    SCOPED_TRACE(row.T);
    EXPECT_NEAR(Psy::SaturationHumidityRatio(row.T), row.Ws, 0.01 * row.Ws);
    EXPECT_NEAR(Psy::SaturationEnthalpy(row.T), row.Hs, 0.01 * std::fabs(row.Hs));
  }
  // Dry air at 25 °C.
  EXPECT_NEAR(Psy::Enthalpy(25, 0), 25.148, 0.0003 * 25.148);
  EXPECT_NEAR(Psy::SpecificVolume(25, 0), 0.8443, 0.001 * 0.8443);
}

TEST(Psychrometrics, AshraeExample1MoistAirFromDryAndWetBulb) {
  // 40 °C dry bulb, 20 °C thermodynamic wet bulb, 101.325 kPa.
  const double w = Psy::HumidityRatio(40, 20);
  EXPECT_NEAR(w, 0.0065, 0.0001);
  EXPECT_NEAR(Psy::Enthalpy(40, w), 56.7, 0.1);
  EXPECT_NEAR(Psy::RelativeHumidity(40, w), 0.14, 0.01);
  EXPECT_NEAR(Psy::SpecificVolume(40, w), 0.896, 0.005);
  EXPECT_NEAR(Psy::DewPoint(w), 7.0, 1.0);
  EXPECT_NEAR(Psy::WetBulb(40, w), 20.0, 1e-6);
}

TEST(Psychrometrics, InversesReturnTheirArguments) {
  // Wet bulb above and below freezing (ice-bulb formula), across the range.
  struct {
    double Tdb, Twb;
  } airs[] = {{30, 25}, {27, 19}, {35, 16}, {-1, -5}, {5, 5}, {60, 30}};
  for (const auto& air : airs) {
    SCOPED_TRACE(testing::Message() << air.Tdb << "/" << air.Twb);
    const double w = Psy::HumidityRatio(air.Tdb, air.Twb);
    EXPECT_NEAR(Psy::WetBulb(air.Tdb, w), air.Twb, 1e-6);
    EXPECT_NEAR(Psy::DryBulbFromEnthalpy(Psy::Enthalpy(air.Tdb, w), w), air.Tdb, 1e-9);
  }
  for (double t : {-60.0, -0.5, 0.0, 0.5, 15.0, 45.0, 90.0}) {
    SCOPED_TRACE(t);
    EXPECT_NEAR(Psy::SaturationTemperature(Psy::SaturationPressure(t)), t, 1e-6);
    EXPECT_NEAR(Psy::DewPoint(Psy::SaturationHumidityRatio(t)), t, 1e-6);
    EXPECT_NEAR(Psy::SaturationTemperatureFromEnthalpy(Psy::SaturationEnthalpy(t)), t, 1e-6);
  }
  // Saturated air: wet bulb, dew point and dry bulb coincide.
  EXPECT_NEAR(Psy::WetBulb(22, Psy::SaturationHumidityRatio(22)), 22, 1e-6);
}

TEST(Psychrometrics, ArgumentsOutsideTheFormulationsRaise) {
  EXPECT_THROW(Psy::SaturationPressure(-120), EPsychroError);
  EXPECT_THROW(Psy::SaturationPressure(250), EPsychroError);
  EXPECT_THROW(Psy::SaturationPressure(NAN), EPsychroError);
  EXPECT_THROW(Psy::Enthalpy(20, -0.001), EPsychroError);
  EXPECT_THROW(Psy::WetBulb(20, INFINITY), EPsychroError);
  EXPECT_THROW(Psy::HumidityRatioFromVapourPressure(101.325), EPsychroError);
  EXPECT_THROW(Psy::SaturationTemperatureFromEnthalpy(1e6), EPsychroError);
}
