#pragma once
// The one seam through which the program beeps and shows message boxes, so that
// tests can count beeps and answer message boxes without blocking.
#include <QString>

class QWidget;

namespace Dialogs {

enum class TMsgKind { mkInformation, mkWarning, mkError, mkConfirmation };
enum class TMsgButtons { mbOK, mbYesNoCancel };
enum class TMsgResult { mrOk, mrYes, mrNo, mrCancel };

class TDialogSink {
public:
  virtual ~TDialogSink() = default;
  virtual void Beep() = 0;
  virtual TMsgResult Message(QWidget* parent, const QString& text, TMsgKind kind,
                             TMsgButtons buttons) = 0;
};

// The system's default message beep.
void Beep();
// A modal message box; closing a Yes/No/Cancel box counts as Cancel.
TMsgResult MessageBox(const QString& text, TMsgKind kind = TMsgKind::mkInformation,
                      TMsgButtons buttons = TMsgButtons::mbOK, QWidget* parent = nullptr);
inline void ShowMessage(const QString& text) { MessageBox(text); }

// Replaces the sink (nullptr restores the real dialogs); returns the previous one.
TDialogSink* SetDialogSink(TDialogSink* sink);

}  // namespace Dialogs
