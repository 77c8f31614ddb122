// The editor window on the offscreen platform: file state, the close question,
// encodings and line ends on disk, search and replace, and its commands.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <Qsci/qscilexerproperties.h>
#include <Qsci/qsciprinter.h>
#include <Qsci/qsciscintilla.h>

#include <csignal>
#include <sys/resource.h>

#include "QzIniPad.h"
#include "Registry.h"
#include "QzRegistry.h"
#include "TestSupport.h"

using Dialogs::TMsgResult;
using Sci = QsciScintillaBase;

namespace {

QByteArray ReadBytes(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return QByteArray("<missing>");
  return file.readAll();
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  ASSERT_EQ(file.write(bytes), bytes.size());
}

// A results file as a sweep writes it: a header and one line per point.
QByteArray ResultsText(int points) {
  QByteArray text = "ma, Qai, Vfi, DBi, WBi, tc, Qt, Qs, DBo, WBo\n";
  for (int i = 0; i < points; ++i) text += "0.812, 0.702, 2.00, 25.00, 16.00, 46.00, 12.345, 9.876, 14.20, 13.10\n";
  return text;
}

QByteArray EditorBytes(TIniPadForm& form) { return form.SynEdit1()->text().toUtf8(); }

void AppendText(TIniPadForm& form, const QByteArray& utf8) {
  QsciScintilla* editor = form.SynEdit1();
  editor->SendScintilla(Sci::SCI_DOCUMENTEND);
  editor->SendScintilla(Sci::SCI_ADDTEXT, static_cast<uintptr_t>(utf8.size()), utf8.constData());
}

// Whether a placement of the editor window is in the store: a probe of the
// same name moves away from where it was put only then.
bool PlacementStored() {
  QWidget probe;
  probe.setObjectName(QStringLiteral("IniPadForm"));
  probe.setGeometry(3, 4, 300, 200);
  RestoreFormPlacement(&probe, false, true);
  return probe.pos() != QPoint(3, 4);
}

// The kernel refuses to let this process grow a file beyond the limit: a disk
// that fills up in the middle of a write.
class TFileSizeLimit {
public:
  explicit TFileSizeLimit(rlim_t bytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &FOld);
    rlimit limit{bytes, FOld.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~TFileSizeLimit() { setrlimit(RLIMIT_FSIZE, &FOld); }

private:
  rlimit FOld{};
};

class TIniPadTest : public ::testing::Test {
protected:
  void SetUp() override {
    TestSupport::ClearSettings();
    ASSERT_TRUE(FDir.isValid());
  }
  QString Path(const QString& name) const { return FDir.filePath(name); }
  static TIniPadStartup Startup(const QStringList& arguments = {}) {
    return {QCoreApplication::applicationFilePath(), arguments};
  }
  // A window with a file loaded, as the view button leaves it.
  std::unique_ptr<TIniPadForm> FormWith(const QString& name, const QByteArray& bytes) {
    WriteBytes(Path(name), bytes);
    auto form = std::make_unique<TIniPadForm>(Startup());
    form->FileName = Path(name);
    form->LoadFile();
    return form;
  }

