// The window tests need a QApplication; they run without a display.
#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  // Closing the window in a test must not end the others.
  QApplication::setQuitOnLastWindowClosed(false);
  // What the window remembers between starts goes to a folder of the
  // tests' own, empty at the start: every test window starts as specified.
  QTemporaryDir settingsDir;
  QCoreApplication::setOrganizationName(QStringLiteral("WeltnetzTest"));
  QCoreApplication::setApplicationName(QStringLiteral("WeltnetzTest"));
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
