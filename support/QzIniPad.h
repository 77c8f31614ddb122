#pragma once
// The results text editor window: shows, edits, searches, prints and saves a
// text file, colouring INI-style text. There is one, created hidden at start
// right after the main window; the view button loads the results file into it
// and shows it modally, and closing it only hides it.
#include <QColor>
#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <memory>
#include <string>

#include "QzFindDialog.h"
#include "QzIniPadText.h"

class QEventLoop;
class QLabel;
class QUrl;
class QsciLexerProperties;
class QsciMacro;
class QsciPrinter;
class QsciScintilla;

namespace Ui {
class TIniPadForm;
}

// Options of the editor's search and replace.
enum TSearchOption : unsigned {
  soMatchCase = 0x01,
  soWholeWord = 0x02,
  soBackwards = 0x04,
  soEntireScope = 0x08,
  soSelectedOnly = 0x10,
  soReplace = 0x20,
  soReplaceAll = 0x40,
  soPrompt = 0x80,
};
using TSearchOptions = unsigned;

// The editor's search: from the caret to the end of the text (backwards: to its
// start), without wrapping. The first match is selected with the caret past it
// (backwards: at its start); with soReplace it is replaced instead and the
// search stops; with soReplaceAll every match in that range is replaced, as one
// undo step. Returns the number of matches; none changes nothing.
// soEntireScope, soSelectedOnly and soPrompt are not supported.
int SearchReplace(QsciScintilla* editor, const QString& search, const QString& replace,
                  TSearchOptions options);

// The number of lines of a text, as a list of lines counts them: a final line
// break starts no further line, and an empty text has none.
int TextLineCount(QsciScintilla* editor);

// The command-line arguments (without the program) read as one file path:
// joined with blanks, which rejoins a path that the command line split at its
// blanks, and made absolute against the current folder. Empty without arguments.
QString CommandLineFileName(const QStringList& arguments);
// The same for the running program's arguments.
QString CommandLineFileName();

// What the window's creation takes from the running program; tests give their own.
struct TIniPadStartup {
  QString ExeName;        // full path of the executable, whose version gives the title
  QStringList Arguments;  // command-line arguments, without the program
  static TIniPadStartup OfProgram();
};

enum class TModalResult { mrNone, mrOk };

// Markers 0..9 of the editor are the bookmarks 0..9; any other marker is a
// plain mark, which a click in the gutter removes.
constexpr int BookmarkCount = 10;

class TIniPadForm : public QMainWindow {
  Q_OBJECT
public:
  // Creates the window hidden and runs its creation steps (FormCreate). An
  // error of a step is shown as the default error report does and ends the
  // steps there; the window is still created.
  explicit TIniPadForm(QWidget* parent = nullptr);
  explicit TIniPadForm(const TIniPadStartup& startup, QWidget* parent = nullptr);
  ~TIniPadForm() override;

  // True while the text holds changes that were not saved or loaded since.
  // Change it through SetModified, which keeps the status text in step.
  bool Modified = false;
  // The file the window shows and saves to; empty when there is none.
  QString FileName;

  // Loads FileName into the editor; a missing file or empty name changes
  // nothing. Raises EFileError for a file that cannot be read or is not text,
  // leaving text, title and Modified as they were.
  void LoadFile();
  // Writes the text to FileName atomically, in the encoding and line ends it
  // was read with. Raises EFileError on failure; the file on disk, Modified and
  // the title are then as they were.
  void SaveFile();
  void SetModified(bool value);
  // While the file is still being written by its producer (a sweep), the
  // window only shows it: no editing, no New, no Save or Save As over it.
  void SetReadOnly(bool readOnly);
  // Asks about unsaved changes; true when the text may be dropped (not
  // modified, saved, or the user chose not to save).
  bool QuerySave();
  void EditorChange();
  static TSearchOptions SearchOptionsOf(const TFindDialog& dialog);

