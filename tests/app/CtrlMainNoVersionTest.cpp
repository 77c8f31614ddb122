#include <gtest/gtest.h>

#include <QListWidget>

#include "CtrlMain.h"
#include "TestSupport.h"
#include "ui_CtrlMain.h"

// Without a version block the caption step raises: the error is reported and
// creation stops there, so the window keeps its design caption, the loop list
// stays empty and the status line blank.
TEST(CtrlMainNoVersionTest, CreationStopsAtTheCaption) {
  TestSupport::TRecordingDialogs dialogs;
  TControlForm form;
  ASSERT_EQ(dialogs.Messages.size(), 1);
  EXPECT_EQ(dialogs.Messages[0], "No Version Info Available.");
  EXPECT_EQ(form.windowTitle(), "Brin Controller");
  EXPECT_FALSE(ExeDir.empty());  // the step before it ran
  EXPECT_EQ(form.Form()->LoopList->count(), 0);
  EXPECT_EQ(form.StatusText(), "");
}
