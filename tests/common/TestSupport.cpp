#include "TestSupport.h"

#include <QDir>

namespace TestSupport {

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
