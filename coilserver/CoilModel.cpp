#include "CoilModel.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "Psychrometrics.h"

namespace CoilModel {
namespace Psy = Psychrometrics;

namespace {

// Tube and fin pattern shared by the whole catalogue: 3/8" copper tubes on a
// 25.4 mm x 22 mm staggered pitch, wavy aluminium plate fins 0.12 mm thick.
constexpr double Pi = 3.14159265358979323846;
constexpr double TubeOuter = 9.52e-3;       // m
constexpr double TubeInner = 8.92e-3;       // m
constexpr double TubePitch = 25.4e-3;       // across the face, m
constexpr double RowPitch = 22.0e-3;        // in the air direction, m
constexpr double FinThickness = 0.12e-3;    // m
constexpr double FinConductivity = 200.0;   // aluminium, W/(m K)
// Air-side coefficient of wavy plate fins, h = HRef (V / VRef)^0.6.
constexpr double AirSideRef = 75.0;         // W/(m² K)
constexpr double VelocityRef = 2.5;         // m/s
constexpr double AirSideExponent = 0.6;
// Evaporating refrigerant in smooth tubes.
constexpr double RefrigerantSide = 2500.0;  // W/(m² K)
// Compressor map: capacity slopes per kelvin of te and tc around the rating point.
constexpr double RatingEvaporating = 7.2;   // °C (45 °F)
constexpr double RatingCondensing = 54.4;   // °C (130 °F)
constexpr double EvaporatingSlope = 0.030;
constexpr double CondensingSlope = 0.010;

struct TConductances {
  double Air;          // surface-efficiency-weighted air side, kW/K
  double Refrigerant;  // tube inside, kW/K
};

TConductances Conductances(const TCoilGeometry& coil, double velocity) {
  const double finsPerMetre = coil.FinsPerInch / 0.0254;
  // Per m² of face and per row.
  const double finArea = finsPerMetre * 2.0 * (RowPitch - Pi * TubeOuter * TubeOuter / 4.0 / TubePitch);
  const double bareArea = Pi * TubeOuter / TubePitch * (1.0 - finsPerMetre * FinThickness);
  const double innerArea = Pi * TubeInner / TubePitch;
  const double scale = coil.Rows * FaceArea(coil);

  const double h = AirSideRef * std::pow(velocity / VelocityRef, AirSideExponent);
  // Plate fin as a straight fin of the height of a circle of the fin's cell area.
  const double finHeight = std::sqrt(TubePitch * RowPitch / Pi) - TubeOuter / 2.0;
  const double mL = std::sqrt(2.0 * h / (FinConductivity * FinThickness)) * finHeight;
  const double finEfficiency = std::tanh(mL) / mL;
  const double surfaceEfficiency = 1.0 - finArea / (finArea + bareArea) * (1.0 - finEfficiency);
  return {surfaceEfficiency * h * (finArea + bareArea) * scale / 1000.0,
          RefrigerantSide * innerArea * scale / 1000.0};
}

std::string Lower(std::string_view text) {
  std::string s(text);
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// Entering air for the flow conversions: always a valid state.
struct TAirState {
  double T;
  double W;
};

TAirState FlowState(const TCoilInputs& in) {
  TAirState s{20.0, 0.0};
  if (!std::isfinite(in.DryBulbOn)) return s;
  s.T = std::clamp(in.DryBulbOn, MinDryBulbOn, MaxDryBulbOn);
  if (s.T == in.DryBulbOn && std::isfinite(in.WetBulbOn) && in.WetBulbOn <= in.DryBulbOn &&
      in.WetBulbOn >= Psy::MinTemperature) {
    const double w = Psy::HumidityRatio(in.DryBulbOn, in.WetBulbOn);
    if (w > 0.0) s.W = w;
  }
  return s;
}

TCoilResults NoCooling(const TCoilGeometry& coil, const TCoilInputs& in, std::string reason) {
  TCoilResults r;
  r.Error = true;
  r.Reason = std::move(reason);
  const double velocity = std::isfinite(in.AirVelocity) ? in.AirVelocity : 0.0;
  const TAirState s = FlowState(in);
  r.Qai = AirVolume(coil, velocity);
  r.ma = r.Qai / Psy::SpecificVolume(s.T, s.W);
  r.DBo = std::isfinite(in.DryBulbOn) ? in.DryBulbOn : 0.0;
  r.WBo = std::isfinite(in.WetBulbOn) ? std::min(in.WetBulbOn, r.DBo) : r.DBo;
  r.Wo = s.W;
  r.Evaporating = 0.0;
  return r;
}

}  // namespace

const std::vector<TCoilGeometry>& Catalogue() {
  static const std::vector<TCoilGeometry> coils = {
      {"KC-450x600-3R-12FPI", 0.60, 0.45, 3, 12, 9.5},
      {"KC-600x900-4R-10FPI", 0.90, 0.60, 4, 10, 25.0},
      {"KC-900x1200-4R-12FPI", 1.20, 0.90, 4, 12, 52.0},
      {"KC-1200x1500-6R-10FPI", 1.50, 1.20, 6, 10, 105.0},
  };
  return coils;
}

const TCoilGeometry& DefaultCoil() { return Catalogue()[1]; }

const TCoilGeometry* FindCoil(std::string_view model) {
  const auto first = model.find_first_not_of(" \t");
  if (first == std::string_view::npos) return nullptr;
  const auto last = model.find_last_not_of(" \t");
  const std::string wanted = Lower(model.substr(first, last - first + 1));
  for (const TCoilGeometry& coil : Catalogue())
    if (Lower(coil.Model) == wanted) return &coil;
  return nullptr;
}

double FaceArea(const TCoilGeometry& coil) { return coil.Width * coil.Height; }

double AirVolume(const TCoilGeometry& coil, double velocity) { return velocity * FaceArea(coil); }

double MassFlow(const TCoilGeometry& coil, const TCoilInputs& in) {
  const TAirState s = FlowState(in);
  return AirVolume(coil, in.AirVelocity) / Psy::SpecificVolume(s.T, s.W);
}

double VelocityFromAirVolume(const TCoilGeometry& coil, double qai) { return qai / FaceArea(coil); }

double VelocityFromMassFlow(const TCoilGeometry& coil, const TCoilInputs& in, double ma) {
  const TAirState s = FlowState(in);
  return VelocityFromAirVolume(coil, ma * Psy::SpecificVolume(s.T, s.W));
}

double CompressorCapacity(const TCoilGeometry& coil, double te, double tc) {
  return coil.RatedCapacity * (1.0 + EvaporatingSlope * (te - RatingEvaporating)) *
         (1.0 - CondensingSlope * (tc - RatingCondensing));
}

TCoilState CoilAt(const TCoilGeometry& coil, const TCoilInputs& in, double te) {
  const double tIn = in.DryBulbOn;
  const double wIn = Psy::HumidityRatio(tIn, in.WetBulbOn);
  const double hIn = Psy::Enthalpy(tIn, wIn);
  const double ma = MassFlow(coil, in);
  const double cpm = 1.006 + 1.86 * wIn;
  const TConductances ua = Conductances(coil, in.AirVelocity);

  // Dry surface: sensible exchange with the refrigerant at te (its capacity rate
  // is unbounded while it evaporates, so effectiveness = 1 - exp(-NTU)).
  TCoilState dry;
  {
    const double overall = 1.0 / (1.0 / ua.Air + 1.0 / ua.Refrigerant);
    const double c = ma * cpm;
    const double q = (1.0 - std::exp(-overall / c)) * c * (tIn - te);
    dry.Q = std::max(q, 0.0);
    dry.To = tIn - dry.Q / c;
    dry.Wo = wIn;
  }

  // Wet surface: the same on air enthalpy against saturated air at te. The tube
  // side resistance counts through the slope of the saturation enthalpy between
  // te and the entering wet bulb.
  TCoilState wet;
  const double hsRef = Psy::SaturationEnthalpy(te);
  if (hIn > hsRef) {
    const double twb = in.WetBulbOn;
    const double cs = twb - te > 0.05 ? (Psy::SaturationEnthalpy(twb) - hsRef) / (twb - te)
                                      : (Psy::SaturationEnthalpy(te + 0.05) - Psy::SaturationEnthalpy(te - 0.05)) / 0.1;
    const double overall = 1.0 / (cpm / ua.Air + cs / ua.Refrigerant);  // kg/s
    const double q = (1.0 - std::exp(-overall / ma)) * ma * (hIn - hsRef);
    const double hOut = hIn - q / ma;
    // The air approaches an effective saturated surface state along a straight
    // line, with the air side's own NTU.
    const double decay = std::exp(-ua.Air / (cpm * ma));
    const double hSurface = hIn - (hIn - hOut) / (1.0 - decay);
    if (hSurface > Psy::SaturationEnthalpy(Psy::MinTemperature)) {
      const double wSurface = Psy::SaturationHumidityRatio(Psy::SaturationTemperatureFromEnthalpy(hSurface));
      wet.Q = q;
      wet.Wo = wSurface + (wIn - wSurface) * decay;
      wet.To = Psy::DryBulbFromEnthalpy(hOut, wet.Wo);
      wet.Wet = true;
    }
  }

  // A surface above the entering dew point does not condense (the wet result
  // would add moisture); otherwise the state that transfers more holds.
  TCoilState s = (wet.Wet && wet.Wo < wIn && wet.Q > dry.Q) ? wet : dry;

  // Leaving air beyond saturation: the excess condenses at the same enthalpy.
  if (s.Wo > Psy::SaturationHumidityRatio(s.To)) {
    const double hOut = Psy::Enthalpy(s.To, s.Wo);
    s.To = Psy::SaturationTemperatureFromEnthalpy(hOut);
    s.Wo = Psy::SaturationHumidityRatio(s.To);
    s.Wet = true;
  }
  return s;
}

TCoilResults Calculate(const TCoilGeometry& coil, const TCoilInputs& in) {
  if (!std::isfinite(in.AirVelocity) || !std::isfinite(in.DryBulbOn) || !std::isfinite(in.WetBulbOn) ||
      !std::isfinite(in.Discharge))
    return NoCooling(coil, in, "An input is not a number");
  if (in.AirVelocity <= 0.0) return NoCooling(coil, in, "No air flow through the coil");
  if (in.DryBulbOn < MinDryBulbOn || in.DryBulbOn > MaxDryBulbOn)
    return NoCooling(coil, in, "Entering dry bulb outside the coil's range");
  if (in.WetBulbOn > in.DryBulbOn) return NoCooling(coil, in, "Wet bulb above dry bulb");
  try {
    if (Psy::HumidityRatio(in.DryBulbOn, in.WetBulbOn) < 0.0)
      return NoCooling(coil, in, "Wet bulb too far below the dry bulb: no such air");
    if (in.Discharge <= in.DryBulbOn)
      return NoCooling(coil, in, "Condensing temperature not above the entering air");
    if (in.Discharge > MaxDischarge) return NoCooling(coil, in, "Condensing temperature above the compressor's range");

    // Balance point: coil capacity falls and compressor capacity rises with te.
    auto surplus = [&](double te) {
      return CoilAt(coil, in, te).Q - CompressorCapacity(coil, te, in.Discharge);
    };
    double lo = MinEvaporating;
    double hi = std::min(MaxEvaporating, in.DryBulbOn);
    if (surplus(lo) < 0.0)
      return NoCooling(coil, in, "Evaporating temperature below the compressor's range (the coil would frost)");
    if (surplus(hi) > 0.0) return NoCooling(coil, in, "Evaporating temperature above the compressor's range");
    while (hi - lo > 1e-7) {
      const double mid = 0.5 * (lo + hi);
      if (surplus(mid) > 0.0) lo = mid;
      else hi = mid;
    }
    const double te = 0.5 * (lo + hi);
    const TCoilState s = CoilAt(coil, in, te);

    TCoilResults r;
    const double wIn = Psy::HumidityRatio(in.DryBulbOn, in.WetBulbOn);
    r.Qai = AirVolume(coil, in.AirVelocity);
    r.ma = MassFlow(coil, in);
    r.DBo = s.To;
    r.Wo = s.Wo;
    r.WBo = Psy::WetBulb(s.To, s.Wo);
    r.Qt = r.ma * (Psy::Enthalpy(in.DryBulbOn, wIn) - Psy::Enthalpy(s.To, s.Wo));
    r.Qs = r.ma * (1.006 + 1.86 * wIn) * (in.DryBulbOn - s.To);
    r.Evaporating = te;
    return r;
  } catch (const EPsychroError& e) {
    return NoCooling(coil, in, e.Message());
  }
}

}  // namespace CoilModel
