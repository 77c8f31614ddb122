#include <gtest/gtest.h>

#include <QAccessible>
#include <QFile>
#include <QListWidget>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <Qsci/qsciscintilla.h>

#include "CtrlMain.h"
#include "QzFmtEdit.h"
#include "QzIniPad.h"
#include "RecordingCoilTest.h"
#include "TestSupport.h"
#include "ui_CtrlMain.h"

namespace {

class CtrlMainSweepTest : public ::testing::Test {
protected:
  void SetUp() override {
    TestSupport::ClearSettings();
    LoopVars = DefaultLoopVars();
    RecordingCoil::Reset();
    RecordingCoil::RegisterAsKeltCoil();
    Form = std::make_unique<TControlForm>();
    Form->show();
    QApplication::setActiveWindow(Form.get());
    // Tests run in parallel processes: each writes a results file of its own.
    Ui().DataFileNameEd->setText(QString("Results-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    Path = QString::fromStdString(Form->ResultsPath());
    QFile::remove(Path);
  }
  void TearDown() override {
    Form.reset();
    QFile::remove(Path);
    QLocale::setDefault(QLocale::c());
  }

  Ui::TControlForm& Ui() { return *Form->Form(); }
  void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); }
  void ClickItem(int row) {
    QListWidget* list = Ui().LoopList;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
  }
  QStringList Fields() {
    return {Ui().StartEd->text(), Ui().EndEd->text(), Ui().CountEd->text(), Ui().OrderEd->text()};
  }
  QStringList FileLines() {
    QFile f(Path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    QStringList lines = QString::fromLatin1(f.readAll()).split("\r\n");
    if (!lines.isEmpty() && lines.back().isEmpty()) lines.pop_back();
    return lines;
  }
  // Runs fn once the sweep processes events for the first time.
  void DuringRun(std::function<void()> fn) { QTimer::singleShot(0, Form.get(), std::move(fn)); }

  TestSupport::TRecordingDialogs Dialogs;
  std::unique_ptr<TControlForm> Form;
  QString Path;
};

}  // namespace

TEST_F(CtrlMainSweepTest, StartsOnAirVelocityWithTheVersionCaption) {
  EXPECT_EQ(Form->windowTitle(), "KeltControl 1.2.2.0");
  ASSERT_EQ(Ui().LoopList->count(), 4);
  const char* names[] = {"Air Velocity", "Dry Bulb On", "Wet Bulb On", "Discharge"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(Ui().LoopList->item(i)->text(), names[i]);
    EXPECT_EQ(Ui().LoopList->item(i)->checkState(), i == 0 ? Qt::Checked : Qt::Unchecked);
  }
  EXPECT_EQ(Form->CurrentLoopIndex(), 0);
  EXPECT_EQ(Ui().GroupBox1->title(), "Air Velocity");
  EXPECT_EQ(Fields(), (QStringList{"2.0", "5.0", "4.0", "1.0"}));
  EXPECT_TRUE(Ui().OrderEd->isReadOnly());
  EXPECT_EQ(Form->CalcError(), 0);
  EXPECT_TRUE(Dialogs.Messages.isEmpty()) << Dialogs.Messages.join("\n").toStdString();
}

TEST_F(CtrlMainSweepTest, TickingNumbersTheNestingOrder) {
  Ui().LoopList->item(1)->setCheckState(Qt::Checked);  // Dry Bulb On
  EXPECT_EQ(Form->CurrentLoopIndex(), 1);               // the toggled item is the selected one
  EXPECT_EQ(Ui().GroupBox1->title(), "Dry Bulb On");
  EXPECT_EQ(Ui().OrderEd->text(), "2.0");
  EXPECT_EQ(Form->StatusText(), "Modified...");

  // The space bar ticks the selected item.
  Ui().LoopList->setFocus();
  Ui().LoopList->setCurrentRow(3);
  QTest::keyClick(Ui().LoopList, Qt::Key_Space);
  EXPECT_EQ(Ui().LoopList->item(3)->checkState(), Qt::Checked);
  EXPECT_EQ(LoopVars[3].Order, 3);

  Ui().LoopList->item(1)->setCheckState(Qt::Unchecked);
  EXPECT_EQ(LoopVars[0].Order, 1);
  EXPECT_EQ(LoopVars[1].Order, 0);
  EXPECT_EQ(LoopVars[3].Order, 2);
  EXPECT_EQ(Ui().OrderEd->text(), "0.0");
}

TEST_F(CtrlMainSweepTest, TypedStartLandsInTheRecordThatWasShown) {
  Ui().StartEd->setFocus();
  Ui().StartEd->selectAll();
  QTest::keyClicks(Ui().StartEd, "3");
  ClickItem(1);
  EXPECT_EQ(Form->CurrentLoopIndex(), 1);
  EXPECT_EQ(LoopVars[0].Start, 3.0);
  EXPECT_EQ(LoopVars[1].Start, 25.0);
  EXPECT_EQ(Ui().StartEd->text(), "25.0");
  ClickItem(0);
  EXPECT_EQ(Ui().StartEd->text(), "3.0");
  EXPECT_EQ(Form->StatusText(), "Modified...");
}

TEST_F(CtrlMainSweepTest, CountHalvesToEven) {
  struct {
    const char* Typed;
    int32_t Count;
  } cases[] = {{"7", 7}, {"2.5", 2}, {"3.5", 4}, {"19.5", 20}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Typed);
    Ui().CountEd->setFocus();
    Ui().CountEd->selectAll();
    QTest::keyClicks(Ui().CountEd, c.Typed);
    Ui().EndEd->setFocus();  // leaving the field commits and stores
    EXPECT_EQ(LoopVars[0].Count, c.Count);
  }
}