  QTemporaryDir FDir;
  TestSupport::TRecordingDialogs FDialogs;
};

TEST_F(TIniPadTest, CreationTakesTheVersionCaptionAndStaysHidden) {
  TIniPadForm form(Startup());
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(form.objectName(), "IniPadForm");
  EXPECT_EQ(form.windowTitle(), "KeltControl 1.2.2.0");
  EXPECT_EQ(form.StatusText(0), "Ready..");
  EXPECT_EQ(form.StatusText(1), "");
  EXPECT_FALSE(form.Modified);
  EXPECT_TRUE(form.FileName.isEmpty());
  EXPECT_EQ(form.BrowseUrl(), QString::fromStdString(CompanyInfo().web));
  const QString exeFolder = QFileInfo(QCoreApplication::applicationFilePath()).absolutePath();
  EXPECT_EQ(form.OpenDialog.InitialDir, exeFolder);
  EXPECT_EQ(form.SaveDialog.InitialDir, exeFolder);
  EXPECT_TRUE(FDialogs.Messages.isEmpty());

  // The change notification is attached.
  AppendText(form, "x");
  EXPECT_TRUE(form.Modified);
  EXPECT_EQ(form.StatusText(0), "Modified...");
}

TEST_F(TIniPadTest, CreationRestoresThePlacementOfIniPadForm) {
  QWidget stored;
  stored.setObjectName(QStringLiteral("IniPadForm"));
  stored.setGeometry(210, 190, 420, 310);
  SaveFormPlacement(&stored);

  TIniPadForm form(Startup());
  EXPECT_EQ(form.pos(), stored.pos());
  EXPECT_EQ(form.size(), stored.size());
  EXPECT_FALSE(form.isVisible());
}

TEST_F(TIniPadTest, CreationWithoutVersionInformationReportsAndStopsThere) {
  WriteBytes(Path("given.txt"), "k=v\n");
  TIniPadForm form(TIniPadStartup{QStringLiteral(NO_VERSION_FILE), {Path("given.txt")}});
  ASSERT_EQ(FDialogs.Messages, QStringList{"No Version Info Available."});
  EXPECT_EQ(form.windowTitle(), "INI File Editor");
  // Steps after the caption did not run: no file, no change notification.
  EXPECT_TRUE(form.FileName.isEmpty());
  EXPECT_TRUE(form.SynEdit1()->text().isEmpty());
  EXPECT_TRUE(form.OpenDialog.InitialDir.isEmpty());
  AppendText(form, "x");
  EXPECT_FALSE(form.Modified);
  EXPECT_EQ(form.StatusText(0), "Ready..");
}

TEST_F(TIniPadTest, CommandLineArgumentsSplitAtABlankPreloadThatFile) {
  WriteBytes(Path("My Results.csv"), ResultsText(2));
  TIniPadForm form(Startup({Path("My"), "Results.csv"}));
  EXPECT_EQ(form.FileName, Path("My Results.csv"));
  EXPECT_EQ(EditorBytes(form), ResultsText(2));
  EXPECT_EQ(form.windowTitle(), Path("My Results.csv"));
  EXPECT_EQ(form.StatusText(0), "Ready...");
  EXPECT_FALSE(form.isVisible());
}

TEST(CommandLineFileNameTest, JoinsArgumentsAndMakesThemAbsolute) {
  const struct {
    QStringList arguments;
    QString expected;
  } cases[] = {
      {{}, ""},
      {{"/tmp/My", "Results.csv"}, "/tmp/My Results.csv"},
      {{"/tmp/a", "b", "c.ini"}, "/tmp/a b c.ini"},
      {{"/data/sub/../Results.csv"}, "/data/Results.csv"},
      {{"relative.txt"}, QDir::current().absoluteFilePath("relative.txt")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.join('|').toStdString());
    EXPECT_EQ(CommandLineFileName(c.arguments), c.expected);
  }
}

TEST_F(TIniPadTest, LoadFileShowsThePathAndClearsModified) {
  auto form = FormWith("Results.csv", ResultsText(4));
  EXPECT_EQ(EditorBytes(*form), ResultsText(4));
  EXPECT_EQ(form->windowTitle(), Path("Results.csv"));
  EXPECT_FALSE(form->Modified);
  EXPECT_EQ(form->StatusText(0), "Ready...");
  // A load is not something to undo.
  EXPECT_FALSE(form->SynEdit1()->isUndoAvailable());
}

TEST_F(TIniPadTest, LoadFileWithoutAFileChangesNothing) {
  auto form = FormWith("a.ini", "[a]\nk=v\n");
  AppendText(*form, "x");
  for (const QString& name : {QString(), Path("missing.ini"), FDir.path(), QStringLiteral("/dev/zero")}) {
    SCOPED_TRACE(name.toStdString());
    form->FileName = name;
    form->LoadFile();
    EXPECT_EQ(EditorBytes(*form), "[a]\nk=v\nx");
    EXPECT_EQ(form->windowTitle(), Path("a.ini"));
    EXPECT_TRUE(form->Modified);
  }
  EXPECT_TRUE(FDialogs.Messages.isEmpty());
}

TEST_F(TIniPadTest, AFileWithNulBytesIsRefusedAndNothingChanges) {
  auto form = FormWith("a.ini", "k=v\n");
  WriteBytes(Path("binary.dat"), QByteArray("MZ\x90\0\3\0\0\0", 8));
  form->FileName = Path("binary.dat");
  try {
    form->LoadFile();
    FAIL() << "a file with NUL bytes was loaded";
  } catch (const EFileError& error) {
    EXPECT_NE(std::string(error.what()).find("not a text file"), std::string::npos) << error.what();
    EXPECT_NE(std::string(error.what()).find("binary.dat"), std::string::npos) << error.what();
  }
  EXPECT_EQ(EditorBytes(*form), "k=v\n");
  EXPECT_EQ(form->windowTitle(), Path("a.ini"));
  EXPECT_FALSE(form->Modified);
}

// Files come back byte for byte: encoding, byte order mark and line ends as read.
TEST_F(TIniPadTest, LoadAndSaveKeepEveryByte) {
  QByteArray allHighBytes;
  for (int b = 0x80; b <= 0xFF; ++b) allHighBytes += static_cast<char>(b);
  const struct {
    const char* name;
    QByteArray bytes;
    TTextEncoding encoding;
    TLineEnds lineEnds;
  } cases[] = {
      {"CRLF", "[Coil]\r\nRows=4\r\nFins=12\r\n", TTextEncoding::teUtf8, TLineEnds::leCrLf},
      {"LF without a final line end", "[Coil]\nRows=4", TTextEncoding::teUtf8, TLineEnds::leLf},
      {"CR", "a\rb\r", TTextEncoding::teUtf8, TLineEnds::leCr},
      {"Windows-1252", "Temp=25 \xB0" "C\r\nName=Caf\xE9 \x80\r\n", TTextEncoding::teWindows1252, TLineEnds::leCrLf},
      {"every high byte", "x=" + allHighBytes + "\n", TTextEncoding::teWindows1252, TLineEnds::leLf},
      {"UTF-8", "Temp=25 \xC2\xB0" "C\n\xE2\x82\xAC\n", TTextEncoding::teUtf8, TLineEnds::leLf},
      {"UTF-8 with BOM", "\xEF\xBB\xBFk=\xC3\xA9\r\n", TTextEncoding::teUtf8, TLineEnds::leCrLf},
      {"empty", "", TTextEncoding::teUtf8, TLineEnds::leLf},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto form = FormWith("roundtrip.ini", c.bytes);
    EXPECT_EQ(form->TextFormat().Encoding, c.encoding);
    EXPECT_EQ(form->TextFormat().LineEnds, c.lineEnds);
    WriteBytes(Path("roundtrip.ini"), "overwritten");
    form->FileSave1Execute();
    EXPECT_EQ(ReadBytes(Path("roundtrip.ini")), c.bytes);
  }
}

TEST_F(TIniPadTest, EditsAreSavedInTheFilesEncodingAndLineEnds) {
  auto form = FormWith("w.ini", "Name=Caf\xE9\r\n");
  ASSERT_EQ(EditorBytes(*form), "Name=Caf\xC3\xA9\r\n");
  form->SynEdit1()->SendScintilla(Sci::SCI_DOCUMENTEND);
  AppendText(*form, "T=\xC2\xB0\xE2\x82\xAC");  // °€
  form->SynEdit1()->SendScintilla(Sci::SCI_NEWLINE);
  form->SaveFile();
  EXPECT_EQ(ReadBytes(Path("w.ini")), "Name=Caf\xE9\r\nT=\xB0\x80\r\n");
}

TEST_F(TIniPadTest, TextThatTheFilesEncodingCannotHoldIsNotSaved) {
  auto form = FormWith("w.ini", "Name=Caf\xE9\n");
  AppendText(*form, "\xE4\xB8\xAD");  // a character outside Windows-1252
  EXPECT_THROW(form->SaveFile(), EFileError);
  EXPECT_EQ(ReadBytes(Path("w.ini")), "Name=Caf\xE9\n");
  EXPECT_TRUE(form->Modified);
}

TEST_F(TIniPadTest, ASaveThatFailsKeepsTheOldFileAndTheState) {
  const QByteArray old = ResultsText(3);
  auto form = FormWith("Results.csv", old);
  AppendText(*form, ResultsText(2000));  // about 140 kB
  const QString title = form->windowTitle();
  {
    TFileSizeLimit limit(16 * 1024);
    EXPECT_THROW(form->SaveFile(), EFileError);
    // Through the menu the error is reported, not thrown at Qt.
    form->findChild<QAction*>("FileSave1")->trigger();
  }
  ASSERT_EQ(FDialogs.Messages.size(), 1);
  EXPECT_TRUE(FDialogs.Messages[0].startsWith("Cannot write file \"" + Path("Results.csv") + "\"."))
      << FDialogs.Messages[0].toStdString();
  EXPECT_EQ(ReadBytes(Path("Results.csv")), old);
  EXPECT_EQ(QDir(FDir.path()).entryList(QDir::Files), QStringList{"Results.csv"});  // no leftovers
  EXPECT_TRUE(form->Modified);
  EXPECT_EQ(form->StatusText(0), "Modified...");
  EXPECT_EQ(form->windowTitle(), title);

  // With room again the same text is saved.
  form->SaveFile();
  EXPECT_EQ(ReadBytes(Path("Results.csv")), old + ResultsText(2000));
  EXPECT_FALSE(form->Modified);
}

TEST_F(TIniPadTest, ClosingWithoutChangesAsksNothingAndEndsTheModalShowingWithOk) {
  auto form = FormWith("Results.csv", ResultsText(4));
  form->move(150, 160);
  bool modalWhileShown = false;
  QTimer::singleShot(0, form.get(), [&] {
    modalWhileShown = form->isVisible() && form->isModal();
    form->close();
  });
  EXPECT_EQ(form->ShowModal(), TModalResult::mrOk);
  EXPECT_TRUE(modalWhileShown);
  EXPECT_FALSE(form->isVisible());
  EXPECT_TRUE(FDialogs.Messages.isEmpty());
  EXPECT_TRUE(PlacementStored());
  // Closing only hid it: it can be shown again.
  QTimer::singleShot(0, form.get(), [&] { form->Exit1Click(); });
  EXPECT_EQ(form->ShowModal(), TModalResult::mrOk);
}

// A settings store that cannot be written is reported, and the window still
// closes: it must never trap the program behind a modal window.
TEST_F(TIniPadTest, ClosingWithAnUnwritableStoreReportsAndCloses) {
  auto form = FormWith("Results.csv", ResultsText(4));
  const QString store = QString::fromStdString(TRegistry::StoreFileName(HKEY_CURRENT_USER));
  QFile::remove(store);
  ASSERT_TRUE(QDir().mkpath(store));  // a folder where the file should be
  QTimer::singleShot(0, form.get(), [&] { form->close(); });
  EXPECT_EQ(form->ShowModal(), TModalResult::mrOk);
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(FDialogs.Messages.size(), 1);
  QDir(store).removeRecursively();
}

TEST_F(TIniPadTest, TheCloseQuestionAfterAnEdit) {
  const struct {
    TMsgResult answer;
    bool closes;
    bool written;
  } cases[] = {
      {TMsgResult::mrCancel, false, false},
      {TMsgResult::mrNo, true, false},
      {TMsgResult::mrYes, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.answer));
    TestSupport::ClearSettings();
    FDialogs.Messages.clear();
    auto form = FormWith("Results.csv", ResultsText(1));
    form->show();
    form->move(150, 160);
    AppendText(*form, "edited\n");
    FDialogs.Answers = {c.answer};

    EXPECT_EQ(form->close(), c.closes);
    EXPECT_EQ(FDialogs.Messages, QStringList{"Results.csv not saved.\nSave now?"});
    EXPECT_EQ(form->isVisible(), !c.closes);
    EXPECT_EQ(form->ModalResult(), c.closes ? TModalResult::mrOk : TModalResult::mrNone);
    EXPECT_EQ(PlacementStored(), c.closes);
    EXPECT_EQ(ReadBytes(Path("Results.csv")), c.written ? ResultsText(1) + "edited\n" : ResultsText(1));
    EXPECT_EQ(form->Modified, !c.written);
    form->hide();
  }
}

TEST_F(TIniPadTest, TheCloseQuestionNamesFileWithoutAName) {
  TIniPadForm form(Startup());
  form.show();
  AppendText(form, "x");
  FDialogs.Answers = {TMsgResult::mrCancel};
  EXPECT_FALSE(form.close());
  EXPECT_EQ(FDialogs.Messages, QStringList{"File not saved.\nSave now?"});
}

TEST_F(TIniPadTest, ASaveThatFailsInTheCloseQuestionKeepsTheWindowOpen) {
  auto form = FormWith("Results.csv", ResultsText(1));
  form->show();
  AppendText(*form, ResultsText(2000));
  FDialogs.Answers = {TMsgResult::mrYes};
  {
    TFileSizeLimit limit(16 * 1024);
    EXPECT_FALSE(form->close());
  }
  ASSERT_EQ(FDialogs.Messages.size(), 2);
  EXPECT_TRUE(FDialogs.Messages[1].startsWith("Cannot write file")) << FDialogs.Messages[1].toStdString();
  EXPECT_TRUE(form->isVisible());
  EXPECT_FALSE(PlacementStored());
  EXPECT_EQ(ReadBytes(Path("Results.csv")), ResultsText(1));
  form->hide();
}

TEST_F(TIniPadTest, LineCount) {
  const struct {
    QByteArray text;
    int lines;
  } cases[] = {
      {"", 0}, {"a", 1}, {"a\nb\nc", 3}, {"a\nb\nc\n", 3}, {"a\r\nb\r\n", 2}, {"\n", 1}, {"a\n\n", 2},
      {ResultsText(4), 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.toStdString());
    FDialogs.Messages.clear();
    auto form = FormWith("count.txt", c.text);
    form->Statistics1Click();
    EXPECT_EQ(FDialogs.Messages, QStringList{QString("Line Count: %1").arg(c.lines)});
  }
}

TEST_F(TIniPadTest, DroppingTwoFilesLoadsTheFirst) {
  WriteBytes(Path("first.ini"), "[first]\n");
  WriteBytes(Path("second.ini"), "[second]\n");
  TIniPadForm form(Startup());
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(Path("first.ini")), QUrl::fromLocalFile(Path("second.ini"))});
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(form.SynEdit1()->viewport(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(form.SynEdit1()->viewport(), &drop);
  EXPECT_TRUE(drop.isAccepted());
  EXPECT_EQ(form.FileName, Path("first.ini"));
  EXPECT_EQ(EditorBytes(form), "[first]\n");
  EXPECT_EQ(form.windowTitle(), Path("first.ini"));
}

TEST_F(TIniPadTest, OpeningAPathThatDoesNotExistChangesOnlyFileName) {
  auto form = FormWith("a.ini", "k=v\n");
  form->FileOpen1Accept(Path("new.ini"));
  EXPECT_EQ(form->FileName, Path("new.ini"));
  EXPECT_EQ(EditorBytes(*form), "k=v\n");
  EXPECT_EQ(form->windowTitle(), Path("a.ini"));
  EXPECT_EQ(form->StatusText(0), "Ready...");
  EXPECT_EQ(form->SaveDialog.FileName, Path("new.ini"));
  EXPECT_TRUE(FDialogs.Messages.isEmpty());
  // A later save writes the text under that path.
  form->FileSave1Execute();
  EXPECT_EQ(ReadBytes(Path("new.ini")), "k=v\n");
  EXPECT_EQ(form->windowTitle(), Path("new.ini"));
}

TEST_F(TIniPadTest, NewThenSaveWritesTheNewTextAsUtf8WithLf) {
  auto form = FormWith("old.ini", "Name=Caf\xE9\r\nRows=4\r\n");
  form->SynEdit1()->markerAdd(0, 2);
  form->FileNew1Execute();
  EXPECT_TRUE(EditorBytes(*form).isEmpty());
  EXPECT_EQ(form->SynEdit1()->markersAtLine(0), 0);
  EXPECT_FALSE(form->SynEdit1()->isUndoAvailable());
  EXPECT_EQ(form->FileName, Path("old.ini"));
  EXPECT_EQ(form->windowTitle(), Path("old.ini"));
  EXPECT_TRUE(form->Modified);

  QTest::keyClicks(form->SynEdit1(), QString::fromUtf8("T=\xC2\xB0  "));
  QTest::keyClick(form->SynEdit1(), Qt::Key_Return);  // also drops the trailing blanks
  form->FileSave1Execute();
  EXPECT_EQ(ReadBytes(Path("old.ini")), "T=\xC2\xB0\n");
  EXPECT_FALSE(form->Modified);
}

// Open, drop and New would drop unsaved edits: they ask first, as closing does.
TEST_F(TIniPadTest, OpenDropAndNewAskBeforeDroppingEdits) {
  enum class TOp { Open, Drop, New };
  for (TOp op : {TOp::Open, TOp::Drop, TOp::New}) {
    for (TMsgResult answer : {TMsgResult::mrCancel, TMsgResult::mrNo, TMsgResult::mrYes}) {
      SCOPED_TRACE(testing::Message() << "operation " << static_cast<int>(op) << ", answer "
                                      << static_cast<int>(answer));
      WriteBytes(Path("other.ini"), "[other]\n");
      auto form = FormWith("mine.ini", "[mine]\n");
      AppendText(*form, "k=v\n");
      FDialogs.Messages.clear();
      FDialogs.Answers = {answer};
      switch (op) {
        case TOp::Open: form->FileOpen1Accept(Path("other.ini")); break;
        case TOp::Drop: form->SynEdit1DropFiles({Path("other.ini")}); break;
        case TOp::New: form->FileNew1Execute(); break;
      }
      EXPECT_EQ(FDialogs.Messages, QStringList{"mine.ini not saved.\nSave now?"});
      EXPECT_EQ(ReadBytes(Path("mine.ini")), answer == TMsgResult::mrYes ? "[mine]\nk=v\n" : "[mine]\n");
      if (answer == TMsgResult::mrCancel) {
        EXPECT_EQ(form->FileName, Path("mine.ini"));
        EXPECT_EQ(EditorBytes(*form), "[mine]\nk=v\n");
        EXPECT_TRUE(form->Modified);
      } else if (op == TOp::New) {
        EXPECT_EQ(form->FileName, Path("mine.ini"));
        EXPECT_TRUE(EditorBytes(*form).isEmpty());
      } else {
        EXPECT_EQ(form->FileName, Path("other.ini"));
        EXPECT_EQ(EditorBytes(*form), "[other]\n");
        EXPECT_FALSE(form->Modified);
      }
    }
  }
}

TEST_F(TIniPadTest, LineNumbersToggleWithTheCheckMark) {
  auto form = FormWith("a.ini", ResultsText(20));
  QAction* item = form->findChild<QAction*>("LineNumbers1");
  ASSERT_TRUE(item);
  EXPECT_FALSE(item->isChecked());
  EXPECT_EQ(form->SynEdit1()->marginWidth(0), 0);
  form->LineNumbers1Click();
  EXPECT_TRUE(item->isChecked());
  EXPECT_GT(form->SynEdit1()->marginWidth(0), 0);
  form->LineNumbers1Click();
  EXPECT_FALSE(item->isChecked());
  EXPECT_EQ(form->SynEdit1()->marginWidth(0), 0);
  // The menu item itself behaves the same.
  item->trigger();
  EXPECT_GT(form->SynEdit1()->marginWidth(0), 0);
  item->trigger();
  EXPECT_EQ(form->SynEdit1()->marginWidth(0), 0);
}

TEST_F(TIniPadTest, AGutterClickRemovesMarksButKeepsBookmarks) {
  auto form = FormWith("a.ini", "a\nb\nc\n");
  QsciScintilla* editor = form->SynEdit1();
  form->SynEdit1()->setCursorPosition(1, 0);
  form->ToggleBookmark(3);
  editor->markerAdd(1, BookmarkCount);      // a plain mark beside the bookmark
  editor->markerAdd(2, BookmarkCount);      // and one on another line
  form->SynEdit1GutterClick(1);
  EXPECT_EQ(editor->markersAtLine(1), 1 << 3);
  EXPECT_EQ(editor->markersAtLine(2), 1 << BookmarkCount);

  editor->setCursorPosition(0, 0);
  form->GotoBookmark(3);
  int line = -1, index = -1;
  editor->getCursorPosition(&line, &index);
  EXPECT_EQ(line, 1);
  form->ToggleBookmark(3);
  EXPECT_EQ(editor->markersAtLine(1), 0);
}

// --- search ---------------------------------------------------------------

class TSearchTest : public TIniPadTest {
protected:
  void SetUp() override {
    TIniPadTest::SetUp();
    FForm = FormWith("s.ini", "one two one Two\n");
    FEditor = FForm->SynEdit1();
  }
  void Select(long anchor, long caret) { FEditor->SendScintilla(Sci::SCI_SETSEL, anchor, caret); }
  long Anchor() const { return FEditor->SendScintilla(Sci::SCI_GETANCHOR); }
  long Caret() const { return FEditor->SendScintilla(Sci::SCI_GETCURRENTPOS); }

  std::unique_ptr<TIniPadForm> FForm;
  QsciScintilla* FEditor = nullptr;
};

TEST_F(TSearchTest, FindNextSelectsEachMatchAndStopsAfterTheLast) {
  TFindDialog* dialog = FForm->FindDialog1();
  dialog->SetFindText("one");
  dialog->FindNextButton()->click();
  EXPECT_EQ(Anchor(), 0);
  EXPECT_EQ(Caret(), 3);
  dialog->FindNextButton()->click();
  EXPECT_EQ(Anchor(), 8);
  EXPECT_EQ(Caret(), 11);
  // After the last match nothing is found: caret and selection stay, silently.
  dialog->FindNextButton()->click();
  EXPECT_EQ(Anchor(), 8);
  EXPECT_EQ(Caret(), 11);
  EXPECT_TRUE(FDialogs.Messages.isEmpty());
  EXPECT_EQ(FDialogs.Beeps, 0);
  EXPECT_FALSE(FForm->Modified);
}

TEST_F(TSearchTest, FindUpSelectsWithTheCaretAtTheStart) {
  TFindDialog* dialog = FForm->FindDialog1();
  dialog->SetFindText("two");
  dialog->UpButton()->setChecked(true);
  Select(16, 16);
  dialog->FindNextButton()->click();
  EXPECT_EQ(Anchor(), 15);
  EXPECT_EQ(Caret(), 12);
  dialog->FindNextButton()->click();
  EXPECT_EQ(Anchor(), 7);
  EXPECT_EQ(Caret(), 4);
  dialog->FindNextButton()->click();  // no wrap
  EXPECT_EQ(Caret(), 4);
}

TEST_F(TSearchTest, CaseAndWholeWords) {
  FEditor->setText("Key key keys\n");
  const struct {
    TSearchOptions options;
    long start;
  } cases[] = {
      {0, 0},
      {soMatchCase, 4},
      {soWholeWord, 0},
      {soMatchCase | soWholeWord, 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options);
    Select(0, 0);
    EXPECT_EQ(SearchReplace(FEditor, "key", "key", c.options), 1);
    EXPECT_EQ(Anchor(), c.start);
    EXPECT_EQ(Caret(), c.start + 3);
  }
  Select(5, 5);
  EXPECT_EQ(SearchReplace(FEditor, "key", "key", soWholeWord), 0);  // "keys" is no whole word
  EXPECT_EQ(Caret(), 5);
  EXPECT_EQ(SearchReplace(FEditor, "key", "key", 0), 1);
  EXPECT_EQ(Anchor(), 8);
}

TEST_F(TSearchTest, ReplaceChangesOneMatchThenStops) {
  TReplaceDialog* dialog = FForm->ReplaceDialog1();
  dialog->SetFindText("one");
  dialog->SetReplaceText("1");
  dialog->ReplaceButton()->click();
  EXPECT_EQ(FEditor->text(), "1 two one Two\n");
  EXPECT_EQ(Caret(), 1);
  EXPECT_EQ(Anchor(), 1);
  EXPECT_TRUE(FForm->Modified);
  dialog->ReplaceButton()->click();
  EXPECT_EQ(FEditor->text(), "1 two 1 Two\n");
}

TEST_F(TSearchTest, ReplaceAllChangesEveryMatchFromTheCaretInOneUndoStep) {
  FEditor->setText("a a a a\n");
  FEditor->SendScintilla(Sci::SCI_EMPTYUNDOBUFFER);
  TReplaceDialog* dialog = FForm->ReplaceDialog1();
  dialog->SetFindText("a");
  dialog->SetReplaceText("aa");  // holds what it replaces: must not loop
  Select(2, 2);
  dialog->ReplaceAllButton()->click();
  EXPECT_EQ(FEditor->text(), "a aa aa aa\n");
  EXPECT_TRUE(FDialogs.Messages.isEmpty());
  FEditor->undo();
  EXPECT_EQ(FEditor->text(), "a a a a\n");
}

TEST_F(TSearchTest, DialogOptionsBecomeSearchOptions) {
  const struct {
    TFindOptions dialog;
    TSearchOptions search;
  } cases[] = {
      {frDown, 0},
      {0, soBackwards},
      {frDown | frMatchCase, soMatchCase},
      {frDown | frWholeWord, soWholeWord},
      {frDown | frFindNext, 0},
      {frDown | frReplace, soReplace},
      {frReplaceAll | frMatchCase | frWholeWord, soReplaceAll | soMatchCase | soWholeWord | soBackwards},
  };
  TReplaceDialog dialog;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dialog);
    dialog.SetOptions(c.dialog);
    EXPECT_EQ(dialog.Options(), c.dialog);
    EXPECT_EQ(TIniPadForm::SearchOptionsOf(dialog), c.search);
  }
}