  // Shows the window application-modal and returns when it is hidden again.
  TModalResult ShowModal();
  TModalResult ModalResult() const { return FModalResult; }

  // Handlers. The *Accept handlers take what the user chose in the dialog, so
  // that they can be driven without showing it.
  void FormCloseQuery(bool& canClose);
  void Exit1Click();
  void FileOpen1BeforeExecute();
  void FileOpen1Accept(const QString& path);
  void FileSave1Execute();
  void FileSaveAs1BeforeExecute();
  void FileSaveAs1Accept(const QString& path);
  // Prints the whole text on the current printer without a dialog; returns
  // the number of pages.
  int FilePrint1Execute();
  void FileNew1Execute();
  void ColorSelect1Accept(const QColor& color);
  void SynEdit1DropFiles(const QStringList& files);
  void SynEdit1GutterClick(int line);
  void Statistics1Click();
  void LineNumbers1Click();
  void SearchFindExecute();
  void SearchReplaceExecute();
  void FindDialog1Find();
  void ReplaceDialog1Find();
  void ReplaceDialog1Replace();

  // The actions that show a dialog: before-execute, the dialog, accept.
  void FileOpen1Execute();
  void FileSaveAs1Execute();
  void FilePrintSetup1Execute();
  void ColorSelect1Execute();
  void BrowseURL1Execute();

  // Bookmarks 0..9: Ctrl+Shift+digit sets or clears one on the caret's line,
  // Ctrl+digit goes to it.
  void ToggleBookmark(int number);
  void GotoBookmark(int number);

  QsciScintilla* SynEdit1() const;
  QsciLexerProperties* SynIniSyn1() const { return FHighlighter; }
  QsciPrinter* SynEditPrint1() const { return FPrinter.get(); }
  QsciMacro* SynMacroRecorder1() const { return FMacroRecorder; }
  TFindDialog* FindDialog1() const { return FFindDialog; }
  TReplaceDialog* ReplaceDialog1() const { return FReplaceDialog; }
  QString StatusText(int panel) const;
  // The address that Browse Web Site opens.
  QString BrowseUrl() const { return FBrowseUrl; }
  // The format that the next save writes (that of the last load).
  const TTextFormat& TextFormat() const { return FTextFormat; }

  // What the open and save dialogs start with.
  struct TFileDialogState {
    QString FileName;
    QString InitialDir;
  };
  TFileDialogState OpenDialog;
  TFileDialogState SaveDialog;
  static const QString DialogFilter;

protected:
  // Runs the creation steps in order; the first error ends them and passes on.
  void FormCreate(const TIniPadStartup& startup);

  void closeEvent(QCloseEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

  // The modal dialogs, kept thin so that tests can stand in for them; each
  // returns false when the user cancels.
  virtual bool ExecuteOpenDialog(QString& path);
  virtual bool ExecuteSaveDialog(QString& path);
  virtual bool ExecuteColorDialog(QColor& color);
  virtual bool ExecutePrintSetupDialog();
  virtual void OpenUrl(const QUrl& url);

private:
  void SetupEditor();
  void SetupPrinter();
  void SetupActions();
  void ShowLineNumbers(bool show);
  void ToggleMacroRecording();
  void PlayMacro();
  void SetEditorText(const QByteArray& utf8);
  QByteArray EditorText() const;

  std::unique_ptr<Ui::TIniPadForm> ui;
  QsciLexerProperties* FHighlighter = nullptr;
  std::unique_ptr<QsciPrinter> FPrinter;
  QsciMacro* FMacroRecorder = nullptr;
  bool FRecording = false;
  TFindDialog* FFindDialog = nullptr;
  TReplaceDialog* FReplaceDialog = nullptr;
  QLabel* FStatusPanel0 = nullptr;
  QLabel* FStatusPanel1 = nullptr;
  QString FBrowseUrl;
  TTextFormat FTextFormat;
  TModalResult FModalResult = TModalResult::mrNone;
  QEventLoop* FModalLoop = nullptr;
};
