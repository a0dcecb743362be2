#include "app/CommandLine.h"

#include <QCommandLineParser>

TCommandLine ReadCommandLine(const QStringList& arguments) {
  QCommandLineParser parser;
  // "-platform" is one of Qt's options, not the short options p, l, a ...
  // ("-graphicssystem" would otherwise hold an h and ask for the help).
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                QStringLiteral("Shows this help and exits."));
  const QCommandLineOption version(QStringLiteral("version"),
                                   QStringLiteral("Shows the program's version and exits."));
  const QCommandLineOption lang(QStringLiteral("lang"),
                                QStringLiteral("The window's language: de or en."),
                                QStringLiteral("de|en"));
  parser.addOptions({help, version, lang});
  // An option we do not know may be one of Qt's, and the word after it its
  // value; QApplication reads them.
  parser.parse(arguments);

  TCommandLine line;
  if (parser.isSet(version)) {
    line.action = TCommandLine::TAction::Version;
    return line;
  }
  if (parser.isSet(help)) {
    line.action = TCommandLine::TAction::Help;
    line.text = QStringLiteral(
        "Usage: weltnetz [options]\n"
        "Weltnetz shows the whole Earth in one of 62 map projections.\n\n"
        "Options:\n"
        "  -h, --help    Shows this help and exits.\n"
        "  --version     Shows the program's version and exits.\n"
        "  --lang de|en  The window's language, German or English. Without it, the\n"
        "                window speaks English in an English locale (LANG=en_US.UTF-8)\n"
        "                and German in any other.\n"
        "Qt's own options (for example -platform offscreen) are accepted too.\n");
    return line;
  }
  const bool langGiven = arguments.contains(QStringLiteral("--lang")) ||
                         arguments.contains(QStringLiteral("-lang"));
  if (parser.isSet(lang) || langGiven) {
    const QString value = parser.value(lang);
    line.language = LanguageOfCode(value);
    if (!line.language) {
      line.action = TCommandLine::TAction::Refuse;
      line.text = QStringLiteral("weltnetz: --lang: de or en expected, not \"%1\"").arg(value);
    }
  }
  return line;
}

TLanguage ChosenLanguage(const TCommandLine& line, const QLocale& system) {
  return line.language ? *line.language : LanguageOfLocale(system);
}
