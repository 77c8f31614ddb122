#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

#include <cstdlib>

int main(int argc, char** argv) {
  // Before Qt reads its environment: a private settings store and no display.
  QTemporaryDir configHome;
  if (!configHome.isValid()) return 2;
  ::setenv("XDG_CONFIG_HOME", (configHome.path() + "/user").toLocal8Bit().constData(), 1);
  ::setenv("XDG_CONFIG_DIRS", (configHome.path() + "/machine").toLocal8Bit().constData(), 1);
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
