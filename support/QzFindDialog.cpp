#include "QzFindDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TFindDialog::TFindDialog(QWidget* parent) : TFindDialog(false, parent) {}

TFindDialog::TFindDialog(bool replace, QWidget* parent) : QDialog(parent) {
  setModal(false);
  setWindowTitle(replace ? tr("Replace") : tr("Find"));
  setObjectName(replace ? QStringLiteral("ReplaceDialog1") : QStringLiteral("FindDialog1"));

  auto* grid = new QGridLayout(this);
  auto* findLabel = new QLabel(tr("Fi&nd what:"), this);
  FFindEdit = new QLineEdit(this);
  FFindEdit->setObjectName(QStringLiteral("FindEdit"));
  findLabel->setBuddy(FFindEdit);
  grid->addWidget(findLabel, 0, 0);
  grid->addWidget(FFindEdit, 0, 1);

  // Row 1 holds the replacement of the replace dialog, which adds it.
  FWholeWord = new QCheckBox(tr("Match &whole word only"), this);
  FMatchCase = new QCheckBox(tr("Match &case"), this);
  auto* checks = new QVBoxLayout;
  checks->addWidget(FWholeWord);
  checks->addWidget(FMatchCase);
  checks->addStretch();

  auto* direction = new QGroupBox(tr("Direction"), this);
  FUp = new QRadioButton(tr("&Up"), direction);
  FDown = new QRadioButton(tr("&Down"), direction);
  FDown->setChecked(true);
  auto* directionLayout = new QHBoxLayout(direction);
  directionLayout->addWidget(FUp);
  directionLayout->addWidget(FDown);
  direction->setVisible(!replace);

  auto* lower = new QHBoxLayout;
  lower->addLayout(checks);
  lower->addWidget(direction);
  grid->addLayout(lower, 2, 0, 1, 2);

  auto* buttons = new QVBoxLayout;
  FFindNext = new QPushButton(tr("&Find Next"), this);
  FFindNext->setDefault(true);
  FCancel = new QPushButton(tr("Cancel"), this);
  buttons->addWidget(FFindNext);
  // The replace dialog puts its two buttons here.
  buttons->addWidget(FCancel);
  buttons->addStretch();
  grid->addLayout(buttons, 0, 2, 3, 1);

  connect(FFindEdit, &QLineEdit::textChanged, this, [this] { UpdateButtons(); });
  connect(FFindNext, &QPushButton::clicked, this, [this] {
    FPressed = frFindNext;
    emit Find();
  });
  connect(FCancel, &QPushButton::clicked, this, &QDialog::close);
  UpdateButtons();
}

QString TFindDialog::FindText() const { return FFindEdit->text(); }

void TFindDialog::SetFindText(const QString& text) { FFindEdit->setText(text); }

TFindOptions TFindDialog::Options() const {
  TFindOptions options = FPressed;
  if (FDown->isChecked()) options |= frDown;
  if (FMatchCase->isChecked()) options |= frMatchCase;
  if (FWholeWord->isChecked()) options |= frWholeWord;
  return options;
}

void TFindDialog::SetOptions(TFindOptions options) {
  (options & frDown ? FDown : FUp)->setChecked(true);
  FMatchCase->setChecked(options & frMatchCase);
  FWholeWord->setChecked(options & frWholeWord);
  FPressed = options & (frFindNext | frReplace | frReplaceAll);
}

void TFindDialog::Execute() {
  show();
  raise();
  activateWindow();
  FFindEdit->setFocus();
  FFindEdit->selectAll();
}

void TFindDialog::UpdateButtons() { FFindNext->setEnabled(!FindText().isEmpty()); }

TReplaceDialog::TReplaceDialog(QWidget* parent) : TFindDialog(true, parent) {
  auto* grid = static_cast<QGridLayout*>(layout());
  auto* replaceLabel = new QLabel(tr("Re&place with:"), this);
  FReplaceEdit = new QLineEdit(this);
  FReplaceEdit->setObjectName(QStringLiteral("ReplaceEdit"));
  replaceLabel->setBuddy(FReplaceEdit);
  grid->addWidget(replaceLabel, 1, 0);
  grid->addWidget(FReplaceEdit, 1, 1);

  FReplace = new QPushButton(tr("&Replace"), this);
  FReplaceAll = new QPushButton(tr("Replace &All"), this);
  auto* buttons = static_cast<QVBoxLayout*>(grid->itemAtPosition(0, 2)->layout());
  buttons->insertWidget(1, FReplace);
  buttons->insertWidget(2, FReplaceAll);
  setTabOrder(FindEdit(), FReplaceEdit);

  connect(FReplace, &QPushButton::clicked, this, [this] {
    SetPressed(frReplace);
    emit Replace();
  });
  connect(FReplaceAll, &QPushButton::clicked, this, [this] {
    SetPressed(frReplaceAll);
    emit Replace();
  });
  UpdateButtons();
}

QString TReplaceDialog::ReplaceText() const { return FReplaceEdit->text(); }

void TReplaceDialog::SetReplaceText(const QString& text) { FReplaceEdit->setText(text); }

void TReplaceDialog::UpdateButtons() {
  TFindDialog::UpdateButtons();
  FReplace->setEnabled(!FindText().isEmpty());
  FReplaceAll->setEnabled(!FindText().isEmpty());
}
