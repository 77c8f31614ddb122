#include "Psychrometrics.h"

#include <cmath>
#include <string>

namespace Psychrometrics {
namespace {

constexpr double ZeroCelsius = 273.15;
// Ratio of the molar masses of water vapour and dry air.
constexpr double MolarMassRatio = 0.621945;

void CheckTemperature(double t) {
  if (!std::isfinite(t) || t < MinTemperature || t > MaxTemperature)
    throw EPsychroError("Temperature out of the range of the moist-air formulations: " + std::to_string(t));
}

void CheckHumidityRatio(double w) {
  if (!std::isfinite(w) || w < 0.0) throw EPsychroError("Invalid humidity ratio: " + std::to_string(w));
}

void CheckPressure(double p) {
  if (!std::isfinite(p) || p <= 0.0) throw EPsychroError("Invalid pressure: " + std::to_string(p));
}

// Root of an increasing function f on [lo, hi] by bisection: robust, and the
// few dozen halvings cost nothing against a coil calculation.
template <class F>
double Bisect(F f, double lo, double hi, double target) {
  for (int i = 0; i < 200 && hi - lo > 1e-10 * (1.0 + std::fabs(lo)); ++i) {
    const double mid = 0.5 * (lo + hi);
    if (f(mid) < target) lo = mid;
    else hi = mid;
  }
  return 0.5 * (lo + hi);
}

}  // namespace

double SaturationPressure(double t) {
  CheckTemperature(t);
  const double T = t + ZeroCelsius;
  double lnPws;
  if (t < 0.0) {
    // Over ice, -100 °C to 0 °C.
    lnPws = -5.6745359e3 / T + 6.3925247 - 9.6778430e-3 * T + 6.2215701e-7 * T * T +
            2.0747825e-9 * T * T * T - 9.4840240e-13 * T * T * T * T + 4.1635019 * std::log(T);
  } else {
    // Over liquid water, 0 °C to 200 °C.
    lnPws = -5.8002206e3 / T + 1.3914993 - 4.8640239e-2 * T + 4.1764768e-5 * T * T -
            1.4452093e-8 * T * T * T + 6.5459673 * std::log(T);
  }
  return std::exp(lnPws) / 1000.0;  // Pa -> kPa
}

double SaturationTemperature(double pws) {
  if (!std::isfinite(pws) || pws < SaturationPressure(MinTemperature) || pws > SaturationPressure(MaxTemperature))
    throw EPsychroError("Vapour pressure out of the range of the moist-air formulations: " + std::to_string(pws));
  return Bisect(SaturationPressure, MinTemperature, MaxTemperature, pws);
}

double HumidityRatioFromVapourPressure(double pw, double p) {
  CheckPressure(p);
  if (!std::isfinite(pw) || pw < 0.0 || pw >= p)
    throw EPsychroError("Invalid vapour pressure: " + std::to_string(pw));
  return MolarMassRatio * pw / (p - pw);
}

double VapourPressureFromHumidityRatio(double w, double p) {
  CheckHumidityRatio(w);
  CheckPressure(p);
  return p * w / (MolarMassRatio + w);
}

double SaturationHumidityRatio(double t, double p) { return HumidityRatioFromVapourPressure(SaturationPressure(t), p); }

double HumidityRatio(double tdb, double twb, double p) {
  CheckTemperature(tdb);
  const double wsStar = SaturationHumidityRatio(twb, p);
  if (twb >= 0.0)
    return ((2501.0 - 2.326 * twb) * wsStar - 1.006 * (tdb - twb)) / (2501.0 + 1.86 * tdb - 4.186 * twb);
  // Wet bulb below freezing: the wetted wick is ice.
  return ((2830.0 - 0.24 * twb) * wsStar - 1.006 * (tdb - twb)) / (2830.0 + 1.86 * tdb - 2.1 * twb);
}

double Enthalpy(double t, double w) {
  CheckTemperature(t);
  CheckHumidityRatio(w);
  return 1.006 * t + w * (2501.0 + 1.86 * t);
}

double DryBulbFromEnthalpy(double h, double w) {
  CheckHumidityRatio(w);
  if (!std::isfinite(h)) throw EPsychroError("Invalid enthalpy");
  return (h - 2501.0 * w) / (1.006 + 1.86 * w);
}

double DewPoint(double w, double p) { return SaturationTemperature(VapourPressureFromHumidityRatio(w, p)); }

double WetBulb(double tdb, double w, double p) {
  CheckTemperature(tdb);
  CheckHumidityRatio(w);
  // The wet bulb lies between the dew point and the dry bulb; air drier than the
  // formulations reach has its wet bulb searched down to their lower limit.
  const double pw = VapourPressureFromHumidityRatio(w, p);
  const double lo = pw > SaturationPressure(MinTemperature) ? SaturationTemperature(pw) : MinTemperature;
  if (lo >= tdb) return tdb;  // saturated (or beyond): wet bulb = dry bulb
  return Bisect([&](double twb) { return HumidityRatio(tdb, twb, p); }, lo, tdb, w);
}

double RelativeHumidity(double t, double w, double p) {
  return VapourPressureFromHumidityRatio(w, p) / SaturationPressure(t);
}

double SpecificVolume(double t, double w, double p) {
  CheckTemperature(t);
  CheckHumidityRatio(w);
  CheckPressure(p);
  return 0.287042 * (t + ZeroCelsius) * (1.0 + 1.607858 * w) / p;
}

double SaturationEnthalpy(double t, double p) { return Enthalpy(t, SaturationHumidityRatio(t, p)); }

double SaturationTemperatureFromEnthalpy(double h, double p) {
  CheckPressure(p);
  // Saturated air exists only while the saturation pressure stays below p.
  const double hi = std::fmin(MaxTemperature, SaturationTemperature(std::fmin(p, SaturationPressure(MaxTemperature))) - 0.5);
  if (!std::isfinite(h) || h < SaturationEnthalpy(MinTemperature, p) || h > SaturationEnthalpy(hi, p))
    throw EPsychroError("Enthalpy out of the range of saturated air: " + std::to_string(h));
  return Bisect([p](double t) { return SaturationEnthalpy(t, p); }, MinTemperature, hi, h);
}

}  // namespace Psychrometrics
