// The window in German and in English: choosing the language, the texts,
// Qt's own dialogs and every caption inside its control.
#include <QDialogButtonBox>
#include <QPushButton>

#include "app/CommandLine.h"
#include "app/Language.h"
#include "tests/app/WindowFixture.h"

// A non-English locale means German; --lang wins; Qt's own options pass.
TEST(Language, LocaleDecidesUnlessTheCommandLineDoes) {
  const std::pair<const char*, TLanguage> locales[] = {
      {"en_GB", TLanguage::English}, {"en", TLanguage::English}, {"de_DE", TLanguage::German},
      {"fr_FR", TLanguage::German},  {"C", TLanguage::German}};
  for (const auto& [name, language] : locales)
    EXPECT_EQ(LanguageOfLocale(QLocale(QString::fromLatin1(name))), language) << name;
  using A = TCommandLine::TAction;
  const std::optional<TLanguage> none, en = TLanguage::English, de = TLanguage::German;
  const std::tuple<QStringList, A, std::optional<TLanguage>> cases[] = {
      {{"weltnetz"}, A::Run, none},
      {{"weltnetz", "--lang", "en"}, A::Run, en},
      {{"weltnetz", "--lang=de"}, A::Run, de},
      {{"weltnetz", "-lang", "en"}, A::Run, en},
      {{"weltnetz", "-platform", "offscreen", "--lang", "en", "-style", "fusion"}, A::Run, en},
      {{"weltnetz", "-graphicssystem", "raster"}, A::Run, none},  // no h for help in there
      {{"weltnetz", "--lang", "fr"}, A::Refuse, none},
      {{"weltnetz", "--lang", "EN"}, A::Refuse, none},
      {{"weltnetz", "--lang"}, A::Refuse, none},
      {{"weltnetz", "--lang", "en", "--help"}, A::Help, none},
      {{"weltnetz", "--version"}, A::Version, none}};
  for (const auto& [arguments, action, language] : cases) {
    SCOPED_TRACE(arguments.join(' ').toStdString());
    const TCommandLine line = ReadCommandLine(arguments);
    EXPECT_EQ(line.action, action);
    if (action == A::Run) { EXPECT_EQ(line.language, language); }
    if (action == A::Refuse) { EXPECT_TRUE(line.text.startsWith("weltnetz: --lang:")); }
    if (action == A::Help) { EXPECT_TRUE(line.text.contains("--lang de|en")); }
  }
  for (auto [arguments, locale, language] :
       {std::tuple{QStringList{"weltnetz", "--lang", "en"}, "de_DE", TLanguage::English},
        {QStringList{"weltnetz", "--lang", "de"}, "en_US", TLanguage::German},
        {QStringList{"weltnetz"}, "en_US", TLanguage::English}})
    EXPECT_EQ(ChosenLanguage(ReadCommandLine(arguments), QLocale(locale)), language) << locale;
}

// --lang is read before the window system is asked, so a refused value and
// --help need no display (xcb would end the program first).
TEST(Language, ProgramReadsLangWithoutADisplay) {
  const std::tuple<QStringList, int, const char*> cases[] = {
      {{"--lang", "fr"}, 2, "weltnetz: --lang: de or en expected, not \"fr\""},
      {{"--lang"}, 2, "weltnetz: --lang: de or en expected"},
      {{"--lang", "en", "--help"}, 0, "--lang de|en"}};
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) environment.remove(name);
  environment.insert("QT_QPA_PLATFORM", "xcb");
  for (const auto& [arguments, status, says] : cases) {
    SCOPED_TRACE(arguments.join(' ').toStdString());
    QProcess weltnetz;
    weltnetz.setProcessEnvironment(environment);
    weltnetz.start(QStringLiteral(WELTNETZ_TOOLS_DIR "/weltnetz"), arguments);
    ASSERT_TRUE(weltnetz.waitForFinished(30000));
    EXPECT_EQ(weltnetz.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(weltnetz.exitCode(), status);
    const QString said = weltnetz.readAllStandardOutput() + weltnetz.readAllStandardError();
    EXPECT_TRUE(said.contains(QString::fromUtf8(says))) << said.toStdString();
  }
}

using LanguageWindow = WindowTest;

