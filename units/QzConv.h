#pragma once
// The catalogue of engineering quantities with their units, and the
// conversion between the unit a value is held in and the unit it is shown in.
//
// The tables are constant and public; texts, factors, offsets and formats are
// meant to be read through the operations at the end of this header, which
// bound every index they are given.
#include <array>
#include <cstdint>
#include <span>
#include <string>

// Forms store these by name, and the values are the catalogue's indices:
// keep both the names and the order.
enum TUnitsType : std::uint8_t {
  utNone,
  utAirFlowPrim,
  utAirFlowSec,
  utAirFlowSmall,
  utAirFlowRate,
  utAirPressDrop,
  utAltitude,
  utAngularSpeed,
  utArea,
  utCondensateRate,
  utConductance,
  utConductivity,
  utDensity,
  utDiameter,
  utDutyPrim,
  utDutySec,
  utDutyRate,
  utEnergy,
  utEnthalpy,
  utFinDensity,
  utHeatOfRespir,
  utHeatTransCoeff,
  utHumidity,
  utLengthBig,
  utLengthMeasure,
  utLengthPrim,
  utLengthSec,
  utLengthSmall,
  utMass,
  utMassFlow,
  utMassFlowGas,
  utMassFlux,
  utMetRate,
  utPeopleDensity,
  utPower,
  utPressure,
  utPressureBar,
  utPressureSteam,
  utPressureRateGas,
  utPressureRateLiquid,
  utProportion,
  utSpecificHeat,
  utSpecificVol,
  utTemperature,
  utTemperatureChange,
  utThermalCapacity,
  utThermalResist,
  utTime,
  utVelocity,
  utViscosity,
  utVolume,
  utVolumeFluid,
  utWaterFlow,
  utWaterPressDrop,
};

inline constexpr int UnitsTypeCount = utWaterPressDrop + 1;

// One unit of a list. Index 0 of every list is its reference unit: a value r
// in the reference unit reads r * Factor + Offset in this unit. Only the
// temperature list has offsets; every other entry carries 0.
struct TUnitsEntry {
  const char* Text;   // display text, Windows-1252 ("\xB0" is the degree sign)
  const char* Ident;  // plain ASCII name
  double Factor;
  double Offset;
  const char* Format;  // default display format ("%0.3f", "%0.4g")
};

using TUnitsList = std::span<const TUnitsEntry>;

// Display names, indexed by TUnitsType.
extern const std::array<const char*, UnitsTypeCount> UnitsTypeNames;

// Unit list of each quantity, indexed by TUnitsType; empty for utNone.
// Quantities that share a list refer to the very same entries.
extern const std::array<TUnitsList, UnitsTypeCount> UnitsLists;

// Text of a unit; empty for utNone.
std::string GetUnitsText(TUnitsType unitsType, int index);

// Default format of a unit; "%0.1f" for utNone.
std::string GetUnitsFormat(TUnitsType unitsType, int index);

// Text and format of the display unit valueIndex, and the pair that takes a
// value held in unit baseIndex to the display unit (shown = held * factor +
// offset). For utNone factor and offset keep what the caller passed.
void GetUnitsConversion(TUnitsType unitsType, int valueIndex, int baseIndex, std::string& text,
                        double& factor, double& offset, std::string& formatStr);

// The index bounded to the quantity's list; unchanged for utNone.
int LimitUnitsIndex(TUnitsType unitsType, int index);

// Held value to shown value.
double ToUnits(double value, double factor, double offset);

// Shown value back to held value.
double FromUnits(double value, double factor, double offset);
