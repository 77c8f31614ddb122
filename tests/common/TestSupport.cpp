#include "TestSupport.h"

#include <QDir>

#include <cstdlib>

namespace TestSupport {

TTestEnvironment::TTestEnvironment() {
  if (!FConfigHome.isValid()) std::abort();
  ::setenv("XDG_CONFIG_HOME", (FConfigHome.path() + "/user").toLocal8Bit().constData(), 1);
  ::setenv("XDG_CONFIG_DIRS", (FConfigHome.path() + "/machine").toLocal8Bit().constData(), 1);
  ::setenv("XDG_RUNTIME_DIR", FConfigHome.path().toLocal8Bit().constData(), 0);
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
}

QString ConfigHome() { return qEnvironmentVariable("XDG_CONFIG_HOME"); }

void ClearSettings() {
  QDir(ConfigHome() + QStringLiteral("/kelt-registry")).removeRecursively();
}

TRecordingDialogs::TRecordingDialogs() : FPrevious(Dialogs::SetDialogSink(this)) {}

TRecordingDialogs::~TRecordingDialogs() { Dialogs::SetDialogSink(FPrevious); }

Dialogs::TMsgResult TRecordingDialogs::Message(QWidget*, const QString& text, Dialogs::TMsgKind,
                                               Dialogs::TMsgButtons buttons) {
  Messages << text;
  if (!Answers.empty()) {
    Dialogs::TMsgResult answer = Answers.front();
    Answers.pop_front();
    return answer;
  }
  return buttons == Dialogs::TMsgButtons::mbOK ? Dialogs::TMsgResult::mrOk : Dialogs::TMsgResult::mrCancel;
}

}  // namespace TestSupport
