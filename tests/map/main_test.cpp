// Entry of the map tests: the map control is a widget and needs a widget application
// object; no test needs a screen.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
  ::testing::InitGoogleTest(&argc, argv);
  // ctest sets the platform for the tests, but not for the listing of tests
  // that the build runs.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