TEST_F(TSearchTest, TheDialogsShareTheirSearchText) {
  FForm->ReplaceDialog1()->SetFindText("two");
  FForm->SearchFindExecute();
  EXPECT_EQ(FForm->FindDialog1()->FindText(), "two");
  EXPECT_TRUE(FForm->FindDialog1()->isVisible());
  EXPECT_FALSE(FForm->FindDialog1()->isModal());
  FForm->ReplaceDialog1()->SetFindText("");
  FForm->FindDialog1()->SetFindText("one");
  FForm->SearchReplaceExecute();
  EXPECT_EQ(FForm->ReplaceDialog1()->FindText(), "one");
  EXPECT_TRUE(FForm->ReplaceDialog1()->isVisible());
  // An empty search text leaves the buttons off.
  FForm->ReplaceDialog1()->SetFindText("");
  EXPECT_FALSE(FForm->ReplaceDialog1()->FindNextButton()->isEnabled());
  EXPECT_FALSE(FForm->ReplaceDialog1()->ReplaceAllButton()->isEnabled());
}

// --- dialogs, printing, the rest ------------------------------------------

// Stands in for the modal dialogs and the browser.
class TScriptedIniPad : public TIniPadForm {
public:
  using TIniPadForm::TIniPadForm;
  QString Chosen;  // empty: the dialog is cancelled
  QColor Color;
  QString Shown;   // what the last file dialog started with
  QUrl Opened;

protected:
  bool ExecuteOpenDialog(QString& path) override { return Answer(path); }
  bool ExecuteSaveDialog(QString& path) override { return Answer(path); }
  bool ExecuteColorDialog(QColor& color) override {
    color = Color;
    return Color.isValid();
  }
  void OpenUrl(const QUrl& url) override { Opened = url; }

private:
  bool Answer(QString& path) {
    Shown = path;
    if (Chosen.isEmpty()) return false;
    path = Chosen;
    return true;
  }
};

