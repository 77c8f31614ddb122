#include "CtrlMain.h"

#include <QApplication>
#include <QBitmap>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPixmap>
#include <QTimer>

#include "Application.h"
#include "CoKeltCoil.h"
#include "Dialogs.h"
#include "QzFields.h"
#include "QzFmtEdit.h"
#include "QzIniPad.h"
#include "QzRegistry.h"
#include "QzVerInfo.h"
#include "ui_CtrlMain.h"

std::string ExeDir;

namespace {
#include "res/notepad.xpm"

QPixmap NotepadGlyph() {
  QPixmap glyph(notepad_xpm);
  glyph.setMask(glyph.createMaskFromColor(QColor(0xFF, 0x00, 0xFF)));
  return glyph;
}

// The user's regional decimal separator, where the format engine can write it.
char RegionalDecimalSeparator() {
  const QString point = QLocale().decimalPoint();
  if (point.size() == 1 && point[0].unicode() < 0x80) return static_cast<char>(point[0].unicode());
  return '.';
}
}  // namespace

void EditKeyNavigate(QWidget* form, int& key) {
  QWidget* active = form->focusWidget();
  if (!qobject_cast<QLineEdit*>(active)) return;
  bool forward;
  switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Down: forward = true; break;
    case Qt::Key_Up: forward = false; break;
    default: return;
  }
  // The window's own next-control step: the tab chain across the whole window,
  // into and out of the panels, wrapping at the ends.
  QWidget* next = active;
  do {
    next = forward ? next->nextInFocusChain() : next->previousInFocusChain();
  } while (next != active &&
           !(next->window() == form && (next->focusPolicy() & Qt::TabFocus) && next->isEnabled() &&
             next->isVisibleTo(form)));
  if (next != active) next->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
  key = 0;
}

TControlForm::TControlForm(QWidget* parent, TIniPadForm* iniPad)
    : QWidget(parent), FUi(std::make_unique<Ui::TControlForm>()), FSweep(FCoil, LoopVars, *this), FIniPad(iniPad) {
  FUi->setupUi(this);
  move(275, 206);        // design position, until a stored placement says otherwise
  setFixedSize(size());  // single border: not resizable
  FUi->CoilModelEd->setStyleSheet(QStringLiteral("QLineEdit { background: palette(button); }"));
  FUi->OrderEd->setStyleSheet(QStringLiteral("QLineEdit { background: palette(button); }"));
  FUi->ViewBtn->setIcon(NotepadGlyph());

  FStatusLabel = new QLabel(FUi->StatusBar);
  FStatusLabel->setObjectName(QStringLiteral("StatusText"));
  FUi->StatusBar->addWidget(FStatusLabel, 1);

  connect(FUi->ConnectBtn, &QPushButton::clicked, this, &TControlForm::ConnectBtnClick);
  connect(FUi->DiscBtn, &QPushButton::clicked, this, &TControlForm::DiscBtnClick);
  connect(FUi->LoopBtn, &QPushButton::clicked, this, &TControlForm::LoopBtnClick);
  connect(FUi->ViewBtn, &QToolButton::clicked, this, &TControlForm::ViewBtnClick);
  connect(FUi->LoopList, &QListWidget::currentRowChanged, this, [this] { LoopListClick(); });
  connect(FUi->LoopList, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
    // Only a change of the tick counts; the toggled item becomes the selected
    // one first, as a click on its tick box selects it.
    const bool ticked = item->checkState() == Qt::Checked;
    if (item->data(Qt::UserRole).toBool() == ticked) return;
    item->setData(Qt::UserRole, ticked);
    if (FUi->LoopList->currentItem() != item) FUi->LoopList->setCurrentItem(item);
    LoopListClickCheck();
  });
  connect(FUi->StartEd, &TFmtEdit::Exit, this, &TControlForm::StartEdExit);
  connect(FUi->EndEd, &TFmtEdit::Exit, this, &TControlForm::EndEdExit);
  connect(FUi->CountEd, &TFmtEdit::Exit, this, &TControlForm::CountEdExit);

  // Key preview: the window sees key presses before the focused control.
  qApp->installEventFilter(this);

  // A failing creation step ends the sequence there; the window is still created.
  try {
    FormCreate();
  } catch (...) {
    TApplication::ShowException(std::current_exception());
  }
}

TControlForm::~TControlForm() {
  qApp->removeEventFilter(this);
  FormDestroy();
}