TEST_F(CtrlMainSweepTest, NavigationCrossesIntoTheGroupAndWraps) {
  Ui().OrderEd->setFocus();
  QTest::keyClick(Ui().OrderEd, Qt::Key_Down);
  EXPECT_EQ(Form->focusWidget(), Ui().ConnectBtn);
  Ui().OrderEd->setFocus();
  QTest::keyClick(Ui().OrderEd, Qt::Key_Return);
  EXPECT_EQ(Form->focusWidget(), Ui().ConnectBtn);
  Ui().StartEd->setFocus();
  QTest::keyClick(Ui().StartEd, Qt::Key_Up);
  EXPECT_EQ(Form->focusWidget(), Ui().LoopList);
  // In the list, Up and Down move the selection as usual.
  Ui().LoopList->setCurrentRow(1);
  QTest::keyClick(Ui().LoopList, Qt::Key_Down);
  EXPECT_EQ(Form->focusWidget(), Ui().LoopList);
  EXPECT_EQ(Form->CurrentLoopIndex(), 2);
}

TEST_F(CtrlMainSweepTest, LoopWithoutConnectionOnlySaysSo) {
  Click(Ui().LoopBtn);
  EXPECT_EQ(Dialogs.Messages, QStringList{"Not Connected..."});
  EXPECT_EQ(Form->StatusText(), "Ready...");
  EXPECT_FALSE(QFile::exists(Path));
}

TEST_F(CtrlMainSweepTest, DefaultRunWritesFourPointsAndReportsThem) {
  Click(Ui().ConnectBtn);
  Click(Ui().LoopBtn);
  EXPECT_EQ(Form->StatusText(), "Ready... (4 Points)");
  EXPECT_EQ(FileLines().size(), 5);
  EXPECT_EQ(Ui().ProgressBar->value(), 0);
  EXPECT_EQ(Ui().ProgressBar->maximum(), 4);
  EXPECT_TRUE(Ui().LoopBtn->isEnabled() && Ui().StartEd->isEnabled() && Ui().DataFileNameEd->isEnabled());
  EXPECT_TRUE(Dialogs.Messages.isEmpty());
}

TEST_F(CtrlMainSweepTest, CalculationErrorShowsAndClearsAtTheNextRun) {
  Click(Ui().ConnectBtn);
  RecordingCoil::FlagCalcError(3);
  Click(Ui().LoopBtn);
  EXPECT_EQ(Form->StatusText(), "Calculation error...");
  EXPECT_EQ(FileLines().size(), 5);
  Click(Ui().LoopBtn);
  EXPECT_EQ(Form->StatusText(), "Ready... (4 Points)");
}

