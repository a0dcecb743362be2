#include "app/Language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <string>

namespace {

// Where the build puts the compiled translations (qt_add_resources in
// app/window.cmake): no files beside the program are needed.
const QString kOwnTranslations = QStringLiteral(":/i18n");

// The context of the kind names in translations/weltnetz_kinds_en.ts, which
// the build writes from the catalogue.
constexpr char kKindContext[] = "Projection";

TLanguage current = TLanguage::German;

}  // namespace

TLanguage LanguageOfLocale(const QLocale& locale) {
  return locale.name().startsWith(QLatin1String("en")) ? TLanguage::English : TLanguage::German;
}

std::optional<TLanguage> LanguageOfCode(QStringView code) {
  if (code == QLatin1String("de")) return TLanguage::German;
  if (code == QLatin1String("en")) return TLanguage::English;
  return std::nullopt;
}

TTranslations::TTranslations(TLanguage language) : previous_(current) {
  if (language == TLanguage::English) {
    Install(QStringLiteral("weltnetz_en"), kOwnTranslations);
    Install(QStringLiteral("weltnetz_kinds_en"), kOwnTranslations);
  } else {
    // Qt's own texts are English: only German needs them translated.
    Install(QStringLiteral("weltnetz_de"), kOwnTranslations);
    qtTranslated_ = Install(QStringLiteral("qtbase_de"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath));
  }
  current = language;
}

TTranslations::~TTranslations() {
  for (const auto& translator : installed_) QCoreApplication::removeTranslator(translator.get());
  current = previous_;
}

bool TTranslations::Install(const QString& name, const QString& folder) {
  auto translator = std::make_unique<QTranslator>();
  if (!translator->load(name, folder)) {
    qWarning("Weltnetz: no translation %s in %s", qPrintable(name), qPrintable(folder));
    return false;
  }
  if (!QCoreApplication::installTranslator(translator.get())) return false;
  installed_.push_back(std::move(translator));
  return true;
}

TLanguage CurrentLanguage() { return current; }

QLocale NumberLocale(TLanguage language) {
  return language == TLanguage::English ? QLocale(QLocale::English, QLocale::UnitedStates)
                                        : QLocale(QLocale::German, QLocale::Germany);
}

QString KindName(std::string_view displayName) {
  return QCoreApplication::translate(kKindContext, std::string(displayName).c_str());
}

QString KindNameOf(TProjection kind) {
  const CatalogueEntry& entry = CatalogueAt(ListPositionOf(kind));
  if (entry.Kind != kind || IsGridKind(kind)) return {};
  return KindName(entry.DisplayName);
}