void TControlForm::FormCreate() {
  RestoreFormPlacement(this, false, true);
  const QString exeName = QCoreApplication::applicationFilePath();
  ExeDir = (QFileInfo(exeName).absolutePath() + QDir::separator()).toStdString();
  setWindowTitle(QString::fromLatin1(VersionCaption(exeName.toStdString())));
  FillLoopList();
  LoopListClick();
  FSweep.FCalcError = 0;
  SetStatusText(QStringLiteral("Ready..."));
}

void TControlForm::FormDestroy() { FCoil = nullptr; }

void TControlForm::FormClose() { SaveFormPlacement(this); }

void TControlForm::closeEvent(QCloseEvent* event) {
  if (FRunning) {
    // End the run the way a disconnect does (the next server call fails and the
    // file is closed), then close once the run has unwound.
    FCloseWhenRunEnds = true;
    FCoil = nullptr;
    event->ignore();
    return;
  }
  FormClose();
  QWidget::closeEvent(event);
}

// ---- connection ---------------------------------------------------------------

void TControlForm::ConnectBtnClick() {
  // A failed creation keeps the previous connection; a failed model read keeps
  // the new one and the model box's previous text.
  FCoil = CoKeltCoil::Create();
  TBStr model;
  OleCheck(FCoil->get_CoilModel(model.Put()));
  FUi->CoilModelEd->setText(QString::fromLatin1(model.ToString()));
}

void TControlForm::DiscBtnClick() {
  FCoil = nullptr;
  FUi->CoilModelEd->setText(QStringLiteral("Not connected..."));
}

// ---- loop list and the "Current" group ---------------------------------------

void TControlForm::FillLoopList() {
  QListWidget* list = FUi->LoopList;
  const QSignalBlocker block(list);
  list->clear();
  for (const TLoopVar& v : LoopVars) {
    auto* item = new QListWidgetItem(QString::fromLatin1(v.Name), list);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(v.Checked ? Qt::Checked : Qt::Unchecked);
    item->setData(Qt::UserRole, v.Checked);
  }
  list->setCurrentRow(0);
}

int TControlForm::CurrentLoopIndex() const { return FUi->LoopList->currentRow(); }

void TControlForm::ShowCurrentLoop() {
  const int index = CurrentLoopIndex();
  if (index < 0 || index >= LoopVarCount) return;
  const TLoopVar& v = LoopVars[index];
  FUi->StartEd->SetValue(v.Start);
  FUi->EndEd->SetValue(v.End);
  FUi->CountEd->SetValue(v.Count);
  FUi->OrderEd->SetValue(v.Order);
}

void TControlForm::LoopListClick() {
  if (QListWidgetItem* item = FUi->LoopList->currentItem()) FUi->GroupBox1->setTitle(item->text());
  ShowCurrentLoop();
}

void TControlForm::LoopListClickCheck() {
  const int index = CurrentLoopIndex();
  if (index < 0 || index >= LoopVarCount) return;
  ApplyTickRule(LoopVars, index, FUi->LoopList->item(index)->checkState() == Qt::Checked);
  ShowCurrentLoop();
  SetStatusText(QStringLiteral("Modified..."));
}

void TControlForm::StoreExitValue(double TLoopVar::*field, TFmtEdit* edit) {
  const int index = CurrentLoopIndex();
  const double value = edit->GetValue().AsDouble();  // a text that is no number raises here
  if (index < 0 || index >= LoopVarCount) return;
  LoopVars[index].*field = value;
  SetStatusText(QStringLiteral("Modified..."));
}

void TControlForm::StartEdExit() { StoreExitValue(&TLoopVar::Start, FUi->StartEd); }

void TControlForm::EndEdExit() { StoreExitValue(&TLoopVar::End, FUi->EndEd); }

void TControlForm::CountEdExit() {
  const int index = CurrentLoopIndex();
  const int32_t count = RoundToInt32(FUi->CountEd->GetValue().AsDouble());  // halves to even
  if (index < 0 || index >= LoopVarCount) return;
  LoopVars[index].Count = count;
  SetStatusText(QStringLiteral("Modified..."));
}

// ---- the sweep ----------------------------------------------------------------

std::string TControlForm::ResultsPath() const {
  return ResultsFilePath(ExeDir, FUi->DataFileNameEd->text().toStdString());
}

