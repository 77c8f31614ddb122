#pragma once
// The main window of the sweep controller.
#include <QPointer>
#include <QWidget>

#include <memory>
#include <string>

#include "IKeltCoil.h"
#include "LoopVars.h"
#include "Sweep.h"

namespace Ui {
class TControlForm;
}
class QLabel;
class QListWidgetItem;
class TIniPadForm;

// The executable's directory with a trailing path delimiter; set when the main
// window is created. The results file lies there.
extern std::string ExeDir;

// Moves the focus between edit fields on Enter, Down and Up (the window's key
// preview calls it). Acts only when the form's active control is an edit field;
// a key it acts on is consumed (set to 0).
void EditKeyNavigate(QWidget* form, int& key);

class TControlForm : public QWidget, private TSweepProgress {
  Q_OBJECT

public:
  // iniPad is the results editor window that the view button shows (not owned).
  explicit TControlForm(QWidget* parent = nullptr, TIniPadForm* iniPad = nullptr);
  ~TControlForm() override;

  void SetIniPad(TIniPadForm* iniPad) { FIniPad = iniPad; }

  // Handlers.
  void ConnectBtnClick();
  void DiscBtnClick();
  void LoopBtnClick();
  void ViewBtnClick();
  void LoopListClick();
  void LoopListClickCheck();
  void StartEdExit();
  void EndEdExit();
  void CountEdExit();
  void FormKeyDown(int& key);

  // The loop list and the "Current" group.
  void FillLoopList();
  int CurrentLoopIndex() const;
  int FindLoopOrder(int32_t order) const { return ::FindLoopOrder(LoopVars, order); }
  void ShowCurrentLoop();

  QString StatusText() const;
  void SetStatusText(const QString& text);
  IKeltCoil* Coil() const { return FCoil.Get(); }
  bool Running() const { return FRunning; }
  Ui::TControlForm* Form() const { return FUi.get(); }
  // The results file of the data file name now shown.
  std::string ResultsPath() const;

  // 1 when the server reported a calculation error in the last sweep.
  int32_t CalcError() const { return FSweep.FCalcError; }

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

private:
  void FormCreate();
  void FormDestroy();
  void FormClose();
  void SetRunning(bool running);
  void StoreExitValue(double TLoopVar::*field, class TFmtEdit* edit);

  // TSweepProgress
  void ShowCoilModel(const std::string& model) override;
  void BeginProgress(int32_t pointCount) override;
  void ShowStatus(const std::string& text) override;
  void StepProgress() override;
  void ProcessMessages() override;
  void ResetProgress() override;

  std::unique_ptr<Ui::TControlForm> FUi;
  QLabel* FStatusLabel = nullptr;
  ComPtr<IKeltCoil> FCoil;
  TSweep FSweep;
  TIniPadForm* FIniPad = nullptr;
  bool FRunning = false;
  QPointer<QWidget> FFocusBeforeRun;
  bool FCloseWhenRunEnds = false;
};
