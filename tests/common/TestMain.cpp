#include <gtest/gtest.h>

#include <QApplication>

#include "TestSupport.h"

int main(int argc, char** argv) {
  TestSupport::TTestEnvironment environment;  // before Qt reads its environment
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
