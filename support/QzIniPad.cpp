#include "QzIniPad.h"

#include <QApplication>
#include <QCloseEvent>
#include <QColorDialog>
#include <QDesktopServices>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QPrintDialog>
#include <QSaveFile>
#include <QShortcut>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>
#include <Qsci/qscilexerproperties.h>
#include <Qsci/qscimacro.h>
#include <Qsci/qsciprinter.h>
#include <Qsci/qsciscintilla.h>

#include "Dialogs.h"
#include "QzRegistry.h"
#include "QzVerInfo.h"
#include "ui_QzIniPad.h"

const QString TIniPadForm::DialogFilter = QStringLiteral("Text Files (*.ini *.txt)");

namespace {

using Sci = QsciScintillaBase;

// The design's sizes are pixels at 96 dots per inch; fonts here take points.
constexpr double PixelsToPoints(int pixels) { return pixels * 72.0 / 96.0; }

QFont DesignFont(const QString& family, int pixels, QFont::StyleHint hint) {
  QFont font(family);
  font.setStyleHint(hint);
  font.setPointSizeF(PixelsToPoints(pixels));
  return font;
}

// The default error report: a message box with the error's text.
void ShowError(const std::exception& error) {
  Dialogs::MessageBox(QStringFromWindows1252(error.what()), Dialogs::TMsgKind::mkError);
}

// Errors of a handler that Qt calls are reported here: they must not unwind
// through Qt's own frames.
template <class F>
void Guarded(F&& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    ShowError(error);
  }
}

QString FolderOf(const QString& path) { return path.isEmpty() ? QString() : QFileInfo(path).absolutePath(); }

std::string FileText(const QString& fileName) { return "\"" + QStringToWindows1252(fileName) + "\""; }

// Small pictures of our own for the tool bar, the menus and the window.
enum class TImage { New, Open, Save, Cut, Copy, Paste, Window };

void DrawPage(QPainter& p, const QRectF& r) {
  QPainterPath page;
  const double fold = r.width() / 3;
  page.moveTo(r.left(), r.top());
  page.lineTo(r.right() - fold, r.top());
  page.lineTo(r.right(), r.top() + fold);
  page.lineTo(r.right(), r.bottom());
  page.lineTo(r.left(), r.bottom());
  page.closeSubpath();
  p.setBrush(Qt::white);
  p.drawPath(page);
  p.drawLine(QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold));
  p.drawLine(QPointF(r.right() - fold, r.top() + fold), QPointF(r.right(), r.top() + fold));
}

void DrawTextLines(QPainter& p, const QRectF& r, int count) {
  p.save();
  p.setPen(QPen(QColor(90, 110, 140), 1));
  for (int i = 0; i < count; ++i) {
    const double y = r.top() + (i + 1) * r.height() / (count + 1);
    p.drawLine(QPointF(r.left(), y), QPointF(r.right() - (i % 2) * r.width() / 3, y));
  }
  p.restore();
}

QIcon MakeImage(TImage kind) {
  QPixmap pixmap(24, 24);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(40, 40, 40), 1.2));
  switch (kind) {
    case TImage::New:
      DrawPage(p, QRectF(5, 2, 14, 19));
      p.setPen(QPen(QColor(230, 170, 0), 2));
      p.drawLine(QPointF(17, 14), QPointF(17, 22));
      p.drawLine(QPointF(13, 18), QPointF(21, 18));
      break;
    case TImage::Open:
      p.setBrush(QColor(240, 200, 90));
      p.drawRect(QRectF(2, 7, 17, 13));
      p.drawRect(QRectF(2, 5, 7, 2));
      p.setBrush(QColor(250, 225, 140));
      p.drawPolygon(QPolygonF({QPointF(5, 11), QPointF(22, 11), QPointF(19, 20), QPointF(2, 20)}));
      break;
    case TImage::Save:
      p.setBrush(QColor(60, 90, 170));
      p.drawRoundedRect(QRectF(3, 3, 18, 18), 2, 2);
      p.setBrush(Qt::white);
      p.drawRect(QRectF(6, 3, 12, 7));
      p.setBrush(QColor(200, 200, 200));
      p.drawRect(QRectF(7, 14, 10, 7));
      break;
    case TImage::Cut:
      p.setPen(QPen(QColor(40, 40, 40), 1.6));
      p.drawLine(QPointF(7, 2), QPointF(15, 15));
      p.drawLine(QPointF(17, 2), QPointF(9, 15));
      p.setBrush(Qt::NoBrush);
      p.setPen(QPen(QColor(190, 30, 30), 2));
      p.drawEllipse(QPointF(7.5, 18), 3.5, 3.5);
      p.drawEllipse(QPointF(16.5, 18), 3.5, 3.5);
      break;
    case TImage::Copy:
      DrawPage(p, QRectF(2, 2, 12, 15));
      DrawPage(p, QRectF(9, 7, 12, 15));
      DrawTextLines(p, QRectF(11, 12, 8, 8), 3);
      break;
    case TImage::Paste:
      p.setBrush(QColor(170, 120, 60));
      p.drawRoundedRect(QRectF(3, 4, 15, 18), 2, 2);
      p.setBrush(QColor(200, 200, 200));
      p.drawRect(QRectF(7, 2, 7, 4));
      DrawPage(p, QRectF(10, 9, 12, 14));
      DrawTextLines(p, QRectF(12, 13, 8, 8), 3);
      break;
    case TImage::Window:
      // a spiral notepad with a green cover
      p.setBrush(QColor(40, 150, 70));
      p.drawRoundedRect(QRectF(3, 4, 18, 19), 2, 2);
      p.setBrush(Qt::white);
      p.drawRect(QRectF(6, 8, 13, 12));
      DrawTextLines(p, QRectF(7, 8, 11, 12), 4);
      p.setBrush(Qt::NoBrush);
      p.setPen(QPen(QColor(150, 150, 150), 1.4));
      for (int x = 6; x <= 18; x += 4) p.drawEllipse(QPointF(x, 4), 1.5, 2.5);
      break;
  }
  return QIcon(pixmap);
}