// Controls, help, read-out, a library message, the export dialog, the kind
// list and Qt's own dialogs (German needs Debian's qt6-translations-l10n)
// speak the chosen language, and every caption fits its control.
TEST_F(LanguageWindow, SpeaksTheLanguageChosenAndEveryCaptionFits) {
  const std::pair<const char*, const char*> expected[] = {
      {"farbige Erdkarte", "Colour map"},  {"Darstellung", "Draw"},
      {"Radius", "Radius"},                {"Neigung", "Tilt"},
      {"Randbeschnitt", "Clip lines"},     {"Flächenverzerrung", "Area distortion"},
      {"Teilprogramm beenden", "Quit"},    {"Die Küstenlinien zeigen", "Show the coastlines"},
      {"Weltnetz", "Weltnetz"},            {"außerhalb der Karte", "off the map"},
      {"50,00° N  25,00° O", "50.00° N  25.00° E"},  // read-out at the centre
      {"Flächenverzerrung", "Area distortion"},      // legend of the area map
      {"Karte exportieren / Exportieren", "Export map / Export"}};
  for (TLanguage language : {TLanguage::German, TLanguage::English}) {
    const bool english = language == TLanguage::English;
    SCOPED_TRACE(english ? "English" : "German");
    const TTranslations translations(language);
    EXPECT_TRUE(translations.QtTranslated());
    Open();
    messages.clear();
    Tprojeform& f = *form;
    TGxProjectionL probe = ProbeOf(f.GxPL1);
    const TExportDialog* d = f.ExportWindow();
    const QStringList shown = {
        f.CB1->text(), f.D2->text(), f.L1->text(), f.L8->text(), f.CB7->text(), f.CB9->itemText(1),
        f.S7->toolTip(), f.CB5->toolTip(), f.windowTitle(), ReadoutText(probe, 0, 0),
        ReadoutText(probe, 264, 253), QCoreApplication::translate("Legend", "Flächenverzerrung"),
        d->windowTitle() + " / " + d->ExportButton->text()};
    ASSERT_EQ(shown.size(), std::ssize(expected));
    for (int i = 0; i < shown.size(); ++i)
      EXPECT_EQ(shown[i], QString::fromUtf8(english ? expected[i].second : expected[i].first)) << i;
    form->MHilfe->trigger();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].first, english ? "Weltnetz – Help" : "Weltnetz – Hilfe");
    EXPECT_TRUE(messages[0].second.startsWith(english ? "Weltnetz shows the whole Earth"
                                                      : "Weltnetz zeigt die ganze Erde"));
    // The library's English reasons are translated in the German window.
    messages.clear();
    EXPECT_FALSE(form->SaveMapAs("/proc/weltnetz/karte.png", PngFilter()));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].first, english ? "Save map" : "Abbildung speichern");
    EXPECT_TRUE(messages[0].second.startsWith(
        english ? "The map was not saved.\ncannot write /proc/weltnetz/karte.png: "
                : "Die Abbildung wurde nicht gespeichert.\n"
                  "/proc/weltnetz/karte.png lässt sich nicht schreiben: "))
        << messages[0].second.toStdString();
    // German kind names as the catalogue has them, English as its English column.
    ASSERT_EQ(f.CB2->count(), 62);
    for (int i = 0; i < f.CB2->count(); ++i) {
      const CatalogueEntry& e = CatalogueAt(i + kFirstListedPosition);
      EXPECT_EQ(f.CB2->itemText(i).toStdString(), english ? e.EnglishName : e.DisplayName) << i;
    }
    const QString overwrite = QCoreApplication::translate(
        "QFileDialog", "%1 already exists.\nDo you want to replace it?");
    EXPECT_EQ(overwrite.contains("already exists"), english) << overwrite.toStdString();
    QDialogButtonBox buttons(QDialogButtonBox::Cancel | QDialogButtonBox::Save);
    EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text().remove('&'),
              english ? "Cancel" : "Abbrechen");
    for (QWidget* control : f.P1->findChildren<QWidget*>()) {
      QString text;
      if (auto* label = qobject_cast<QLabel*>(control)) text = label->text();
      if (auto* button = qobject_cast<QAbstractButton*>(control)) text = button->text();
      if (text.isEmpty()) continue;
      EXPECT_LE(control->sizeHint().width(), control->width())
          << control->objectName().toStdString() << ": " << text.toStdString();
    }
  }
}

// The real start takes the system locale; run by ctest's WindowInLocale.*
// entries, each with its LANG and expected language.
using SystemLocale = WindowTest;
TEST_F(SystemLocale, ChoosesTheWindowsLanguage) {
  const QByteArray expected = qgetenv("WELTNETZ_EXPECTED_LANGUAGE");
  ASSERT_TRUE(expected == "de" || expected == "en") << "run through ctest";
  const TLanguage language = ChosenLanguage(ReadCommandLine({"weltnetz"}), QLocale::system());
  EXPECT_EQ(language, expected == "en" ? TLanguage::English : TLanguage::German)
      << QLocale::system().name().toStdString();
  const TTranslations translations(language);
  Open();
  EXPECT_EQ(form->D2->text(), expected == "en" ? "Draw" : "Darstellung");
  EXPECT_EQ(form->CB2->currentText(),
            expected == "en" ? "Azimuthal equidistant" : "Azimutale flächentreue Projektion");
}