TEST_F(TIniPadTest, OpenAndSaveAsGoThroughTheirDialogs) {
  WriteBytes(Path("a.ini"), "[a]\n");
  QDir(FDir.path()).mkdir("sub");
  WriteBytes(Path("sub/b.ini"), "[b]\n");
  TScriptedIniPad form(Startup());
  form.FileName = Path("a.ini");
  form.LoadFile();

  form.Chosen = Path("sub/b.ini");
  form.FileOpen1Execute();
  EXPECT_EQ(form.Shown, Path("a.ini"));
  EXPECT_EQ(form.FileName, Path("sub/b.ini"));
  EXPECT_EQ(form.OpenDialog.InitialDir, Path("sub"));
  EXPECT_EQ(EditorBytes(form), "[b]\n");

  form.Chosen = Path("c.ini");
  form.FileSaveAs1Execute();
  EXPECT_EQ(form.Shown, Path("sub/b.ini"));
  EXPECT_EQ(ReadBytes(Path("c.ini")), "[b]\n");
  EXPECT_EQ(form.FileName, Path("c.ini"));
  EXPECT_EQ(form.SaveDialog.InitialDir, FDir.path());
  EXPECT_EQ(form.windowTitle(), Path("c.ini"));

  // A cancelled dialog changes nothing.
  form.Chosen.clear();
  form.FileOpen1Execute();
  form.FileSaveAs1Execute();
  EXPECT_EQ(form.FileName, Path("c.ini"));
  EXPECT_EQ(form.OpenDialog.FileName, Path("c.ini"));
}

