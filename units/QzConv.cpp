#include "QzConv.h"

#include <algorithm>

// Factors are written with as many digits as reproduce the intended double.
// Some are rounded forms of the standard definitions, kept as the product has
// always shown them: psi is 1/6.89476 kPa, an inch of water 0.24908891 kPa,
// a metre of water 9.80665 kPa; the Btu is 1.055056 kJ throughout (Btu/hr,
// MBh, MBH/F, Btu/h F, Btu/hr ft2, Btu/hr/P, ft2 hr F/Btu); kcal/hr is
// 859.184 per kW; HP is 1/0.7457, Btu/hr ft F 1/1.731, Btu/hr ft2 F 1/5.678,
// Btu/lb F 1/4.187; Atm, InchHg, ft3, inch3, IP Gal and the two lbf viscosity
// units hold short rounded values.

namespace {

constexpr TUnitsEntry AirFlowPrimList[] = {
    {"m\xB3/s", "cms", 1, 0, "%0.3f"},
    {"m\xB3/min", "cmm", 60, 0, "%0.2f"},
    {"m\xB3/hr", "cmh", 3600, 0, "%0.0f"},
    {"l/s", "lpers", 1000, 0, "%0.0f"},
    {"cfm", "ft3permin", 2118.8800032893155, 0, "%0.2f"},
};

constexpr TUnitsEntry AirFlowSmallList[] = {
    {"l/s", "l/s", 1, 0, "%0.1f"},
    {"m\xB3/min", "m3/min", 0.06, 0, "%0.2f"},
    {"cfm", "cfm", 2.1188800032893154, 0, "%0.3f"},
};

constexpr TUnitsEntry AirFlowRateList[] = {
    {"m\xB3/s/m\xB2", "m3/s/sqm", 1, 0, "%0.3f"},
    {"m\xB3/min/m\xB2", "m3/min/sqm", 60, 0, "%0.2f"},
    {"m\xB3/hr/m\xB2", "m3/hr/sqm", 3600, 0, "%0.0f"},
    {"l/s/m\xB2", "l/s/sqm", 1000, 0, "%0.0f"},
    {"cfm/ft\xB2", "cfm/sqft", 196.8503937007874, 0, "%0.2f"},
};

constexpr TUnitsEntry AirPressDropList[] = {
    {"kPa", "kPa", 1, 0, "%0.3f"},
    {"Pa", "Pa", 1000, 0, "%0.0f"},
    {"Psi", "Psi", 0.1450376807894691, 0, "%0.4f"},
    {"Bar", "Bar", 0.01, 0, "%0.5f"},
    {"Atm", "Atm", 0.00986923, 0, "%0.5f"},
    {"InchWg", "InchWg", 4.014630759755623, 0, "%0.4f"},
    {"InchHg", "InchHg", 0.295, 0, "%0.4f"},
    {"mHead", "mHead", 0.10197162129779283, 0, "%0.4f"},
};

constexpr TUnitsEntry AltitudeList[] = {
    {"m", "metres", 1, 0, "%0.1f"},
    {"ft", "feet", 3.2808398950131235, 0, "%0.1f"},
};

constexpr TUnitsEntry AngularSpeedList[] = {
    {"rpm", "revpermin", 1, 0, "%0.0f"},
    {"Rad/s", "Radpers", 0.10471975511965978, 0, "%0.3f"},
    {"Rev/s", "revps", 0.016666666666666666, 0, "%0.0f"},
};

constexpr TUnitsEntry AreaList[] = {
    {"m\xB2", "sqm", 1, 0, "%0.1f"},
    {"cm\xB2", "sqcm", 10000, 0, "%0.1f"},
    {"mm\xB2", "sqmm", 1000000, 0, "%0.0f"},
    {"inch\xB2", "sqinch", 1550.0031000062, 0, "%0.2f"},
    {"ft\xB2", "sqft", 10.763910416709722, 0, "%0.1f"},
};

// "lb/hr" once held the pounds in a gram (0.002204622621848776), which shows
// a condensate rate 3600 times too small.
constexpr TUnitsEntry CondensateRateList[] = {
    {"g/s", "GramPerSec", 1, 0, "%0.1f"},
    {"kg/s", "KGperSec", 0.001, 0, "%0.4f"},
    {"kg/min", "kgpermin", 0.06, 0, "%0.3f"},
    {"lb/hr", "lbperhr", 7.936641438655593, 0, "%0.3f"},
};

constexpr TUnitsEntry ConductanceList[] = {
    {"kW/\xB0" "C", "kWperdegC", 1, 0, "%0.3f"},
    {"W/\xB0" "C", "WperdegC", 1000, 0, "%0.0f"},
    {"MBH/\xB0" "F", "MBHperdegF", 1.8956339758268757, 0, "%0.3f"},
    {"Btu/h\xB0" "F", "BtuperhrdegF", 1895.6339758268755, 0, "%0.0f"},
};

constexpr TUnitsEntry ConductivityList[] = {
    {"W/mK", "WpermK", 1, 0, "%0.4g"},
    {"mW/mK", "mWpermK", 1000, 0, "%0.4g"},
    {"Btu/hr\xB7" "ft\xB0" "F", "BtuperhrftdegF", 0.5777007510109763, 0, "%0.4g"},
};

constexpr TUnitsEntry DensityList[] = {
    {"kg/m\xB3", "kgperm3", 1, 0, "%0.4g"},
    {"mg/L", "mgperl", 1000, 0, "%0.1g"},
    {"lb/ft\xB3", "lbperft3", 0.06242796057614461, 0, "%0.4g"},
};

constexpr TUnitsEntry DiameterList[] = {
    {"m", "metres", 1, 0, "%0.3f"},
    {"mm", "millimetres", 1000, 0, "%0.0f"},
    {"inch", "inches", 39.37007874015748, 0, "%0.2f"},
    {"1/8\"", "eighthsOfAnInch", 314.96062992125985, 0, "%0.0f"},
    {"ft", "feet", 3.2808398950131235, 0, "%0.3f"},
};

constexpr TUnitsEntry DutyList[] = {
    {"kW", "kiloWatts", 1, 0, "%0.3f"},
    {"W", "Watts", 1000, 0, "%0.0f"},
    {"Btu/hr", "Btuperhr", 3412.141156488376, 0, "%0.0f"},
    {"MBh", "Mega Btuperhr", 3.412141156488376, 0, "%0.3f"},
    {"kcal/hr", "kcalperhr", 859.184, 0, "%0.1f"},
};

constexpr TUnitsEntry DutyRateList[] = {
    {"W/m\xB2", "W/sqm", 1, 0, "%0.1f"},
    {"kW/m\xB2", "kW/sqm", 0.001, 0, "%0.3f"},
    {"Btu/hr\xB7" "ft\xB2", "Btu/hrsqft", 0.31699828634688587, 0, "%0.1f"},
    {"MBh/ft\xB2", "MBh/sqft", 0.00031699828634688585, 0, "%0.3f"},
    {"kcal/hr\xB7" "ft\xB2", "kcal/hrsqft", 0.07982080551936, 0, "%0.1f"},
};

constexpr TUnitsEntry EnergyList[] = {
    {"kJ", "kJ", 1, 0, "%0.3f"},
    {"J", "J", 1000, 0, "%0.0f"},
    {"kW-hr", "kWhr", 0.0002777777777777778, 0, "%0.5g"},
    {"W-hr", "Whr", 0.2777777777777778, 0, "%0.5g"},
    {"Btu", "Btu", 0.9478169879134378, 0, "%0.5g"},
};

constexpr TUnitsEntry EnthalpyList[] = {
    {"kJ/kg", "kJperkg", 1, 0, "%0.1f"},
    {"Btu/lb", "Btuperlb", 0.4299226139294927, 0, "%0.1f"},
};

constexpr TUnitsEntry FinDensityList[] = {
    {"fpi", "fpi", 1, 0, "%0.4f"},
    {"fin/mm", "fin/mm", 0.03937007874015748, 0, "%0.5f"},
    {"fins/m", "fins/m", 39.37007874015748, 0, "%0.3f"},
    {"fins/ft", "fins/ft", 12, 0, "%0.3f"},
};

constexpr TUnitsEntry HeatOfRespirList[] = {
    {"kJ/kg/day", "kJperkgperday", 1, 0, "%0.2f"},
    {"Btu/lb/day", "Btuperlbperday", 0.4299226139294927, 0, "%0.2f"},
};

constexpr TUnitsEntry HeatTransCoeffList[] = {
    {"W/m\xB2\xB0" "C", "W/sqmdegC", 1, 0, "%0.5g"},
    {"Btu/hr\xB7" "ft\xB2\xB0" "F", "Btu/hrsqftdegF", 0.17611835153222966, 0, "%0.5g"},
};

constexpr TUnitsEntry HumidityList[] = {
    {"kg/kg", "kgperkg", 1, 0, "%0.4f"},
    {"g/kg", "gperkg", 1000, 0, "%0.2f"},
    {"gr/lb", "grperlb", 7000, 0, "%0.1f"},
};

constexpr TUnitsEntry LengthBigList[] = {
    {"m", "metres", 1, 0, "%0.2f"},
    {"ft", "feet", 3.2808398950131235, 0, "%0.1f"},
};

constexpr TUnitsEntry LengthMeasureList[] = {
    {"m", "metres", 1, 0, "%0.3f"},
    {"cm", "centimetres", 100, 0, "%0.2f"},
    {"mm", "millimetres", 1000, 0, "%0.1f"},
    {"inch", "inches", 39.37007874015748, 0, "%0.2f"},
    {"ft", "feet", 3.2808398950131235, 0, "%0.3f"},
};

constexpr TUnitsEntry LengthSmallList[] = {
    {"mm", "millimetres", 1, 0, "%0.4f"},
    {"um", "micrometres", 1000, 0, "%0.1f"},
    {"Thou\"", "Thousandths", 39.37007874015748, 0, "%0.3f"},
};

constexpr TUnitsEntry MassList[] = {
    {"kg", "kg", 1, 0, "%0.0f"},
    {"ton SI", "tonSI", 0.001, 0, "%0.3f"},
    {"lb", "lb", 2.2046226218487757, 0, "%0.1f"},
};

constexpr TUnitsEntry MassFlowList[] = {
    {"kg/s", "kgpers", 1, 0, "%0.3f"},
    {"g/s", "gpers", 1000, 0, "%0.0f"},
    {"kg/hr", "kgperhr", 3600, 0, "%0.1f"},
    {"lb/s", "lbpers", 2.2046226218487757, 0, "%0.4f"},
    {"lb/min", "lbpermin", 132.27735731092656, 0, "%0.2f"},
    {"lb/hr", "lbperhr", 7936.6414386555925, 0, "%0.0f"},
};

constexpr TUnitsEntry MassFluxList[] = {
    {"kg/m\xB2s", "kg/sqms", 1, 0, "%0.3f"},
    {"g/m\xB2s", "g/sqms", 1000, 0, "%0.0f"},
    {"kg/m\xB2hr", "kg/sqmhr", 3600, 0, "%0.1f"},
    {"lb/ft\xB2s", "lb/sqfts", 0.20481614362252168, 0, "%0.4f"},
    {"lb/ft\xB2min", "lb/sqftmin", 12.288968617351301, 0, "%0.2f"},
    {"lb/ft\xB2hr", "lb/sqfthr", 737.3381170410781, 0, "%0.0f"},
};

constexpr TUnitsEntry MetRateList[] = {
    {"W/P", "W/P", 1, 0, "%0.1f"},
    {"Btu/hr/P", "Btu/hr/P", 3.412141156488376, 0, "%0.0f"},
};

constexpr TUnitsEntry PeopleDensityList[] = {
    {"m\xB2/P", "sqm/P", 1, 0, "%0.1f"},
    {"ft\xB2/P", "sqft/P", 10.763910416709722, 0, "%0.2f"},
};

constexpr TUnitsEntry PowerList[] = {
    {"kW", "kW", 1, 0, "%0.3f"},
    {"W", "W", 1000, 0, "%0.0f"},
    {"HP", "HP", 1.341021858656296, 0, "%0.2f"},
};

constexpr TUnitsEntry PressureBarList[] = {
    {"kPa", "kPa", 1, 0, "%0.3f"},
    {"Psi", "Psi", 0.1450376807894691, 0, "%0.4f"},
    {"Bar", "Bar", 0.01, 0, "%0.5f"},
    {"Atm", "Atm", 0.00986923, 0, "%0.5f"},
    {"InchHg", "InchHg", 0.295, 0, "%0.4f"},
    {"mHead", "mHead", 0.10197162129779283, 0, "%0.4f"},
};

constexpr TUnitsEntry PressureRateList[] = {
    {"Pa/m", "Pa/m", 1, 0, "%0.2f"},
    {"kPa/m", "kPa/m", 0.001, 0, "%0.5f"},
    {"iwg/100'", "iwg/100'", 0.12236594555735139, 0, "%0.4f"},
    {"Psi/ft", "Psi/ft", 0.000044207485104630184, 0, "%0.6f"},
};

constexpr TUnitsEntry ProportionList[] = {
    {"fraction", "fraction", 1, 0, "%0.3f"},
    {"%", "percent", 100, 0, "%0.1f"},
    {"ratio", "ratio", 1, 0, "%0.3f"},
};

constexpr TUnitsEntry SpecificHeatList[] = {
    {"kJ/kg\xB7K", "kJperkgK", 1, 0, "%0.4g"},
    {"Btu/lb\xB0" "F", "BtuperlbdegF", 0.23883448770002388, 0, "%0.4g"},
};

constexpr TUnitsEntry SpecificVolList[] = {
    {"m\xB3/kg", "m3perkg", 1, 0, "%0.3f"},
    {"ft\xB3/lb", "ft3perlb", 16.018463373960138, 0, "%0.3f"},
};

// The offsets apply to utTemperature alone; utTemperatureChange reads the
// same entries and uses the factors only.
constexpr TUnitsEntry TemperatureList[] = {
    {"\xB0" "C", "degC", 1, 0, "%0.1f"},
    {"\xB0" "F", "degF", 1.8, 32, "%0.1f"},
    {"K", "degK", 1, 273.15, "%0.2f"},
};

// "Btu/ft2 F" once held 0.5705969154243945, which matches neither the
// unit nor the Btu, ft2 and F used everywhere else here.
constexpr TUnitsEntry ThermalCapacityList[] = {
    {"W-hr/m\xB2\xB0" "C", "W-hr/sqmdegC", 1, 0, "%0.1f"},
    {"Btu/ft\xB2\xB0" "F", "Btu/sqftdegF", 0.17611015908160327, 0, "%0.1f"},
};

constexpr TUnitsEntry ThermalResistList[] = {
    {"m\xB2\xB0" "C/W", "sqmdegCperW", 1, 0, "%0.4f"},
    {"ft\xB2\xB7hr\xB7\xB0" "F/Btu", "sqfthrdegFperBtu", 5.678264134306047, 0, "%0.3f"},
};

constexpr TUnitsEntry TimeList[] = {
    {"sec", "sec", 1, 0, "%0.0f"},
    {"min", "min", 0.016666666666666666, 0, "%0.2f"},
    {"hr", "hr", 0.0002777777777777778, 0, "%0.4f"},
};

constexpr TUnitsEntry VelocityList[] = {
    {"m/s", "mpers", 1, 0, "%0.2f"},
    {"fpm", "ftpm", 196.8503937007874, 0, "%0.1f"},
};

// "lbm/ft s" once held 0.0671955, a tenth of the pounds per foot-second
// in one kg/m s.
constexpr TUnitsEntry ViscosityList[] = {
    {"kg/m\xB7s", "kg/ms", 1, 0, "%0.4g"},
    {"N\xB7s/m\xB2", "Ns/sqm", 1, 0, "%0.4g"},
    {"Pa\xB7s", "Pas", 1, 0, "%0.4g"},
    {"cP", "cP", 1000, 0, "%0.4g"},
    {"lbm/ft\xB7s", "lbm/fts", 0.6719689751395072, 0, "%0.4g"},
    {"lbf\xB7s/ft\xB2", "lbfs/sqft", 0.020885, 0, "%0.4g"},
    {"lbf\xB7hr/ft\xB2", "lbfhr/sqft", 0.0000058014, 0, "%0.4g"},
};

constexpr TUnitsEntry VolumeList[] = {
    {"m\xB3", "m3", 1, 0, "%0.4f"},
    {"litre", "l", 1000, 0, "%0.2f"},
    {"cc", "cc", 1000000, 0, "%0.0f"},
    {"ft\xB3", "ft3", 35.32, 0, "%0.4f"},
    {"inch\xB3", "inch3", 61023, 0, "%0.1f"},
};

constexpr TUnitsEntry VolumeFluidList[] = {
    {"kl", "kilolitre", 1, 0, "%0.3f"},
    {"litre", "litre", 1000, 0, "%0.5g"},
    {"IP Gal", "imperialgallon", 220, 0, "%0.5g"},
    {"US Gal", "usgallon", 264.1720523581484, 0, "%0.5g"},
};

constexpr TUnitsEntry WaterFlowList[] = {
    {"l/s", "lps", 1, 0, "%0.3f"},
    {"l/min", "lpm", 60, 0, "%0.2f"},
    {"dm\xB3/hr", "dm3phr", 3600, 0, "%0.2f"},
    {"m\xB3/hr", "cmh", 3.6, 0, "%0.2f"},
    {"m\xB3/s", "cms", 0.001, 0, "%0.4f"},
    {"usgpm", "usgpm", 15.850323141488905, 0, "%0.1f"},
};

}  // namespace

