// main() of the window tests: they run inside one QApplication on the offscreen platform, which outlives
// every window and is gone before the program's static objects are.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);  // also when the test list is asked for without a display
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