TEST_F(TIniPadTest, SaveWithoutAFileNameAsksForOne) {
  TScriptedIniPad form(Startup());
  AppendText(form, "k=v\n");
  form.show();
  // Yes in the close question, then the save dialog is cancelled: nothing was
  // saved, so the window stays.
  FDialogs.Answers = {TMsgResult::mrYes};
  EXPECT_FALSE(form.close());
  EXPECT_TRUE(form.isVisible());
  form.Chosen = Path("named.ini");
  form.FileSave1Execute();
  EXPECT_EQ(ReadBytes(Path("named.ini")), "k=v\n");
  EXPECT_TRUE(form.close());
}

TEST_F(TIniPadTest, BackgroundColourKeepsTheSectionColours) {
  TScriptedIniPad form(Startup());
  form.Color = QColor(255, 255, 200);
  form.ColorSelect1Execute();
  EXPECT_EQ(form.SynIniSyn1()->paper(QsciLexerProperties::Default), form.Color);
  EXPECT_EQ(form.SynIniSyn1()->paper(QsciLexerProperties::Comment), form.Color);
  EXPECT_EQ(form.SynIniSyn1()->paper(QsciLexerProperties::Key), form.Color);
  EXPECT_EQ(form.SynIniSyn1()->paper(QsciLexerProperties::Section), QColor(0, 128, 255));
  EXPECT_EQ(form.SynIniSyn1()->color(QsciLexerProperties::Section), QColor(Qt::white));
  form.Color = QColor();  // cancelled
  form.ColorSelect1Execute();
  EXPECT_EQ(form.SynIniSyn1()->paper(QsciLexerProperties::Default), QColor(255, 255, 200));
}

