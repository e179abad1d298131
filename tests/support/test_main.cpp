// Test entry point: assertion traps throw, so a test can expect one and a stray one fails only
// its own test.
#include <gtest/gtest.h>

#include "foundation/assertion.h"

int main(int argc, char** argv) {
  SetAssertHandler(ThrowingAssertHandler);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