// A bookmark's picture: its number on a small flag.
QPixmap BookmarkImage(int number) {
  QPixmap pixmap(14, 14);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QColor(20, 60, 120));
  p.setBrush(QColor(90, 150, 230));
  p.drawRoundedRect(QRectF(0.5, 0.5, 13, 13), 2, 2);
  QFont font = DesignFont(QStringLiteral("Liberation Sans"), 11, QFont::SansSerif);
  font.setBold(true);
  p.setFont(font);
  p.setPen(Qt::white);
  p.drawText(QRect(0, 0, 14, 14), Qt::AlignCenter, QString::number(number));
  return pixmap;
}

int EolModeOf(TLineEnds lineEnds) {
  switch (lineEnds) {
    case TLineEnds::leCrLf: return Sci::SC_EOL_CRLF;
    case TLineEnds::leCr: return Sci::SC_EOL_CR;
    case TLineEnds::leLf: break;
  }
  return Sci::SC_EOL_LF;
}

// Print layout, in millimetres of the paper.
constexpr double MarginLeft = 25, MarginRight = 15, MarginTop = 25, MarginBottom = 25;
constexpr double HeaderMargin = 15, FooterMargin = 15, HeaderIndent = 2, HeaderInnerMargin = 0.5;

}  // namespace

int SearchReplace(QsciScintilla* editor, const QString& search, const QString& replace, TSearchOptions options) {
  if (search.isEmpty()) return 0;
  const QByteArray what = search.toUtf8();
  const QByteArray with = replace.toUtf8();
  const bool backwards = options & soBackwards;
  editor->SendScintilla(Sci::SCI_SETSEARCHFLAGS, (options & soMatchCase ? Sci::SCFIND_MATCHCASE : 0) |
                                                     (options & soWholeWord ? Sci::SCFIND_WHOLEWORD : 0));
  // A backward search has its target run from the caret down to the start.
  auto findFrom = [&](long from) {
    editor->SendScintilla(Sci::SCI_SETTARGETSTART, from);
    editor->SendScintilla(Sci::SCI_SETTARGETEND, backwards ? 0L : editor->SendScintilla(Sci::SCI_GETLENGTH));
    return editor->SendScintilla(Sci::SCI_SEARCHINTARGET, static_cast<uintptr_t>(what.size()), what.constData());
  };
  auto targetStart = [&] { return editor->SendScintilla(Sci::SCI_GETTARGETSTART); };
  auto targetEnd = [&] { return editor->SendScintilla(Sci::SCI_GETTARGETEND); };
  auto replaceTarget = [&] {
    editor->SendScintilla(Sci::SCI_REPLACETARGET, static_cast<uintptr_t>(with.size()), with.constData());
  };

  if (findFrom(editor->SendScintilla(Sci::SCI_GETCURRENTPOS)) < 0) return 0;
  if (options & soReplaceAll) {
    int count = 0;
    long caret = 0;
    editor->beginUndoAction();
    do {
      replaceTarget();
      ++count;
      caret = backwards ? targetStart() : targetEnd();
    } while (findFrom(caret) >= 0);
    editor->endUndoAction();
    editor->SendScintilla(Sci::SCI_GOTOPOS, caret);
    return count;
  }
  if (options & soReplace) {
    replaceTarget();
    editor->SendScintilla(Sci::SCI_GOTOPOS, backwards ? targetStart() : targetEnd());
  } else if (backwards) {
    editor->SendScintilla(Sci::SCI_SETSEL, targetEnd(), targetStart());
  } else {
    editor->SendScintilla(Sci::SCI_SETSEL, targetStart(), targetEnd());
  }
  return 1;
}

