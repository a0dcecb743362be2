// The window's two languages. Its texts are written in German, the language
// of the window as first made; English comes from Qt Linguist translations
// compiled into the program (translations/ in the sources). The names of the
// projection kinds come from the engine's catalogue in both languages.
#pragma once

#include <QLocale>
#include <QString>
#include <QStringView>

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "projection/Catalogue.h"

class QTranslator;

enum class TLanguage { German, English };

// The language for a locale: English for the English ones ("en", "en_US",
// "en_GB", ...), German for every other, the C locale (no locale set)
// included, so that an unset or German locale shows the German window.
TLanguage LanguageOfLocale(const QLocale& locale);

// The language of a --lang value: "de" or "en"; nothing for any other.
std::optional<TLanguage> LanguageOfCode(QStringView code);

// Installs the translations of a language into the application: the
// window's, the engine's kind names and Qt's own for its dialogs (the file
// dialog's buttons, the overwrite question). German needs only the map
// library's messages, which are written in English because the command-line
// tools print them, and Qt's German. Made before the window is built, as
// texts are translated when a control is made; removed with this object.
class TTranslations {
 public:
  explicit TTranslations(TLanguage language);
  ~TTranslations();
  TTranslations(const TTranslations&) = delete;
  TTranslations& operator=(const TTranslations&) = delete;

  // False when Qt's own translations were not found (Debian package
  // qt6-translations-l10n): the window then speaks its language, and Qt's
  // dialogs English.
  bool QtTranslated() const { return qtTranslated_; }

 private:
  bool Install(const QString& name, const QString& folder);

  TLanguage previous_;
  std::vector<std::unique_ptr<QTranslator>> installed_;
  bool qtTranslated_ = true;
};

// The language the installed translations speak; German while none are.
TLanguage CurrentLanguage();

// Numbers as the language writes them: "52,52" in German, "52.52" in English.
QLocale NumberLocale(TLanguage language);

// A kind's German display name (the catalogue's) in the current language.
QString KindName(std::string_view displayName);
// The display name of a kind in the current language; empty for the kinds
// the window does not offer (the grid kinds, mpPutnins2).
QString KindNameOf(TProjection kind);
