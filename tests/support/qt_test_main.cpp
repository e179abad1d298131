// Entry point of the suites that need the desktop layer: an application object on the offscreen
// platform, so the tests (and their listing) run without a display; assertion traps throw.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "foundation/assertion.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  SetAssertHandler(ThrowingAssertHandler);
  testing::InitGoogleTest(&argc, argv);
  QApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