TEST_F(TIniPadTest, BrowseWebSiteOpensTheCompanyAddress) {
  TScriptedIniPad form(Startup());
  form.findChild<QAction*>("BrowseURL1")->trigger();
  EXPECT_EQ(form.Opened, QUrl::fromUserInput(QString::fromStdString(CompanyInfo().web)));
}

TEST_F(TIniPadTest, PrintWritesEveryPageWithoutADialog) {
  auto form = FormWith("Results.csv", ResultsText(300));
  form->SynEditPrint1()->setOutputFormat(QPrinter::PdfFormat);
  form->SynEditPrint1()->setOutputFileName(Path("out.pdf"));
  const int pages = form->FilePrint1Execute();
  EXPECT_GE(pages, 3);
  const QByteArray pdf = ReadBytes(Path("out.pdf"));
  EXPECT_EQ(QString::fromLatin1(pdf).count(QRegularExpression("/Type\\s*/Page[^s]")), pages)
      << pdf.left(200).toStdString();
  EXPECT_TRUE(FDialogs.Messages.isEmpty());
}

// The editor takes most keys itself; the menu shortcuts must still reach the window.
TEST_F(TIniPadTest, MenuShortcutsWorkWhileTypingInTheEditor) {
  auto form = FormWith("keys.ini", "k=v\n");
  form->show();
  QApplication::setActiveWindow(form.get());
  QsciScintilla* editor = form->SynEdit1();
  editor->setFocus();
  QTest::keyClicks(editor, "x");
  QTest::keyClick(editor, Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(ReadBytes(Path("keys.ini")), "xk=v\n");
  EXPECT_FALSE(form->Modified);
  QTest::keyClick(editor, Qt::Key_F, Qt::ControlModifier);
  EXPECT_TRUE(form->FindDialog1()->isVisible());
  form->FindDialog1()->hide();
  QTest::keyClick(editor, Qt::Key_N, Qt::ControlModifier);
  EXPECT_TRUE(editor->text().isEmpty());
  QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);  // New cannot be undone
  EXPECT_TRUE(editor->text().isEmpty());
  form->SetModified(false);
  form->hide();
}

TEST_F(TIniPadTest, MacroRecorderRecordsAndPlaysKeys) {
  TIniPadForm form(Startup());
  form.show();
  QApplication::setActiveWindow(&form);
  QsciScintilla* editor = form.SynEdit1();
  editor->setFocus();
  QTest::keyClick(editor, Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier);
  QTest::keyClicks(editor, "ab");
  QTest::keyClick(editor, Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier);
  QTest::keyClick(editor, Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(editor->text(), "abab");
  form.hide();
}

}  // namespace
