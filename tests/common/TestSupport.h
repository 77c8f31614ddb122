#pragma once
#include <QString>
#include <QStringList>

#include <deque>

#include "Dialogs.h"

#include <QTemporaryDir>

namespace TestSupport {

// A private, empty settings store for the whole test run (XDG_CONFIG_HOME and
// XDG_CONFIG_DIRS in a temporary folder) and the offscreen platform. Create it
// in main before the application object.
class TTestEnvironment {
public:
  TTestEnvironment();

private:
  QTemporaryDir FConfigHome;
};

// The temporary folder that holds this test run's settings store.
QString ConfigHome();
// Removes every stored setting, so that a test starts from a first start.
void ClearSettings();

// Records beeps and message boxes instead of showing them; message boxes take
// their answers from a queue (Ok or Cancel when it is empty).
class TRecordingDialogs : public Dialogs::TDialogSink {
public:
  TRecordingDialogs();
  ~TRecordingDialogs() override;
  void Beep() override { ++Beeps; }
  Dialogs::TMsgResult Message(QWidget* parent, const QString& text, Dialogs::TMsgKind kind,
                              Dialogs::TMsgButtons buttons) override;

  int Beeps = 0;
  QStringList Messages;
  std::deque<Dialogs::TMsgResult> Answers;

private:
  Dialogs::TDialogSink* FPrevious;
};

}  // namespace TestSupport