int TextLineCount(QsciScintilla* editor) {
  const long length = editor->SendScintilla(Sci::SCI_GETLENGTH);
  if (length == 0) return 0;
  const long lines = editor->SendScintilla(Sci::SCI_GETLINECOUNT);
  const long last = editor->SendScintilla(Sci::SCI_GETCHARAT, length - 1);
  return static_cast<int>(last == '\n' || last == '\r' ? lines - 1 : lines);
}

QString CommandLineFileName(const QStringList& arguments) {
  const QString joined = arguments.join(QLatin1Char(' '));
  if (joined.isEmpty()) return QString();
  return QDir::cleanPath(QFileInfo(joined).absoluteFilePath());
}

QString CommandLineFileName() { return CommandLineFileName(QCoreApplication::arguments().mid(1)); }

TIniPadStartup TIniPadStartup::OfProgram() {
  return {QCoreApplication::applicationFilePath(), QCoreApplication::arguments().mid(1)};
}

TIniPadForm::TIniPadForm(QWidget* parent) : TIniPadForm(TIniPadStartup::OfProgram(), parent) {}

TIniPadForm::TIniPadForm(const TIniPadStartup& startup, QWidget* parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::TIniPadForm>()) {
  ui->setupUi(this);
  move(294, 205);  // design position, until a stored placement says otherwise
  setWindowIcon(MakeImage(TImage::Window));

  FStatusPanel0 = new QLabel(tr("Ready.."), this);
  FStatusPanel0->setObjectName(QStringLiteral("StatusPanel0"));
  FStatusPanel0->setFixedWidth(120);
  FStatusPanel1 = new QLabel(this);
  FStatusPanel1->setObjectName(QStringLiteral("StatusPanel1"));
  FStatusPanel1->setFixedWidth(50);
  for (QLabel* panel : {FStatusPanel0, FStatusPanel1}) {
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    statusBar()->addWidget(panel);
  }

  FFindDialog = new TFindDialog(this);
  FFindDialog->SetOptions(frDown);
  FReplaceDialog = new TReplaceDialog(this);
  FReplaceDialog->SetOptions(frDown | frFindNext);

  SetupEditor();
  SetupPrinter();
  SetupActions();

  try {
    FormCreate(startup);
  } catch (const std::exception& error) {
    ShowError(error);
  }
}

TIniPadForm::~TIniPadForm() = default;

QsciScintilla* TIniPadForm::SynEdit1() const { return ui->SynEdit1; }

void TIniPadForm::SetupEditor() {
  QsciScintilla* editor = ui->SynEdit1;
  editor->setUtf8(true);

  FHighlighter = new QsciLexerProperties(this);
  const QFont font = DesignFont(QStringLiteral("Liberation Mono"), 13, QFont::Monospace);
  FHighlighter->setDefaultFont(font);
  FHighlighter->setFont(font, -1);
  FHighlighter->setDefaultPaper(Qt::white);
  FHighlighter->setPaper(Qt::white, -1);
  FHighlighter->setColor(Qt::white, QsciLexerProperties::Section);
  FHighlighter->setPaper(QColor(0, 128, 255), QsciLexerProperties::Section);
  FHighlighter->setColor(QColor(128, 0, 0), QsciLexerProperties::Key);
  // The text after the assignment is the value; it carries the lexer's default style.
  FHighlighter->setColor(QColor(0, 115, 170), QsciLexerProperties::Default);
  editor->setLexer(FHighlighter);

  editor->setAutoIndent(true);
  editor->setIndentationsUseTabs(false);
  editor->setTabWidth(8);
  editor->setTabIndents(true);
  editor->setBackspaceUnindents(true);
  editor->SendScintilla(Sci::SCI_SETVIRTUALSPACEOPTIONS,
                        Sci::SCVS_USERACCESSIBLE | Sci::SCVS_RECTANGULARSELECTION);
  editor->SendScintilla(Sci::SCI_SETRECTANGULARSELECTIONMODIFIER, Sci::SCMOD_ALT);
  editor->SendScintilla(Sci::SCI_SETSCROLLWIDTHTRACKING, 1L);
  editor->setCaretLineVisible(false);
  // Trailing blanks of a line go when a line break ends it.
  connect(editor, &QsciScintillaBase::SCN_CHARADDED, this, [editor](int ch) {
    if (ch != '\n' && ch != '\r') return;
    int line = 0, index = 0;
    editor->getCursorPosition(&line, &index);
    if (line == 0) return;
    const long start = editor->SendScintilla(Sci::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line - 1));
    const long end = editor->SendScintilla(Sci::SCI_GETLINEENDPOSITION, static_cast<unsigned long>(line - 1));
    long trimmed = end;
    while (trimmed > start) {
      const long ch2 = editor->SendScintilla(Sci::SCI_GETCHARAT, static_cast<unsigned long>(trimmed - 1));
      if (ch2 != ' ' && ch2 != '\t') break;
      --trimmed;
    }
    if (trimmed < end) {
      editor->SendScintilla(Sci::SCI_DELETERANGE, static_cast<unsigned long>(trimmed), end - trimmed);
    }
  });

  // Margin 0: line numbers, hidden at start; margin 1: bookmarks and marks.
  editor->setMarginsFont(DesignFont(QStringLiteral("Liberation Mono"), 11, QFont::Monospace));
  editor->setMarginLineNumbers(0, true);
  editor->setMarginWidth(0, 0);
  editor->setMarginWidth(1, 18);
  editor->setMarginSensitivity(0, true);
  editor->setMarginSensitivity(1, true);
  for (int number = 0; number < BookmarkCount; ++number) editor->markerDefine(BookmarkImage(number), number);
  editor->markerDefine(QsciScintilla::Circle, BookmarkCount);
  connect(editor, &QsciScintilla::marginClicked, this,
          [this](int, int line, Qt::KeyboardModifiers) { Guarded([&] { SynEdit1GutterClick(line); }); });
  connect(editor, &QsciScintilla::linesChanged, this, [this] {
    if (ui->LineNumbers1->isChecked()) ShowLineNumbers(true);
  });

  FMacroRecorder = new QsciMacro(editor);

  // Files dropped on the text are opened; dropped text is left to the editor.
  editor->viewport()->installEventFilter(this);
}

