#pragma once
// The editor window's find and replace dialogs: small modeless dialogs that
// report the user's request through their options and a signal, and leave the
// searching to their owner.
#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// Options of the dialogs. frFindNext, frReplace and frReplaceAll tell which
// button was pressed last; each press clears the other two.
enum TFindOption : unsigned {
  frDown = 0x1,
  frFindNext = 0x2,
  frMatchCase = 0x4,
  frWholeWord = 0x8,
  frReplace = 0x10,
  frReplaceAll = 0x20,
};
using TFindOptions = unsigned;

// Find what, match whole word, match case, direction; Find Next and Cancel.
class TFindDialog : public QDialog {
  Q_OBJECT
public:
  explicit TFindDialog(QWidget* parent = nullptr);

  QString FindText() const;
  void SetFindText(const QString& text);
  TFindOptions Options() const;
  void SetOptions(TFindOptions options);
  // Shows the dialog (modeless) or brings it to the front.
  void Execute();

  QLineEdit* FindEdit() const { return FFindEdit; }
  QCheckBox* WholeWordBox() const { return FWholeWord; }
  QCheckBox* MatchCaseBox() const { return FMatchCase; }
  QRadioButton* UpButton() const { return FUp; }
  QRadioButton* DownButton() const { return FDown; }
  QPushButton* FindNextButton() const { return FFindNext; }
  QPushButton* CancelButton() const { return FCancel; }

signals:
  // Find Next was pressed.
  void Find();

protected:
  TFindDialog(bool replace, QWidget* parent);
  void SetPressed(TFindOptions button) { FPressed = button; }
  virtual void UpdateButtons();

private:
  QLineEdit* FFindEdit = nullptr;
  QCheckBox* FWholeWord = nullptr;
  QCheckBox* FMatchCase = nullptr;
  QRadioButton* FUp = nullptr;
  QRadioButton* FDown = nullptr;
  QPushButton* FFindNext = nullptr;
  QPushButton* FCancel = nullptr;
  TFindOptions FPressed = 0;
};

// Adds replace with, Replace and Replace All; it searches down.
class TReplaceDialog : public TFindDialog {
  Q_OBJECT
public:
  explicit TReplaceDialog(QWidget* parent = nullptr);

  QString ReplaceText() const;
  void SetReplaceText(const QString& text);

  QLineEdit* ReplaceEdit() const { return FReplaceEdit; }
  QPushButton* ReplaceButton() const { return FReplace; }
  QPushButton* ReplaceAllButton() const { return FReplaceAll; }

signals:
  // Replace or Replace All was pressed (frReplace or frReplaceAll is set).
  void Replace();

protected:
  void UpdateButtons() override;

private:
  QLineEdit* FReplaceEdit = nullptr;
  QPushButton* FReplace = nullptr;
  QPushButton* FReplaceAll = nullptr;
};
