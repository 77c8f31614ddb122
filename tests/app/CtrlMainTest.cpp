#include <gtest/gtest.h>

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>

#include "CtrlMain.h"
#include "KeltCoilIds.h"
#include "RecordingCoilTest.h"
#include "TestSupport.h"
#include "ui_CtrlMain.h"

namespace {

class CtrlMainTest : public ::testing::Test {
protected:
  void SetUp() override {
    TestSupport::ClearSettings();
    Form = std::make_unique<TControlForm>();
    Form->show();
    QApplication::setActiveWindow(Form.get());
  }
  void TearDown() override { Form.reset(); }

  Ui::TControlForm& Ui() { return *Form->Form(); }
  QWidget* Focused() { return Form->focusWidget(); }

  TestSupport::TRecordingDialogs Dialogs;
  std::unique_ptr<TControlForm> Form;
};

QString AccessibleName(QWidget* w) {
  QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
  return iface ? iface->text(QAccessible::Name) : QString();
}

}  // namespace

TEST_F(CtrlMainTest, StartsAsDesigned) {
  EXPECT_EQ(Form->size(), QSize(293, 380));
  EXPECT_EQ(Form->minimumSize(), Form->maximumSize());  // not resizable
  EXPECT_EQ(Ui().CoilModelEd->text(), "");
  EXPECT_TRUE(Ui().CoilModelEd->isReadOnly());
  EXPECT_EQ(Ui().DataFileNameEd->text(), "Results");
  EXPECT_EQ(Form->StatusText(), "Ready...");
  EXPECT_EQ(Form->Coil(), nullptr);
  EXPECT_EQ(Ui().ViewBtn->toolTip(), "View results in text editor");
  EXPECT_EQ(Ui().ViewBtn->focusPolicy(), Qt::NoFocus);
  EXPECT_FALSE(Ui().ViewBtn->icon().isNull());
  EXPECT_FALSE(ExeDir.empty());
  EXPECT_EQ(ExeDir.back(), '/');

  struct TPlace {
    QWidget* Control;
    QRect Rect;
  } places[] = {
      {Ui().Panel1, {0, 0, 293, 188}},          {Ui().ConnectBtn, {16, 16, 71, 25}},
      {Ui().DiscBtn, {92, 16, 71, 25}},         {Ui().ViewBtn, {216, 16, 40, 40}},
      {Ui().CoilModelEd, {16, 64, 241, 21}},    {Ui().LoopBtn, {16, 117, 65, 25}},
      {Ui().DataFileNameEd, {96, 119, 161, 21}}, {Ui().ProgressBar, {16, 154, 240, 12}},
  };
  for (const TPlace& p : places) {
    SCOPED_TRACE(p.Control->objectName().toStdString());
    EXPECT_EQ(p.Control->geometry(), p.Rect);
  }
  EXPECT_EQ(Ui().StatusBar->geometry().bottom(), 379);
  EXPECT_EQ(Ui().StatusBar->height(), 19);
}

TEST_F(CtrlMainTest, DisconnectBeforeConnectOnlySaysNotConnected) {
  QTest::mouseClick(Ui().DiscBtn, Qt::LeftButton);
  EXPECT_EQ(Ui().CoilModelEd->text(), "Not connected...");
  EXPECT_EQ(Form->Coil(), nullptr);
  EXPECT_EQ(Form->StatusText(), "Ready...");
  EXPECT_TRUE(Dialogs.Messages.isEmpty());
}

TEST_F(CtrlMainTest, ConnectWithoutARegisteredServerReportsTheClass) {
  QTest::mouseClick(Ui().ConnectBtn, Qt::LeftButton);
  ASSERT_EQ(Dialogs.Messages.size(), 1);
  EXPECT_TRUE(Dialogs.Messages[0].startsWith("Class not registered")) << Dialogs.Messages[0].toStdString();
  EXPECT_TRUE(Dialogs.Messages[0].contains(QString::fromStdString(GUIDToString(CLASS_KeltCoil))));
  EXPECT_EQ(Form->Coil(), nullptr);
  EXPECT_EQ(Ui().CoilModelEd->text(), "");
}

TEST_F(CtrlMainTest, EnterDownAndUpMoveBetweenEditFields) {
  struct TMove {
    QWidget* From;
    int Key;
    QWidget* To;
  } moves[] = {
      {Ui().CoilModelEd, Qt::Key_Return, Ui().LoopBtn},  // read-only box, Enter goes on to Loop
      {Ui().CoilModelEd, Qt::Key_Enter, Ui().LoopBtn},
      {Ui().CoilModelEd, Qt::Key_Down, Ui().LoopBtn},
      {Ui().CoilModelEd, Qt::Key_Up, Ui().DiscBtn},
      {Ui().DataFileNameEd, Qt::Key_Up, Ui().LoopBtn},
  };
  for (const TMove& m : moves) {
    SCOPED_TRACE(m.From->objectName().toStdString() + " key " + std::to_string(m.Key));
    m.From->setFocus();
    QTest::keyClick(m.From, static_cast<Qt::Key>(m.Key));
    EXPECT_EQ(Focused(), m.To);
  }
}

TEST_F(CtrlMainTest, NavigationWrapsAtTheEnds) {
  // The last control of the tab chain goes on to the first.
  QWidget* last = Ui().ConnectBtn->previousInFocusChain();
  while (!(last->focusPolicy() & Qt::TabFocus)) last = last->previousInFocusChain();
  auto* lastEdit = qobject_cast<QLineEdit*>(last);
  ASSERT_NE(lastEdit, nullptr) << last->objectName().toStdString();
  lastEdit->setFocus();
  QTest::keyClick(lastEdit, Qt::Key_Down);
  EXPECT_EQ(Focused(), Ui().ConnectBtn);
}