const std::array<const char*, UnitsTypeCount> UnitsTypeNames = {
    "None",
    "Air Flow - Primary",
    "Air Flow - Secondary",
    "Air Flow - Small",
    "Air Flow Rate",
    "Air Pressure Drop",
    "Altitude",
    "Angular Speed",
    "Area",
    "Condensate Rate",
    "Conductance",
    "Conductivity",
    "Density",
    "Diameter",
    "Duty - Primary",
    "Duty - Secondary",
    "Duty Rate",
    "Energy",
    "Enthalpy",
    "Fin Density",
    "Heat of Respiration",
    "Heat Transfer Coefficient",
    "Humidity",
    "Length - Big",
    "Length - Measurement",
    "Length - Primary",
    "Length - Secondary",
    "Length - Small",
    "Mass",
    "MassFlow",
    "MassFlow - Refrig./Steam",
    "MassFlux",
    "Metabolic Rate",
    "People Density",
    "Power",
    "Pressure - Absolute or Gauge",
    "Pressure - Barometric",
    "Pressure - Steam",
    "Pressure Rate - Gas",
    "Pressure Rate - Liquid",
    "Proportion",
    "Specific Heat",
    "Specific Volume",
    "Temperature",
    "Temperature Change",
    "Thermal Capacity",
    "Thermal Resistance",
    "Time",
    "Velocity",
    "Viscosity",
    "Volume",
    "Fluid Volume",
    "Water Flow",
    "Water Pressure Drop",
};