TEST_F(CtrlMainSweepTest, FileThatCannotBeCreatedReportsAndSaysError) {
  Click(Ui().ConnectBtn);
  Ui().DataFileNameEd->setText("no/such/folder/run");
  Click(Ui().LoopBtn);
  EXPECT_EQ(Dialogs.Messages, QStringList{"Data file or connection error..."});
  EXPECT_EQ(Form->StatusText(), "Error...");
  EXPECT_TRUE(Ui().LoopBtn->isEnabled());
}

// During a run the inputs of the run refuse input; Disconnect stays live and
// ends the run through its failure path.
TEST_F(CtrlMainSweepTest, DisconnectDuringARunEndsIt) {
  Click(Ui().ConnectBtn);
  bool guarded = false;
  DuringRun([&] {
    guarded = Form->Running() && !Ui().LoopBtn->isEnabled() && !Ui().ConnectBtn->isEnabled() &&
              !Ui().LoopList->isEnabled() && !Ui().StartEd->isEnabled() && !Ui().CountEd->isEnabled() &&
              !Ui().DataFileNameEd->isEnabled() && Ui().DiscBtn->isEnabled() && Ui().ViewBtn->isEnabled();
    Click(Ui().DiscBtn);
  });
  Click(Ui().LoopBtn);
  EXPECT_TRUE(guarded);
  EXPECT_EQ(Dialogs.Messages, QStringList{"Data file or connection error..."});
  EXPECT_EQ(Form->StatusText(), "Error...");
  EXPECT_EQ(FileLines().size(), 2);  // the header and the point before the disconnect
  EXPECT_FALSE(Form->Running());
  EXPECT_TRUE(Ui().LoopBtn->isEnabled() && Ui().ConnectBtn->isEnabled() && Ui().LoopList->isEnabled());
  EXPECT_EQ(RecordingCoil::LiveObjects(), 0);
}

// Pressing Loop from the keyboard must not leave the focus on Disconnect, where
// one more Space would end the run.
TEST_F(CtrlMainSweepTest, FocusDoesNotFallOnDisconnectDuringARun) {
  Click(Ui().ConnectBtn);
  Ui().LoopBtn->setFocus();
  QWidget* focusDuringRun = nullptr;
  DuringRun([&] {
    focusDuringRun = QApplication::focusWidget();
    QTest::keyClick(focusDuringRun, Qt::Key_Space);
  });
  QTest::keyClick(Ui().LoopBtn, Qt::Key_Space);
  EXPECT_NE(focusDuringRun, Ui().DiscBtn);
  EXPECT_EQ(Form->StatusText(), "Ready... (4 Points)");
  EXPECT_NE(Form->Coil(), nullptr);
  EXPECT_EQ(QApplication::focusWidget(), Ui().LoopBtn);
}

// The results shown while the run still writes them cannot be saved over.
TEST_F(CtrlMainSweepTest, ResultsViewedDuringARunAreReadOnly) {
  TIniPadForm iniPad;
  Form->SetIniPad(&iniPad);
  Click(Ui().ConnectBtn);
  bool readOnlyDuringRun = false;
  DuringRun([&] {
    QTimer::singleShot(0, &iniPad, [&] {
      readOnlyDuringRun = iniPad.SynEdit1()->isReadOnly();
      iniPad.close();
    });
    Click(Ui().ViewBtn);
  });
  Click(Ui().LoopBtn);
  EXPECT_TRUE(readOnlyDuringRun);
  EXPECT_EQ(FileLines().size(), 5);
  QTimer::singleShot(0, &iniPad, [&] { iniPad.close(); });
  Click(Ui().ViewBtn);
  EXPECT_FALSE(iniPad.SynEdit1()->isReadOnly());
}

