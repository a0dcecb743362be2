// The program's entry: one window, shown until the user closes it.
#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>

#include <cstdio>

#include <exception>
#include <memory>

#include "app/eprojektion.h"
#include "weltnetz/Version.h"

int main(int argc, char** argv) {
  // The options are read before the window system is asked for anything,
  // so that --help and --version work without a display.
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Weltnetz shows the whole Earth in one of 62 map projections."));
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                QStringLiteral("Shows this help and exits."));
  const QCommandLineOption version(QStringLiteral("version"),
                                   QStringLiteral("Shows the program's version and exits."));
  parser.addOption(help);
  parser.addOption(version);
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  // Qt's own options (-platform, -style ...) are left to QApplication.
  parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
  if (!parser.parse(arguments)) {
    // An option we do not know may be one of Qt's; QApplication reads it.
  }
  if (parser.isSet(version)) {
    std::printf("weltnetz %s\n", WELTNETZ_VERSION);
    return std::fflush(stdout) == 0 ? 0 : 1;
  }
  if (parser.isSet(help)) {
    std::printf("Usage: weltnetz [options]\n%s\n\nOptions:\n"
                "  -h, --help  Shows this help and exits.\n"
                "  --version   Shows the program's version and exits.\n"
                "Qt's own options (for example -platform offscreen) are accepted too.\n",
                qPrintable(parser.applicationDescription()));
    return std::fflush(stdout) == 0 ? 0 : 1;
  }

  QApplication app(argc, argv);
  QCoreApplication::setApplicationVersion(QStringLiteral(WELTNETZ_VERSION));
  QGuiApplication::setDesktopFileName(QStringLiteral("weltnetz"));
  QGuiApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("weltnetz")));
  QGuiApplication::setApplicationDisplayName(QStringLiteral("Weltnetz"));
  // Where the window remembers its last map (QSettings).
  QCoreApplication::setOrganizationName(QStringLiteral("Weltnetz"));
  QCoreApplication::setApplicationName(QStringLiteral("Weltnetz"));

  std::unique_ptr<Tprojeform> projeform;
  try {
    projeform = std::make_unique<Tprojeform>();
  } catch (const std::exception& e) {
    // The map control refuses to exist without its coastline data.
    QMessageBox::critical(nullptr, QStringLiteral("Weltnetz"),
                          QStringLiteral("Weltnetz kann nicht starten:\n%1")
                              .arg(QString::fromLocal8Bit(e.what())));
    return 1;
  }
  projeform->show();
  return app.exec();
}
