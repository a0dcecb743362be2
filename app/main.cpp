// The program's entry: one window, shown until the user closes it.
#include <QApplication>
#include <QMessageBox>

#include <cstdio>

#include <exception>
#include <memory>

#include "app/CommandLine.h"
#include "app/Language.h"
#include "app/eprojektion.h"
#include "weltnetz/Version.h"

int main(int argc, char** argv) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  const TCommandLine line = ReadCommandLine(arguments);
  switch (line.action) {
    case TCommandLine::TAction::Version:
      std::printf("weltnetz %s\n", WELTNETZ_VERSION);
      return std::fflush(stdout) == 0 ? 0 : 1;
    case TCommandLine::TAction::Help:
      std::fputs(qPrintable(line.text), stdout);
      return std::fflush(stdout) == 0 ? 0 : 1;
    case TCommandLine::TAction::Refuse:
      std::fprintf(stderr, "%s\n", qPrintable(line.text));
      return 2;
    case TCommandLine::TAction::Run:
      break;
  }

  QApplication app(argc, argv);
  QCoreApplication::setApplicationVersion(QStringLiteral(WELTNETZ_VERSION));
  QGuiApplication::setDesktopFileName(QStringLiteral("weltnetz"));
  QGuiApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("weltnetz")));
  QGuiApplication::setApplicationDisplayName(QStringLiteral("Weltnetz"));
  // Where the window remembers its last map (QSettings).
  QCoreApplication::setOrganizationName(QStringLiteral("Weltnetz"));
  QCoreApplication::setApplicationName(QStringLiteral("Weltnetz"));
  // Before the window: its texts are translated as its controls are made.
  const TTranslations translations(ChosenLanguage(line, QLocale::system()));

  std::unique_ptr<Tprojeform> projeform;
  try {
    projeform = std::make_unique<Tprojeform>();
  } catch (const std::exception& e) {
    // The map control refuses to exist without its coastline data.
    QMessageBox::critical(nullptr, QStringLiteral("Weltnetz"),
                          QCoreApplication::translate("main", "Weltnetz kann nicht starten:\n%1")
                              .arg(QString::fromLocal8Bit(e.what())));
    return 1;
  }
  projeform->show();
  return app.exec();
}
