#include "Dialogs.h"

#include <QApplication>
#include <QMessageBox>

namespace Dialogs {
namespace {

class TQtDialogSink final : public TDialogSink {
public:
  void Beep() override { QApplication::beep(); }

  TMsgResult Message(QWidget* parent, const QString& text, TMsgKind kind,
                     TMsgButtons buttons) override {
    QMessageBox box(parent);
    box.setWindowTitle(QApplication::applicationName());
    box.setText(text);
    switch (kind) {
      case TMsgKind::mkInformation: box.setIcon(QMessageBox::Information); break;
      case TMsgKind::mkWarning: box.setIcon(QMessageBox::Warning); break;
      case TMsgKind::mkError: box.setIcon(QMessageBox::Critical); break;
      case TMsgKind::mkConfirmation: box.setIcon(QMessageBox::Question); break;
    }
    if (buttons == TMsgButtons::mbYesNoCancel) {
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      box.setEscapeButton(QMessageBox::Cancel);
    } else {
      box.setStandardButtons(QMessageBox::Ok);
    }
    switch (box.exec()) {
      case QMessageBox::Yes: return TMsgResult::mrYes;
      case QMessageBox::No: return TMsgResult::mrNo;
      case QMessageBox::Ok: return TMsgResult::mrOk;
      default: return buttons == TMsgButtons::mbOK ? TMsgResult::mrOk : TMsgResult::mrCancel;
    }
  }
};

TQtDialogSink& QtSink() {
  static TQtDialogSink sink;
  return sink;
}

TDialogSink* CurrentSink = nullptr;

TDialogSink& Sink() { return CurrentSink ? *CurrentSink : QtSink(); }

}  // namespace

void Beep() { Sink().Beep(); }

TMsgResult MessageBox(const QString& text, TMsgKind kind, TMsgButtons buttons, QWidget* parent) {
  return Sink().Message(parent, text, kind, buttons);
}

TDialogSink* SetDialogSink(TDialogSink* sink) {
  TDialogSink* previous = CurrentSink;
  CurrentSink = sink;
  return previous;
}

}  // namespace Dialogs