void TControlForm::SetRunning(bool running) {
  // While a run processes events, nothing that feeds it may change: the file
  // name, the table, the connection. Disconnect and the view button stay live.
  FRunning = running;
  if (running) {
    // Disabling the focused Loop button would hand the focus to Disconnect, where
    // one more key press would end the run: the form holds it meanwhile.
    FFocusBeforeRun = focusWidget();
    setFocus(Qt::OtherFocusReason);
  }
  for (QWidget* w : std::initializer_list<QWidget*>{FUi->LoopBtn, FUi->ConnectBtn, FUi->LoopList, FUi->StartEd,
                                                    FUi->EndEd, FUi->CountEd, FUi->OrderEd, FUi->DataFileNameEd})
    w->setEnabled(!running);
  if (!running && FFocusBeforeRun && FFocusBeforeRun->isEnabled()) FFocusBeforeRun->setFocus(Qt::OtherFocusReason);
}

void TControlForm::LoopBtnClick() {
  if (FRunning) return;
  FSweep.FCalcError = 0;
  if (!FCoil) {
    Dialogs::MessageBox(QStringLiteral("Not Connected..."), Dialogs::TMsgKind::mkWarning,
                        Dialogs::TMsgButtons::mbOK, this);
    return;
  }
  std::array<bool, LoopVarCount> ticked{};
  for (int i = 0; i < LoopVarCount && i < FUi->LoopList->count(); ++i)
    ticked[i] = FUi->LoopList->item(i)->checkState() == Qt::Checked;

  SetRunning(true);
  bool failed = false;
  int32_t points = 0;
  try {
    points = FSweep.Run(ticked, ResultsPath(), RegionalDecimalSeparator());
  } catch (...) {
    failed = true;
  }
  SetRunning(false);

  if (failed) {
    if (!FCloseWhenRunEnds)
      Dialogs::MessageBox(QStringLiteral("Data file or connection error..."), Dialogs::TMsgKind::mkError,
                          Dialogs::TMsgButtons::mbOK, this);
    SetStatusText(QStringLiteral("Error..."));
  } else if (FSweep.FCalcError == 0) {
    SetStatusText(QString::fromLatin1(Format("Ready... (%d Points)", points)));
  } else {
    SetStatusText(QStringLiteral("Calculation error..."));
  }
  if (FCloseWhenRunEnds) {
    FCloseWhenRunEnds = false;
    QTimer::singleShot(0, this, &QWidget::close);
  }
}

void TControlForm::ShowCoilModel(const std::string& model) {
  FUi->CoilModelEd->setText(QString::fromLatin1(model));
}

void TControlForm::BeginProgress(int32_t pointCount) {
  FUi->ProgressBar->setRange(0, pointCount);
  FUi->ProgressBar->setValue(0);
}

void TControlForm::ShowStatus(const std::string& text) { SetStatusText(QString::fromLatin1(text)); }

void TControlForm::StepProgress() { FUi->ProgressBar->setValue(FUi->ProgressBar->value() + 1); }

void TControlForm::ProcessMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void TControlForm::ResetProgress() { FUi->ProgressBar->setValue(0); }

// ---- results view ---------------------------------------------------------------

void TControlForm::ViewBtnClick() {
  const QString path = QString::fromStdString(ResultsPath());
  if (!QFileInfo(path).isFile()) {
    // The path goes on the line below the message.
    Dialogs::MessageBox(QStringLiteral("File not found...\n") + path, Dialogs::TMsgKind::mkWarning,
                        Dialogs::TMsgButtons::mbOK, this);
    return;
  }
  if (!FIniPad) return;
  FIniPad->FileName = path;
  FIniPad->LoadFile();
  // A save during a run would replace the file that the run still writes.
  FIniPad->SetReadOnly(FRunning);
  FIniPad->ShowModal();
}

// ---- status line and key preview --------------------------------------------------

void TControlForm::FormKeyDown(int& key) { EditKeyNavigate(this, key); }

QString TControlForm::StatusText() const { return FStatusLabel->text(); }

void TControlForm::SetStatusText(const QString& text) {
  FStatusLabel->setText(text);
  FUi->StatusBar->setAccessibleName(text);
}

bool TControlForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget && widget->window() == this && widget == focusWidget()) {
      int key = static_cast<QKeyEvent*>(event)->key();
      FormKeyDown(key);
      if (key == 0) return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}
