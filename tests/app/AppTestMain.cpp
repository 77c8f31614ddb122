#include <gtest/gtest.h>

#include "Application.h"
#include "TestSupport.h"

// The main window's tests run under the program's own application object, so
// that an error escaping a handler reaches the default error report.
int main(int argc, char** argv) {
  TestSupport::TTestEnvironment environment;
  TApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
