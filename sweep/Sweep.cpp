#include "Sweep.h"

#include <algorithm>
#include <cctype>

#include "QzFields.h"

const char* const ResultsHeader = "ma, Qai, Vfi, DBi, WBi, tc, Qt, Qs, DBo, WBo";
const char* const ResultsLineFormat =
    "%0.3f, %0.3f, %0.2f, %0.2f, %0.2f, %0.2f, %0.3f, %0.3f, %0.2f, %0.2f";

namespace {

constexpr HRESULT CO_E_OBJNOTCONNECTED = MakeHResult(0x800401FDu);

bool SameText(const std::string& a, const char* b) {
  const std::string_view bv(b);
  return a.size() == bv.size() && std::equal(a.begin(), a.end(), bv.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

// Server input per record name: the record whose step and start apply, and its setter.
struct TInput {
  const char* Name;
  int Record;
  HRESULT (IKeltCoil::*Put)(double);
};
constexpr TInput Inputs[] = {
    {"Air Velocity", 0, &IKeltCoil::put_AirVelocity},
    {"Dry Bulb On", 1, &IKeltCoil::put_DryBulbOn},
    {"Wet Bulb On", 2, &IKeltCoil::put_WetBulbOn},
    {"Discharge", 3, &IKeltCoil::put_Discharge},
};

}  // namespace

IKeltCoil& TSweep::Coil() const {
  if (!FCoil) throw EOleSysError("The connection to the coil server was closed.", CO_E_OBJNOTCONNECTED);
  return *FCoil.Get();
}

void TSweep::ComputeSteps() {
  // Every record, ticked or not; a count of 1 would divide by zero.
  for (int i = 0; i < LoopVarCount; ++i) {
    const TLoopVar& v = FVars[i];
    const double span = v.End - v.Start;
    const double divisor = static_cast<double>(v.Count) - 1.0;
    if (divisor == 0.0)
      throw EMathError(span == 0.0 ? "Invalid floating point operation" : "Floating point division by zero");
    FStep[i] = span / divisor;
  }
}

int32_t TSweep::Run(const std::array<bool, LoopVarCount>& ticked, const std::string& path,
                    char decimalSeparator) {
  FDecimalSeparator = decimalSeparator;
  int32_t pointCount = 0;
  ComputeSteps();

  TBStr model;
  OleCheck(Coil().get_CoilModel(model.Put()));
  FProgress.ShowCoilModel(model.ToString());

  FDataFile.Create(path);
  try {
    const int k = FindLoopOrder(FVars, 0);
    if (k >= 0) {
      double baseVelocity = 0, baseDryBulb = 0, baseWetBulb = 0, baseDischarge = 0;
      OleCheck(Coil().get_AirVelocity(&baseVelocity));
      OleCheck(Coil().get_DryBulbOn(&baseDryBulb));
      OleCheck(Coil().get_WetBulbOn(&baseWetBulb));
      OleCheck(Coil().get_Discharge(&baseDischarge));

      pointCount = 1;
      for (int i = 0; i < LoopVarCount; ++i)
        if (ticked[i]) pointCount *= FVars[i].Count;
      FProgress.BeginProgress(pointCount);
      FProgress.ShowStatus("Busy...");
      FDataFile.WriteLine(ResultsHeader);

      SweepLevel(FVars[k]);

      OleCheck(Coil().put_AirVelocity(baseVelocity));
      OleCheck(Coil().put_DryBulbOn(baseDryBulb));
      OleCheck(Coil().put_WetBulbOn(baseWetBulb));
      OleCheck(Coil().put_Discharge(baseDischarge));
      double ignored = 0;
      OleCheck(Coil().Calculate(&ignored));
    }
    FProgress.ResetProgress();
  } catch (...) {
    try {
      FDataFile.Close();
    } catch (const Exception&) {
      // the first failure is the one to report
    }
    throw;
  }
  FDataFile.Close();
  return pointCount;
}

void TSweep::SetInput(const std::string& name, int32_t index) {
  for (const TInput& input : Inputs) {
    if (SameText(name, input.Name)) {
      // the start is read from the table when the value is computed
      const double value = index * FStep[input.Record] + FVars[input.Record].Start;
      OleCheck((Coil().*input.Put)(value));
      return;
    }
  }
}

void TSweep::SweepLevel(const TLoopVar& r) {
  const int32_t n = r.Count;
  if (n - 1 < 0) return;
  for (int32_t i = 0; i <= n - 1; ++i) {
    SetInput(r.Name, i);
    {
      TBStr model;
      OleCheck(Coil().get_CoilModel(model.Put()));
      OleCheck(Coil().put_CoilModel(model.Get()));
    }
    double velocity = 0;
    OleCheck(Coil().get_AirVelocity(&velocity));
    OleCheck(Coil().put_AirVelocity(velocity));

    const int j = FindLoopOrder(FVars, r.Order);
    if (j >= 0) {
      SweepLevel(FVars[j]);
    } else {
      WritePoint();
      FProgress.StepProgress();
      FProgress.ProcessMessages();
    }
  }
}

void TSweep::WritePoint() {
  double ignored = 0;
  OleCheck(Coil().Calculate(&ignored));
  int32_t calcError = 0;
  OleCheck(Coil().get_CalcError(&calcError));
  if (calcError != 0) FCalcError = 1;

  double ma, qai, vfi, dbi, wbi, tc, qt, qs, dbo, wbo;
  OleCheck(Coil().get_ma(&ma));
  OleCheck(Coil().get_Qai(&qai));
  OleCheck(Coil().get_AirVelocity(&vfi));
  OleCheck(Coil().get_DryBulbOn(&dbi));
  OleCheck(Coil().get_WetBulbOn(&wbi));
  OleCheck(Coil().get_Discharge(&tc));
  OleCheck(Coil().get_Qt(&qt));
  OleCheck(Coil().get_Qs(&qs));
  OleCheck(Coil().get_DBo(&dbo));
  OleCheck(Coil().get_WBo(&wbo));
  FDataFile.WriteLine(
      FormatWithSeparator(FDecimalSeparator, ResultsLineFormat, ma, qai, vfi, dbi, wbi, tc, qt, qs, dbo, wbo));
}