TEST_F(CtrlMainTest, NavigationLeavesButtonsAndOtherKeysAlone) {
  for (QWidget* button : {static_cast<QWidget*>(Ui().ConnectBtn), static_cast<QWidget*>(Ui().LoopBtn)}) {
    for (int key : {int(Qt::Key_Down), int(Qt::Key_Up), int(Qt::Key_Return)}) {
      SCOPED_TRACE(button->objectName().toStdString() + " key " + std::to_string(key));
      button->setFocus();
      int k = key;
      EditKeyNavigate(Form.get(), k);
      EXPECT_EQ(k, key);
      EXPECT_EQ(Focused(), button);
    }
  }
  Ui().DataFileNameEd->setFocus();
  int k = Qt::Key_Left;
  EditKeyNavigate(Form.get(), k);
  EXPECT_EQ(k, Qt::Key_Left);
  // Typed characters reach the edit field untouched.
  Ui().DataFileNameEd->selectAll();
  QTest::keyClicks(Ui().DataFileNameEd, "Run2");
  EXPECT_EQ(Ui().DataFileNameEd->text(), "Run2");
}

TEST_F(CtrlMainTest, ScreenReaderFindsEveryControlByWhatItSpeaks) {
  EXPECT_EQ(AccessibleName(Ui().ConnectBtn), "Connect");
  EXPECT_EQ(AccessibleName(Ui().DiscBtn), "Disconnect");
  EXPECT_EQ(AccessibleName(Ui().LoopBtn), "Loop");
  EXPECT_EQ(AccessibleName(Ui().ViewBtn), "View results in text editor");
  EXPECT_EQ(AccessibleName(Ui().CoilModelEd), "Coil Model");
  EXPECT_EQ(AccessibleName(Ui().DataFileNameEd), "Data File Name (*.csv)");
  EXPECT_EQ(AccessibleName(Ui().StatusBar), "Ready...");
  Form->SetStatusText("Busy...");
  EXPECT_EQ(AccessibleName(Ui().StatusBar), "Busy...");
}

// With the recording server registered as the coil server.
class CtrlMainConnectTest : public CtrlMainTest {
protected:
  void SetUp() override {
    CtrlMainTest::SetUp();
    RecordingCoil::Reset();
    RecordingCoil::RegisterAsKeltCoil();
  }
  void Connect() { QTest::mouseClick(Ui().ConnectBtn, Qt::LeftButton); }
};

TEST_F(CtrlMainConnectTest, ConnectShowsTheModelAndDisconnectReleases) {
  Connect();
  EXPECT_TRUE(Dialogs.Messages.isEmpty()) << Dialogs.Messages.join("\n").toStdString();
  EXPECT_NE(Form->Coil(), nullptr);
  EXPECT_EQ(Ui().CoilModelEd->text(), "RC-TEST-COIL");
  EXPECT_EQ(RecordingCoil::LiveObjects(), 1);
  QTest::mouseClick(Ui().DiscBtn, Qt::LeftButton);
  EXPECT_EQ(Form->Coil(), nullptr);
  EXPECT_EQ(RecordingCoil::LiveObjects(), 0);
  EXPECT_EQ(Ui().CoilModelEd->text(), "Not connected...");
}

TEST_F(CtrlMainConnectTest, ConnectTwiceKeepsOnlyTheSecondServer) {
  Connect();
  IKeltCoil* first = Form->Coil();
  RecordingCoil::SetModel("SECOND-MODEL");
  Connect();
  EXPECT_NE(Form->Coil(), first);
  EXPECT_EQ(RecordingCoil::LiveObjects(), 1);
  EXPECT_EQ(Ui().CoilModelEd->text(), "SECOND-MODEL");
}

TEST_F(CtrlMainConnectTest, FailedCreationKeepsThePreviousConnection) {
  Connect();
  IKeltCoil* first = Form->Coil();
  TestSupport::ClearSettings();  // the class is no longer registered
  Connect();
  ASSERT_EQ(Dialogs.Messages.size(), 1);
  EXPECT_TRUE(Dialogs.Messages[0].startsWith("Class not registered"));
  EXPECT_EQ(Form->Coil(), first);
  EXPECT_EQ(RecordingCoil::LiveObjects(), 1);
  EXPECT_EQ(Ui().CoilModelEd->text(), "RC-TEST-COIL");
}

TEST_F(CtrlMainConnectTest, FailedModelReadKeepsTheNewConnectionAndTheOldText) {
  Connect();
  IKeltCoil* first = Form->Coil();
  RecordingCoil::SetModel("NEVER-SHOWN");
  RecordingCoil::FailOperation("get_CoilModel", 0, E_FAIL);
  Connect();
  ASSERT_EQ(Dialogs.Messages.size(), 1);
  EXPECT_EQ(Dialogs.Messages[0], "Unspecified error");
  EXPECT_NE(Form->Coil(), first);
  EXPECT_NE(Form->Coil(), nullptr);
  EXPECT_EQ(RecordingCoil::LiveObjects(), 1);
  EXPECT_EQ(Ui().CoilModelEd->text(), "RC-TEST-COIL");
}

TEST_F(CtrlMainConnectTest, DestroyingTheWindowReleasesTheServer) {
  Connect();
  Form.reset();
  EXPECT_EQ(RecordingCoil::LiveObjects(), 0);
}
