#pragma once
// A direct-expansion cooling coil working with its matched condensing unit.
//
// The coil is a finned-tube evaporator; the refrigerant evaporates in the tubes
// at te. The compressor's capacity rises with te and falls with the condensing
// (discharge) temperature tc, the coil's capacity falls with te: the unit runs
// at the te where the two meet (the balance point). The coil side uses the
// effectiveness-NTU method for dry and for wet surfaces (the wet one on air
// enthalpy), taking the surface state that transfers more. Details, equations
// and the range of validity are in README.md.
//
// SI throughout: m, m/s, °C, kg/s of dry air, m³/s, kW. Pure C++.
#include <string>
#include <string_view>
#include <vector>

namespace CoilModel {

// One coil of the catalogue with the condensing unit it is sold with.
struct TCoilGeometry {
  std::string Model;          // catalogue text, e.g. "KC-600x900-4R-10FPI"
  double Width;               // finned length, m
  double Height;              // finned height, m
  int Rows;                   // tube rows in the air direction
  int FinsPerInch;            // fin density
  double RatedCapacity;       // compressor capacity at te 7.2 °C, tc 54.4 °C, kW
};

const std::vector<TCoilGeometry>& Catalogue();
const TCoilGeometry& DefaultCoil();
// Case-insensitive, surrounding blanks ignored; nullptr when unknown.
const TCoilGeometry* FindCoil(std::string_view model);

struct TCoilInputs {
  double AirVelocity = 2.5;  // face velocity, m/s
  double DryBulbOn = 27.0;   // °C
  double WetBulbOn = 19.0;   // °C
  double Discharge = 48.0;   // condensing temperature of the refrigerant, °C
};

struct TCoilResults {
  bool Error = false;        // the inputs describe no state this unit can run at
  std::string Reason;        // why, when Error
  double ma = 0;             // dry-air mass flow, kg/s
  double Qai = 0;            // air volume at entering conditions, m³/s
  double Qt = 0;             // total cooling, kW
  double Qs = 0;             // sensible cooling, kW
  double DBo = 0;            // leaving dry bulb, °C
  double WBo = 0;            // leaving wet bulb, °C
  double Wo = 0;             // leaving humidity ratio, kg/kg
  double Evaporating = 0;    // balance-point evaporating temperature te, °C
};

// The coil's own performance at a given evaporating temperature.
struct TCoilState {
  double Q = 0;    // total cooling, kW
  double To = 0;   // leaving dry bulb, °C
  double Wo = 0;   // leaving humidity ratio, kg/kg
  bool Wet = false;
};

// Range of the compressor map and of the entering air the model accepts.
inline constexpr double MinEvaporating = -5.0;
inline constexpr double MaxEvaporating = 20.0;
inline constexpr double MaxDischarge = 70.0;
inline constexpr double MinDryBulbOn = 0.0;
inline constexpr double MaxDryBulbOn = 60.0;

double FaceArea(const TCoilGeometry& coil);
// Air volume and mass flow for a face velocity, and the velocity back from them.
// The entering state fixes the air's density; entering states that are not air
// (wet bulb above dry bulb, ...) are taken as dry air at the dry bulb (limited
// to the model's range), so that the flows stay defined.
double AirVolume(const TCoilGeometry& coil, double velocity);
double MassFlow(const TCoilGeometry& coil, const TCoilInputs& in);
double VelocityFromAirVolume(const TCoilGeometry& coil, double qai);
double VelocityFromMassFlow(const TCoilGeometry& coil, const TCoilInputs& in, double ma);

// Compressor capacity at te and tc, kW.
double CompressorCapacity(const TCoilGeometry& coil, double te, double tc);
// Coil performance at evaporating temperature te (entering state must be valid).
TCoilState CoilAt(const TCoilGeometry& coil, const TCoilInputs& in, double te);

// The full calculation. Never throws for any inputs; results are always finite.
// Inputs no unit can meet give Error with "no cooling" results (Qt = Qs = 0,
// the air leaves as it entered).
TCoilResults Calculate(const TCoilGeometry& coil, const TCoilInputs& in);

}  // namespace CoilModel
