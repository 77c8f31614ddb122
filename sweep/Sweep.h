#pragma once
// The sweep: runs every combination of the ticked loop variables against the
// coil server and writes one line of ten results per point. Free of widgets:
// the window shows progress through a TSweepProgress it implements.
#include <array>
#include <cstdint>
#include <string>

#include "IKeltCoil.h"
#include "LoopVars.h"
#include "ResultsFile.h"

// What the window shows while a sweep runs.
class TSweepProgress {
public:
  virtual ~TSweepProgress() = default;
  virtual void ShowCoilModel(const std::string& model) = 0;
  // Step 1, position 0, minimum 0, maximum pointCount.
  virtual void BeginProgress(int32_t pointCount) = 0;
  virtual void ShowStatus(const std::string& text) = 0;
  virtual void StepProgress() = 0;
  // Lets the window process its pending events after each point.
  virtual void ProcessMessages() = 0;
  virtual void ResetProgress() = 0;
};

// A floating-point fault in the step computation.
class EMathError : public Exception {
public:
  using Exception::Exception;
};

extern const char* const ResultsHeader;
extern const char* const ResultsLineFormat;

class TSweep {
public:
  // coil is the window's own connection, read anew before every server call:
  // releasing it while the window processes events makes the next call fail.
  TSweep(const ComPtr<IKeltCoil>& coil, TLoopVars& vars, TSweepProgress& progress)
      : FCoil(coil), FVars(vars), FProgress(progress) {}

  // Runs a whole sweep into the results file at path. ticked[i] tells whether
  // list item i is ticked. Returns the point count; raises on any failure
  // (the file is then closed, the lines written so far stay, and the server's
  // inputs are not restored). decimalSeparator is the user's regional one.
  int32_t Run(const std::array<bool, LoopVarCount>& ticked, const std::string& path, char decimalSeparator);

  // Runs record r's level and every level inside it.
  void SweepLevel(const TLoopVar& r);

  // 1 when the server reported a calculation error during the last run.
  int32_t FCalcError = 0;
  // The step of each loop variable, in table order.
  std::array<double, LoopVarCount> FStep{};
  // The results file, open only while a run writes it.
  TResultsFile FDataFile;

private:
  IKeltCoil& Coil() const;
  void ComputeSteps();
  void SetInput(const std::string& name, int32_t index);
  void WritePoint();

  const ComPtr<IKeltCoil>& FCoil;
  TLoopVars& FVars;
  TSweepProgress& FProgress;
  char FDecimalSeparator = '.';
};