const std::array<TUnitsList, UnitsTypeCount> UnitsLists = {
    TUnitsList{},  // utNone
    AirFlowPrimList,
    AirFlowPrimList,  // utAirFlowSec
    AirFlowSmallList,
    AirFlowRateList,
    AirPressDropList,
    AltitudeList,
    AngularSpeedList,
    AreaList,
    CondensateRateList,
    ConductanceList,
    ConductivityList,
    DensityList,
    DiameterList,
    DutyList,  // utDutyPrim
    DutyList,  // utDutySec
    DutyRateList,
    EnergyList,
    EnthalpyList,
    FinDensityList,
    HeatOfRespirList,
    HeatTransCoeffList,
    HumidityList,
    LengthBigList,
    LengthMeasureList,
    LengthMeasureList,  // utLengthPrim
    LengthMeasureList,  // utLengthSec
    LengthSmallList,
    MassList,
    MassFlowList,
    MassFlowList,  // utMassFlowGas
    MassFluxList,
    MetRateList,
    PeopleDensityList,
    PowerList,
    AirPressDropList,  // utPressure
    PressureBarList,
    AirPressDropList,  // utPressureSteam
    PressureRateList,  // utPressureRateGas
    PressureRateList,  // utPressureRateLiquid
    ProportionList,
    SpecificHeatList,
    SpecificVolList,
    TemperatureList,  // utTemperature
    TemperatureList,  // utTemperatureChange
    ThermalCapacityList,
    ThermalResistList,
    TimeList,
    VelocityList,
    ViscosityList,
    VolumeList,
    VolumeFluidList,
    WaterFlowList,
    AirPressDropList,  // utWaterPressDrop
};