void TIniPadForm::SetupPrinter() {
  FPrinter = std::make_unique<QsciPrinter>(QPrinter::HighResolution);
  FPrinter->setCopyCount(1);
  // The margins, header and footer are laid out on the whole sheet.
  FPrinter->setFullPage(true);
  FPrinter->setWrapMode(QsciScintilla::WrapWord);
}

void TIniPadForm::SetupActions() {
  QsciScintilla* editor = ui->SynEdit1;
  auto bind = [this](QAction* action, void (TIniPadForm::*handler)()) {
    connect(action, &QAction::triggered, this, [this, handler] { Guarded([&] { (this->*handler)(); }); });
  };
  bind(ui->FileOpen1, &TIniPadForm::FileOpen1Execute);
  bind(ui->FileSave1, &TIniPadForm::FileSave1Execute);
  bind(ui->FileSaveAs1, &TIniPadForm::FileSaveAs1Execute);
  bind(ui->FilePrintSetup1, &TIniPadForm::FilePrintSetup1Execute);
  connect(ui->FilePrint1, &QAction::triggered, this, [this] { Guarded([&] { FilePrint1Execute(); }); });
  bind(ui->FileNew1, &TIniPadForm::FileNew1Execute);
  bind(ui->Exit1, &TIniPadForm::Exit1Click);
  bind(ui->SearchFind, &TIniPadForm::SearchFindExecute);
  bind(ui->SearchReplace, &TIniPadForm::SearchReplaceExecute);
  bind(ui->Statistics1, &TIniPadForm::Statistics1Click);
  bind(ui->ColorSelect1, &TIniPadForm::ColorSelect1Execute);
  bind(ui->BrowseURL1, &TIniPadForm::BrowseURL1Execute);
  // The menu item checks and unchecks itself; LineNumbers1Click does the same.
  connect(ui->LineNumbers1, &QAction::toggled, this, &TIniPadForm::ShowLineNumbers);

  connect(ui->EditCut1, &QAction::triggered, editor, &QsciScintilla::cut);
  connect(ui->EditCopy1, &QAction::triggered, editor, &QsciScintilla::copy);
  connect(ui->EditPaste1, &QAction::triggered, editor, &QsciScintilla::paste);
  connect(ui->EditSelectAll1, &QAction::triggered, editor, [editor] { editor->selectAll(true); });
  connect(ui->EditUndo1, &QAction::triggered, editor, &QsciScintilla::undo);
  ui->EditCut1->setEnabled(false);
  ui->EditCopy1->setEnabled(false);
  connect(editor, &QsciScintilla::copyAvailable, ui->EditCut1, &QAction::setEnabled);
  connect(editor, &QsciScintilla::copyAvailable, ui->EditCopy1, &QAction::setEnabled);

  ui->FileNew1->setIcon(MakeImage(TImage::New));
  ui->FileOpen1->setIcon(MakeImage(TImage::Open));
  ui->FileSave1->setIcon(MakeImage(TImage::Save));
  ui->EditCut1->setIcon(MakeImage(TImage::Cut));
  ui->EditCopy1->setIcon(MakeImage(TImage::Copy));
  ui->EditPaste1->setIcon(MakeImage(TImage::Paste));
  for (QAction* action : ui->ToolBar1->actions())
    if (QWidget* button = ui->ToolBar1->widgetForAction(action); button && !action->isSeparator())
      button->setFixedWidth(32);

  connect(FFindDialog, &TFindDialog::Find, this, [this] { Guarded([&] { FindDialog1Find(); }); });
  connect(FReplaceDialog, &TFindDialog::Find, this, [this] { Guarded([&] { ReplaceDialog1Find(); }); });
  connect(FReplaceDialog, &TReplaceDialog::Replace, this, [this] { Guarded([&] { ReplaceDialog1Replace(); }); });

  // Keys of the editor that no menu shows.
  auto key = [this, editor](QKeyCombination keys, auto handler) {
    auto* shortcut = new QShortcut(QKeySequence(keys), editor);
    shortcut->setContext(Qt::WidgetWithChildrenShortcut);
    connect(shortcut, &QShortcut::activated, this, [handler] { Guarded(handler); });
  };
  key(Qt::CTRL | Qt::SHIFT | Qt::Key_R, [this] { ToggleMacroRecording(); });
  key(Qt::CTRL | Qt::SHIFT | Qt::Key_P, [this] { PlayMacro(); });
  for (int number = 0; number < BookmarkCount; ++number) {
    const auto digit = static_cast<Qt::Key>(Qt::Key_0 + number);
    key(Qt::CTRL | Qt::SHIFT | digit, [this, number] { ToggleBookmark(number); });
    key(Qt::CTRL | digit, [this, number] { GotoBookmark(number); });
  }
}

