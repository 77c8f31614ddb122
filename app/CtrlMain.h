#pragma once
// The main window of the sweep controller.
#include <QWidget>

#include <memory>
#include <string>

#include "IKeltCoil.h"

namespace Ui {
class TControlForm;
}
class QLabel;

// The executable's directory with a trailing path delimiter; set when the main
// window is created. The results file lies there.
extern std::string ExeDir;

// Moves the focus between edit fields on Enter, Down and Up (the window's key
// preview calls it). Acts only when the form's active control is an edit field;
// a key it acts on is consumed (set to 0).
void EditKeyNavigate(QWidget* form, int& key);

class TControlForm : public QWidget {
  Q_OBJECT

public:
  explicit TControlForm(QWidget* parent = nullptr);
  ~TControlForm() override;

  void ConnectBtnClick();
  void DiscBtnClick();
  void FormKeyDown(int& key);

  QString StatusText() const;
  void SetStatusText(const QString& text);
  IKeltCoil* Coil() const { return FCoil.Get(); }
  Ui::TControlForm* Form() const { return FUi.get(); }

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void FormCreate();
  void FormDestroy();

  std::unique_ptr<Ui::TControlForm> FUi;
  QLabel* FStatusLabel = nullptr;
  ComPtr<IKeltCoil> FCoil;
};
