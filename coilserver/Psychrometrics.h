#pragma once
// Properties of moist air from the ideal-gas formulations of the ASHRAE
// Handbook of Fundamentals (2017, SI), chapter 1: the Hyland-Wexler
// saturation pressure over ice (below 0 °C) and over liquid water, and the
// relations between dry bulb, thermodynamic wet bulb, dew point, humidity ratio
// and enthalpy. Temperatures in °C, pressures in kPa, humidity ratios in
// kg water per kg dry air, enthalpies in kJ per kg dry air.
//
// Pure functions without state; arguments outside the formulations' range
// (-100 °C to 200 °C, negative humidity, non-finite values) raise EPsychroError.
#include "SysUtils.h"

class EPsychroError : public Exception {
public:
  using Exception::Exception;
};

namespace Psychrometrics {

inline constexpr double StandardPressure = 101.325;  // kPa, sea level
inline constexpr double MinTemperature = -100.0;
inline constexpr double MaxTemperature = 200.0;

// Saturation pressure of water vapour, over ice below 0 °C and over water above.
double SaturationPressure(double t);
// The temperature at which the saturation pressure equals pws (inverse of the above).
double SaturationTemperature(double pws);

double HumidityRatioFromVapourPressure(double pw, double p = StandardPressure);
double VapourPressureFromHumidityRatio(double w, double p = StandardPressure);
double SaturationHumidityRatio(double t, double p = StandardPressure);

// From dry bulb and thermodynamic wet bulb; negative when the wet bulb is so far
// below the dry bulb that no water vapour is left (the caller decides).
double HumidityRatio(double tdb, double twb, double p = StandardPressure);
double Enthalpy(double t, double w);
double DryBulbFromEnthalpy(double h, double w);
double DewPoint(double w, double p = StandardPressure);
// Thermodynamic wet bulb by iteration on HumidityRatio; never above the dry bulb.
double WetBulb(double tdb, double w, double p = StandardPressure);
double RelativeHumidity(double t, double w, double p = StandardPressure);
// Moist air volume per kg of dry air, m³/kg.
double SpecificVolume(double t, double w, double p = StandardPressure);
// Saturated air of enthalpy h: its temperature.
double SaturationTemperatureFromEnthalpy(double h, double p = StandardPressure);
double SaturationEnthalpy(double t, double p = StandardPressure);

}  // namespace Psychrometrics