void TIniPadForm::FormCreate(const TIniPadStartup& startup) {
  RestoreFormPlacement(this, false, true);
  setWindowTitle(QStringFromWindows1252(VersionCaption(QFile::encodeName(startup.ExeName).toStdString())));
  // Qt windows have a sizeable border unless told otherwise: nothing to do.
  connect(ui->SynEdit1, &QsciScintilla::textChanged, this, &TIniPadForm::EditorChange);
  OpenDialog.InitialDir = FolderOf(startup.ExeName);
  SaveDialog.InitialDir = OpenDialog.InitialDir;
  FBrowseUrl = QStringFromWindows1252(CompanyInfo().web);
  FileName = CommandLineFileName(startup.Arguments);
  LoadFile();
}

void TIniPadForm::SetEditorText(const QByteArray& utf8) {
  QsciScintilla* editor = ui->SynEdit1;
  editor->SendScintilla(Sci::SCI_SETUNDOCOLLECTION, 0L);
  editor->SendScintilla(Sci::SCI_SETTEXT, utf8.constData());
  editor->SendScintilla(Sci::SCI_SETUNDOCOLLECTION, 1L);
  editor->SendScintilla(Sci::SCI_EMPTYUNDOBUFFER);
  editor->SendScintilla(Sci::SCI_GOTOPOS, 0L);
}

QByteArray TIniPadForm::EditorText() const {
  QsciScintilla* editor = ui->SynEdit1;
  const long length = editor->SendScintilla(Sci::SCI_GETLENGTH);
  const auto* text = static_cast<const char*>(editor->SendScintillaPtrResult(Sci::SCI_GETCHARACTERPOINTER));
  return QByteArray(text, length);
}

void TIniPadForm::LoadFile() {
  // Folders and devices are no files to load.
  if (FileName.isEmpty() || !QFileInfo(FileName).isFile()) return;
  QFile file(FileName);
  if (!file.open(QIODevice::ReadOnly))
    throw EFileError("Cannot open file " + FileText(FileName) + ". " + QStringToWindows1252(file.errorString()));
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError)
    throw EFileError("Cannot read file " + FileText(FileName) + ". " + QStringToWindows1252(file.errorString()));
  TTextFormat format;
  const QByteArray text = DecodeTextFile(bytes, FileName, format);

  SetEditorText(text);
  FTextFormat = format;
  ui->SynEdit1->SendScintilla(Sci::SCI_SETEOLMODE, EolModeOf(format.LineEnds));
  setWindowTitle(FileName);
  SetModified(false);
}

void TIniPadForm::SaveFile() {
  const QByteArray bytes = EncodeTextFile(EditorText(), FileName, FTextFormat);
  // Written beside the file and renamed over it only when complete, so a
  // failing write leaves the old file as it was.
  QSaveFile file(FileName);
  if (!file.open(QIODevice::WriteOnly))
    throw EFileError("Cannot create file " + FileText(FileName) + ". " + QStringToWindows1252(file.errorString()));
  if (file.write(bytes) != bytes.size() || !file.commit())
    throw EFileError("Cannot write file " + FileText(FileName) + ". " + QStringToWindows1252(file.errorString()));
  setWindowTitle(FileName);
  SetModified(false);
}

void TIniPadForm::SetModified(bool value) {
  Modified = value;
  FStatusPanel0->setText(value ? tr("Modified...") : tr("Ready..."));
}

void TIniPadForm::SetReadOnly(bool readOnly) {
  ui->SynEdit1->setReadOnly(readOnly);
  for (QAction* action : {ui->FileNew1, ui->FileSave1, ui->FileSaveAs1}) action->setEnabled(!readOnly);
}

