// The Qt Linguist files, so that a text added without its translation fails
// here rather than showing German in the English window.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTextStream>
#include <QXmlStreamReader>

#include "projection/Catalogue.h"

namespace {

// One .ts file and what lupdate reads for it (nothing for the written one).
struct TsFile {
  QString path;
  QStringList sources;
  bool written = false;  // by the build, from the catalogue
};

// The list the build writes (app/window.cmake): "key<TAB>value" lines.
struct TsSetup {
  QString lupdate, include;
  std::vector<TsFile> files;
};
TsSetup ReadSetup() {
  TsSetup setup;
  QFile list(QStringLiteral(WELTNETZ_TRANSLATION_FILES));
  if (!list.open(QIODevice::ReadOnly | QIODevice::Text)) return setup;
  QTextStream in(&list);
  for (QString line; in.readLineInto(&line);) {
    const qsizetype tab = line.indexOf('\t');
    if (tab < 0) continue;
    const QString key = line.left(tab), value = line.mid(tab + 1);
    if (key == "lupdate") setup.lupdate = value;
    if (key == "include") setup.include = value;
    if (key == "ts" || key == "written") setup.files.push_back({value, {}, key == "written"});
    if (key == "source" && !setup.files.empty()) setup.files.back().sources << value;
  }
  return setup;
}

QSet<QString> Placeholders(const QString& text) {
  static const QRegularExpression marker(QStringLiteral("%(\\d+|n)"));
  QSet<QString> found;
  for (auto it = marker.globalMatch(text); it.hasNext();) found << it.next().captured();
  return found;
}

struct Contents {
  QString language, sourceLanguage;
  int messages = 0;
  QStringList faults;  // one line per entry that is not done
};

// Reads a .ts file and names every entry that is unfinished, obsolete or
// vanished, empty, or whose translation lost or gained a placeholder.
Contents Read(const QString& path) {
  Contents c;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {{}, {}, 0, {QStringLiteral("cannot be read")}};
  QXmlStreamReader xml(&file);
  QString context, source, state;
  QStringList translations;
  while (!xml.atEnd()) {
    xml.readNext();
    if (xml.isStartElement()) {
      const auto name = xml.name();
      if (name == QLatin1String("TS")) {
        c.language = xml.attributes().value("language").toString();
        c.sourceLanguage = xml.attributes().value("sourcelanguage").toString();
      } else if (name == QLatin1String("name")) {
        context = xml.readElementText();
      } else if (name == QLatin1String("source")) {
        source = xml.readElementText();
      } else if (name == QLatin1String("translation")) {
        state = xml.attributes().value("type").toString();
        translations << xml.readElementText(QXmlStreamReader::IncludeChildElements);
      }
    } else if (xml.isEndElement() && xml.name() == QLatin1String("message")) {
      ++c.messages;
      const QString where = QStringLiteral("%1: \"%2\"").arg(context, source.left(60));
      if (!state.isEmpty())
        c.faults << where + QStringLiteral(" is ") + state;
      else if (translations.isEmpty() || translations.contains(QString()))
        c.faults << where + QStringLiteral(" has no translation");
      else if (Placeholders(translations.front()) != Placeholders(source))
        c.faults << where + QStringLiteral(" has other placeholders in ") + translations.front();
      source.clear(), state.clear(), translations.clear();
    }
  }
  if (xml.hasError()) c.faults << QStringLiteral("XML: ") + xml.errorString();
  return c;
}

}  // namespace

// Every entry translated into the right language, and lupdate on a copy finds
// no text added or gone (mend: `--target update_translations`, Qt Linguist).
TEST(TranslationFiles, EveryEntryTranslatedAndUpToDate) {
  const TsSetup setup = ReadSetup();
  ASSERT_EQ(setup.files.size(), 3u) << WELTNETZ_TRANSLATION_FILES;
  ASSERT_FALSE(setup.lupdate.isEmpty());
  QTemporaryDir scratch;
  ASSERT_TRUE(scratch.isValid());
  for (const TsFile& f : setup.files) {
    SCOPED_TRACE(f.path.toStdString());
    const Contents c = Read(f.path);
    EXPECT_GT(c.messages, 0);
    EXPECT_TRUE(c.faults.isEmpty()) << c.faults.join('\n').toStdString();
    // The window and kind names go from German to English, the library the other way.
    const bool intoGerman = QFileInfo(f.path).fileName() == "weltnetz_de.ts";
    EXPECT_EQ(c.language, intoGerman ? "de" : "en");
    EXPECT_EQ(c.sourceLanguage, intoGerman ? "en" : "de");
    if (f.written) {
      EXPECT_EQ(c.messages, kListCount);
      continue;
    }
    const QString copy = QDir(scratch.path()).filePath(QFileInfo(f.path).fileName());
    ASSERT_TRUE(QFile::copy(f.path, copy));
    QProcess lupdate;
    lupdate.start(setup.lupdate, QStringList{"-silent", "-locations", "none", "-I", setup.include}
                                     << f.sources << "-ts" << copy);
    ASSERT_TRUE(lupdate.waitForFinished(120000));
    ASSERT_EQ(lupdate.exitCode(), 0) << lupdate.readAllStandardError().toStdString();
    const Contents after = Read(copy);
    EXPECT_TRUE(after.faults.isEmpty()) << after.faults.join('\n').toStdString();
    EXPECT_EQ(after.messages, c.messages);
  }
}
