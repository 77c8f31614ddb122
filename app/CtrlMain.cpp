#include "CtrlMain.h"

#include <QApplication>
#include <QBitmap>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>

#include "Application.h"
#include "CoKeltCoil.h"
#include "ui_CtrlMain.h"

std::string ExeDir;

namespace {
#include "res/notepad.xpm"

QPixmap NotepadGlyph() {
  QPixmap glyph(notepad_xpm);
  glyph.setMask(glyph.createMaskFromColor(QColor(0xFF, 0x00, 0xFF)));
  return glyph;
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

TControlForm::TControlForm(QWidget* parent) : QWidget(parent), FUi(std::make_unique<Ui::TControlForm>()) {
  FUi->setupUi(this);
  move(275, 206);        // design position, until a stored placement says otherwise
  setFixedSize(size());  // single border: not resizable
  FUi->CoilModelEd->setBackgroundRole(QPalette::Button);
  FUi->CoilModelEd->setStyleSheet(QStringLiteral("QLineEdit { background: palette(button); }"));
  FUi->ViewBtn->setIcon(NotepadGlyph());

  FStatusLabel = new QLabel(FUi->StatusBar);
  FStatusLabel->setObjectName(QStringLiteral("StatusText"));
  FUi->StatusBar->addWidget(FStatusLabel, 1);

  connect(FUi->ConnectBtn, &QPushButton::clicked, this, &TControlForm::ConnectBtnClick);
  connect(FUi->DiscBtn, &QPushButton::clicked, this, &TControlForm::DiscBtnClick);

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
  ExeDir = QDir::toNativeSeparators(QCoreApplication::applicationDirPath() + QDir::separator()).toStdString();
  SetStatusText(QStringLiteral("Ready..."));
}

void TControlForm::FormDestroy() { FCoil = nullptr; }

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