bool TIniPadForm::QuerySave() {
  if (!Modified) return true;
  QString name = QFileInfo(FileName).fileName();
  if (name.isEmpty()) name = QStringLiteral("File");
  switch (Dialogs::MessageBox(name + QStringLiteral(" not saved.\nSave now?"), Dialogs::TMsgKind::mkConfirmation,
                              Dialogs::TMsgButtons::mbYesNoCancel, this)) {
    case Dialogs::TMsgResult::mrYes:
      FileSave1Execute();
      // Without a file name, Save asks for one; cancelling that saves nothing.
      return !Modified;
    case Dialogs::TMsgResult::mrNo: return true;
    default: return false;
  }
}

void TIniPadForm::EditorChange() { SetModified(true); }

TSearchOptions TIniPadForm::SearchOptionsOf(const TFindDialog& dialog) {
  const TFindOptions options = dialog.Options();
  TSearchOptions result = 0;
  if (!(options & frDown)) result |= soBackwards;
  if (options & frMatchCase) result |= soMatchCase;
  if (options & frWholeWord) result |= soWholeWord;
  if (options & frReplace) result |= soReplace;
  if (options & frReplaceAll) result |= soReplaceAll;
  return result;
}

TModalResult TIniPadForm::ShowModal() {
  FModalResult = TModalResult::mrNone;
  setWindowModality(Qt::ApplicationModal);
  show();
  raise();
  activateWindow();
  ui->SynEdit1->setFocus();
  QEventLoop loop;
  FModalLoop = &loop;
  if (isVisible()) loop.exec(QEventLoop::DialogExec);
  FModalLoop = nullptr;
  return FModalResult;
}

void TIniPadForm::FormCloseQuery(bool& canClose) {
  canClose = QuerySave();
  if (!canClose) return;
  // A settings store that cannot be written must not keep the window (and
  // with it the whole program) from closing: report it and close.
  try {
    SaveFormPlacement(this);
  } catch (const std::exception& error) {
    ShowError(error);
  }
  FModalResult = TModalResult::mrOk;
}

void TIniPadForm::closeEvent(QCloseEvent* event) {
  bool canClose = false;
  try {
    FormCloseQuery(canClose);
  } catch (const std::exception& error) {
    canClose = false;
    ShowError(error);
  }
  if (canClose)
    event->accept();
  else
    event->ignore();
}

void TIniPadForm::hideEvent(QHideEvent* event) {
  QMainWindow::hideEvent(event);
  if (event->spontaneous()) return;  // minimised, not closed
  FFindDialog->hide();
  FReplaceDialog->hide();
  if (FModalLoop) FModalLoop->quit();
}

bool TIniPadForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ui->SynEdit1->viewport()) {
    auto localFiles = [](const QMimeData* data) {
      QStringList files;
      if (data && data->hasUrls())
        for (const QUrl& url : data->urls())
          if (url.isLocalFile()) files << url.toLocalFile();
      return files;
    };
    switch (event->type()) {
      case QEvent::DragEnter:
      case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (localFiles(drag->mimeData()).isEmpty()) break;
        drag->acceptProposedAction();
        return true;
      }
      case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QStringList files = localFiles(drop->mimeData());
        if (files.isEmpty()) break;
        drop->acceptProposedAction();
        Guarded([&] { SynEdit1DropFiles(files); });
        return true;
      }
      default: break;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void TIniPadForm::Exit1Click() { close(); }

void TIniPadForm::FileOpen1BeforeExecute() {
  OpenDialog.FileName = FileName;
  OpenDialog.InitialDir = FolderOf(FileName);
}

void TIniPadForm::FileOpen1Accept(const QString& path) {
  if (!QuerySave()) return;
  FileName = path;
  OpenDialog.InitialDir = FolderOf(path);
  SaveDialog.FileName = FileName;
  LoadFile();
}

void TIniPadForm::FileSave1Execute() {
  if (FileName.isEmpty())
    FileSaveAs1Execute();
  else
    SaveFile();
}

void TIniPadForm::FileSaveAs1BeforeExecute() {
  SaveDialog.FileName = FileName;
  SaveDialog.InitialDir = FolderOf(FileName);
}

void TIniPadForm::FileSaveAs1Accept(const QString& path) {
  const QString previous = FileName;
  FileName = path;
  SaveDialog.InitialDir = FolderOf(path);
  try {
    SaveFile();
  } catch (...) {
    // Nothing was written there: later saves go where the text came from.
    FileName = previous;
    throw;
  }
}