TEST_F(CtrlMainSweepTest, ClosingDuringARunEndsItThenCloses) {
  Click(Ui().ConnectBtn);
  DuringRun([&] { Form->close(); });
  Click(Ui().LoopBtn);
  EXPECT_TRUE(Form->isVisible());  // closes once the run has unwound
  QApplication::processEvents();
  EXPECT_FALSE(Form->isVisible());
  EXPECT_TRUE(Dialogs.Messages.isEmpty());
  EXPECT_EQ(FileLines().size(), 2);
  EXPECT_EQ(RecordingCoil::LiveObjects(), 0);
}

TEST_F(CtrlMainSweepTest, CommaLocaleWritesCommas) {
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  Click(Ui().ConnectBtn);
  Click(Ui().LoopBtn);
  const QStringList lines = FileLines();
  ASSERT_EQ(lines.size(), 5);
  const QStringList fields = lines[1].split(", ");
  ASSERT_EQ(fields.size(), 10);
  EXPECT_EQ(fields[2], "2,00");
}

TEST_F(CtrlMainSweepTest, ViewButtonShowsTheResultsOrSaysTheFileIsMissing) {
  Click(Ui().ViewBtn);
  ASSERT_EQ(Dialogs.Messages.size(), 1);
  EXPECT_EQ(Dialogs.Messages[0], "File not found...\n" + Path);

  TIniPadForm iniPad;
  Form->SetIniPad(&iniPad);
  Click(Ui().ConnectBtn);
  Click(Ui().LoopBtn);
  bool shownModal = false;
  QTimer::singleShot(0, &iniPad, [&] {
    shownModal = iniPad.isVisible() && iniPad.isModal();
    iniPad.close();
  });
  Click(Ui().ViewBtn);
  EXPECT_TRUE(shownModal);
  EXPECT_FALSE(iniPad.isVisible());
  EXPECT_EQ(iniPad.FileName, Path);
  EXPECT_FALSE(iniPad.Modified);
  EXPECT_EQ(iniPad.windowTitle(), Path);
}

TEST_F(CtrlMainSweepTest, PlacementComesBackAtTheNextStart) {
  Form->move(140, 90);
  Form->close();
  Form = std::make_unique<TControlForm>();
  EXPECT_EQ(Form->pos(), QPoint(140, 90));
}

TEST_F(CtrlMainSweepTest, ScreenReaderHearsTheListAndTheFields) {
  QAccessibleInterface* list = QAccessible::queryAccessibleInterface(Ui().LoopList);
  ASSERT_NE(list, nullptr);
  QStringList names;
  QList<bool> ticks;
  for (int i = 0; i < list->childCount(); ++i) {
    QAccessibleInterface* item = list->child(i);
    if (item->role() != QAccessible::ListItem) continue;
    names << item->text(QAccessible::Name);
    ticks << bool(item->state().checked);
  }
  EXPECT_EQ(names, (QStringList{"Air Velocity", "Dry Bulb On", "Wet Bulb On", "Discharge"}));
  EXPECT_EQ(ticks, (QList<bool>{true, false, false, false}));

  const std::pair<QWidget*, const char*> fields[] = {
      {Ui().StartEd, "Start"}, {Ui().EndEd, "End"}, {Ui().CountEd, "Count"}, {Ui().OrderEd, "Order"}};
  for (const auto& [field, label] : fields)
    EXPECT_EQ(QAccessible::queryAccessibleInterface(field)->text(QAccessible::Name), label);
}

// A pasted text that is no number stays as typed; storing it fails in the
// default error report, and the record and the status keep what they had.
TEST_F(CtrlMainSweepTest, StartThatIsNoNumberIsReportedAndNotStored) {
  Form->SetStatusText("Ready...");
  Ui().StartEd->setFocus();
  Ui().StartEd->selectAll();
  Ui().StartEd->insert("abc");  // as a paste does: not filtered
  Ui().EndEd->setFocus();
  ASSERT_EQ(Dialogs.Messages.size(), 1);
  EXPECT_FALSE(Dialogs.Messages[0].isEmpty());
  EXPECT_EQ(LoopVars[0].Start, 2.0);
  EXPECT_EQ(Form->StatusText(), "Ready...");
}