namespace {

// A byte can hold values past the last quantity; those have no list, as
// utNone has none.
TUnitsList ListOf(TUnitsType unitsType) {
  return unitsType < UnitsTypeCount ? UnitsLists[unitsType] : TUnitsList{};
}

// Callers bound their indices first; an index that slips through still reads
// the nearest entry of the list and never past it.
const TUnitsEntry& EntryOf(TUnitsList list, int index) {
  const int last = static_cast<int>(list.size()) - 1;
  return list[static_cast<std::size_t>(std::clamp(index, 0, last))];
}

}  // namespace

std::string GetUnitsText(TUnitsType unitsType, int index) {
  const TUnitsList list = ListOf(unitsType);
  return list.empty() ? std::string() : std::string(EntryOf(list, index).Text);
}

std::string GetUnitsFormat(TUnitsType unitsType, int index) {
  const TUnitsList list = ListOf(unitsType);
  return list.empty() ? std::string("%0.1f") : std::string(EntryOf(list, index).Format);
}

void GetUnitsConversion(TUnitsType unitsType, int valueIndex, int baseIndex, std::string& text,
                        double& factor, double& offset, std::string& formatStr) {
  text = GetUnitsText(unitsType, valueIndex);
  formatStr = GetUnitsFormat(unitsType, valueIndex);
  const TUnitsList list = ListOf(unitsType);
  if (list.empty())
    return;
  const TUnitsEntry& shown = EntryOf(list, valueIndex);
  const TUnitsEntry& held = EntryOf(list, baseIndex);
  offset = 0;
  factor = shown.Factor / held.Factor;
  // A temperature difference has no zero point to move.
  if (unitsType == utTemperature)
    offset = shown.Offset - factor * held.Offset;
}

int LimitUnitsIndex(TUnitsType unitsType, int index) {
  const TUnitsList list = ListOf(unitsType);
  if (list.empty())
    return index;
  return std::clamp(index, 0, static_cast<int>(list.size()) - 1);
}

double ToUnits(double value, double factor, double offset) {
  return value * factor + offset;
}

double FromUnits(double value, double factor, double offset) {
  return (value - offset) / factor;
}