int TIniPadForm::FilePrint1Execute() {
  QsciScintilla* editor = ui->SynEdit1;
  QsciPrinter& printer = *FPrinter;
  if (printer.outputFormat() == QPrinter::PdfFormat && printer.outputFileName().isEmpty())
    throw Exception("Cannot print: no printer is installed. Choose one, or a file, in Print Setup.");
  QPainter painter;
  if (!painter.begin(&printer)) throw Exception("Cannot print: the printer cannot be opened.");

  const double dotsPerMm = printer.resolution() / 25.4;
  auto mm = [dotsPerMm](double millimetres) { return static_cast<int>(millimetres * dotsPerMm + 0.5); };
  const QRect sheet = printer.paperRect(QPrinter::DevicePixel).toRect();
  const QRect body(mm(MarginLeft), mm(MarginTop), sheet.width() - mm(MarginLeft + MarginRight),
                   sheet.height() - mm(MarginTop + MarginBottom));
  const QFont headerFont = DesignFont(QStringLiteral("Liberation Sans"), 13, QFont::SansSerif);

  editor->SendScintilla(Sci::SCI_SETPRINTCOLOURMODE, Sci::SC_PRINT_COLOURONWHITE);
  editor->SendScintilla(Sci::SCI_SETPRINTWRAPMODE, Sci::SC_WRAP_WORD);
  editor->SendScintilla(Sci::SCI_SETPRINTMAGNIFICATION, 0L);
  const long length = editor->SendScintilla(Sci::SCI_GETLENGTH);
  auto formatPage = [&](bool draw, long from) {
    return editor->SendScintilla(Sci::SCI_FORMATRANGE, draw ? 1UL : 0UL, &painter, body, from, length);
  };

  // Measure first, so that every page can say how many there are.
  int pages = 0;
  for (long position = 0;;) {
    ++pages;
    const long next = formatPage(false, position);
    if (next >= length || next <= position) break;
    position = next;
  }

  painter.setFont(headerFont);
  const int textHeight = painter.fontMetrics().height();
  const int indent = mm(HeaderIndent);
  const QRect header(body.left() + indent, mm(HeaderMargin), body.width() - 2 * indent, textHeight);
  const QRect footer(body.left() + indent, sheet.height() - mm(FooterMargin) - textHeight, body.width() - 2 * indent,
                     textHeight);
  long position = 0;
  for (int page = 1; page <= pages; ++page) {
    if (page > 1 && !printer.newPage()) throw Exception("Cannot print: the printer refused a new page.");
    painter.setFont(headerFont);
    painter.setPen(Qt::black);
    painter.drawText(header, Qt::AlignLeft | Qt::AlignVCenter, FileName);
    painter.drawLine(header.left(), header.bottom() + mm(HeaderInnerMargin), header.right(),
                     header.bottom() + mm(HeaderInnerMargin));
    painter.drawLine(footer.left(), footer.top() - mm(HeaderInnerMargin), footer.right(),
                     footer.top() - mm(HeaderInnerMargin));
    painter.drawText(footer, Qt::AlignRight | Qt::AlignVCenter, tr("Page %1 of %2").arg(page).arg(pages));
    position = formatPage(true, position);
  }
  if (!painter.end()) throw Exception("Cannot print: the printer did not finish the job.");
  return pages;
}

void TIniPadForm::FileNew1Execute() {
  if (!QuerySave()) return;
  QsciScintilla* editor = ui->SynEdit1;
  editor->clear();
  editor->markerDeleteAll();
  editor->SendScintilla(Sci::SCI_EMPTYUNDOBUFFER);
  FTextFormat = TTextFormat{};
  editor->SendScintilla(Sci::SCI_SETEOLMODE, EolModeOf(FTextFormat.LineEnds));
}

void TIniPadForm::ColorSelect1Accept(const QColor& color) {
  // Every style takes the colour but the section names, which keep theirs.
  for (int style = 0; style <= QsciLexerProperties::Key; ++style)
    if (style != QsciLexerProperties::Section) FHighlighter->setPaper(color, style);
  FHighlighter->setDefaultPaper(color);
  ui->SynEdit1->setPaper(color);
}

void TIniPadForm::SynEdit1DropFiles(const QStringList& files) {
  if (files.isEmpty() || !QuerySave()) return;
  FileName = files.first();
  LoadFile();
}

void TIniPadForm::SynEdit1GutterClick(int line) {
  QsciScintilla* editor = ui->SynEdit1;
  const unsigned long marks = static_cast<unsigned long>(editor->markersAtLine(line));
  for (int marker = BookmarkCount; marker < 32; ++marker)
    if (marks & (1UL << marker)) editor->markerDelete(line, marker);
}

void TIniPadForm::Statistics1Click() {
  Dialogs::MessageBox(QStringLiteral("Line Count: %1").arg(TextLineCount(ui->SynEdit1)),
                      Dialogs::TMsgKind::mkInformation, Dialogs::TMsgButtons::mbOK, this);
}

void TIniPadForm::LineNumbers1Click() { ui->LineNumbers1->toggle(); }

