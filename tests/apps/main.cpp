// Runs the window tests inside a QApplication on Qt's offscreen platform
// (CTest sets it; it is the default here too, so that the executable also
// runs by hand on a machine without a display).
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Listing the tests (CTest's discovery) needs no application.
  if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