void TIniPadForm::ShowLineNumbers(bool show) {
  QsciScintilla* editor = ui->SynEdit1;
  if (!show) {
    editor->setMarginWidth(0, 0);
    return;
  }
  const int digits = static_cast<int>(QString::number(editor->lines()).size());
  editor->setMarginWidth(0, QString(std::max(digits, 3) + 1, QLatin1Char('9')));
}

void TIniPadForm::SearchFindExecute() {
  if (FFindDialog->FindText().isEmpty()) FFindDialog->SetFindText(FReplaceDialog->FindText());
  FFindDialog->Execute();
}

void TIniPadForm::SearchReplaceExecute() {
  if (FReplaceDialog->FindText().isEmpty()) FReplaceDialog->SetFindText(FFindDialog->FindText());
  FReplaceDialog->Execute();
}

void TIniPadForm::FindDialog1Find() {
  SearchReplace(ui->SynEdit1, FFindDialog->FindText(), FFindDialog->FindText(), SearchOptionsOf(*FFindDialog));
}

void TIniPadForm::ReplaceDialog1Find() {
  SearchReplace(ui->SynEdit1, FReplaceDialog->FindText(), FReplaceDialog->FindText(),
                SearchOptionsOf(*FReplaceDialog));
}

void TIniPadForm::ReplaceDialog1Replace() {
  SearchReplace(ui->SynEdit1, FReplaceDialog->FindText(), FReplaceDialog->ReplaceText(),
                SearchOptionsOf(*FReplaceDialog));
}

void TIniPadForm::FileOpen1Execute() {
  FileOpen1BeforeExecute();
  QString path = OpenDialog.FileName;
  if (ExecuteOpenDialog(path)) FileOpen1Accept(path);
}

void TIniPadForm::FileSaveAs1Execute() {
  FileSaveAs1BeforeExecute();
  QString path = SaveDialog.FileName;
  if (ExecuteSaveDialog(path)) FileSaveAs1Accept(path);
}

void TIniPadForm::FilePrintSetup1Execute() { ExecutePrintSetupDialog(); }

void TIniPadForm::ColorSelect1Execute() {
  QColor color = FHighlighter->paper(QsciLexerProperties::Default);
  if (ExecuteColorDialog(color)) ColorSelect1Accept(color);
}

void TIniPadForm::BrowseURL1Execute() {
  if (!FBrowseUrl.isEmpty()) OpenUrl(QUrl::fromUserInput(FBrowseUrl));
}

void TIniPadForm::ToggleBookmark(int number) {
  QsciScintilla* editor = ui->SynEdit1;
  int line = 0, index = 0;
  editor->getCursorPosition(&line, &index);
  const bool here = editor->markersAtLine(line) & (1 << number);
  editor->markerDeleteAll(number);  // a bookmark is on one line at most
  if (!here) editor->markerAdd(line, number);
}

void TIniPadForm::GotoBookmark(int number) {
  QsciScintilla* editor = ui->SynEdit1;
  const int line = editor->markerFindNext(0, 1 << number);
  if (line >= 0) editor->setCursorPosition(line, 0);
}

void TIniPadForm::ToggleMacroRecording() {
  if (FRecording)
    FMacroRecorder->endRecording();
  else
    FMacroRecorder->startRecording();
  FRecording = !FRecording;
}

void TIniPadForm::PlayMacro() {
  if (FRecording) {
    Dialogs::Beep();
    return;
  }
  FMacroRecorder->play();
}

QString TIniPadForm::StatusText(int panel) const { return (panel == 0 ? FStatusPanel0 : FStatusPanel1)->text(); }

bool TIniPadForm::ExecuteOpenDialog(QString& path) {
  QFileDialog dialog(this, tr("Open"), OpenDialog.InitialDir, DialogFilter);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::AnyFile);
  if (!path.isEmpty()) dialog.selectFile(QFileInfo(path).fileName());
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  path = dialog.selectedFiles().first();
  return true;
}

bool TIniPadForm::ExecuteSaveDialog(QString& path) {
  QFileDialog dialog(this, tr("Save As"), SaveDialog.InitialDir, DialogFilter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  if (!path.isEmpty()) dialog.selectFile(QFileInfo(path).fileName());
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  path = dialog.selectedFiles().first();
  return true;
}

bool TIniPadForm::ExecuteColorDialog(QColor& color) {
  const QColor chosen = QColorDialog::getColor(color, this, tr("Color"));
  if (!chosen.isValid()) return false;
  color = chosen;
  return true;
}

bool TIniPadForm::ExecutePrintSetupDialog() {
  QPrintDialog dialog(FPrinter.get(), this);
  dialog.setWindowTitle(tr("Print Setup"));
  dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
  dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
  dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
  return dialog.exec() == QDialog::Accepted;
}

void TIniPadForm::OpenUrl(const QUrl& url) {
  if (!QDesktopServices::openUrl(url)) Dialogs::Beep();
}
