// The window in German and in English: the choice of the language from the
// command line and the locale, the captions, help, messages and kind names
// in each, Qt's own dialogs along with them, and every caption inside its
// control.
#include <QAbstractButton>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSettings>

#include <memory>

#include "app/CommandLine.h"
#include "app/ExportDialog.h"
#include "app/Language.h"
#include "app/MapNavigation.h"
#include "tests/app/WindowFixture.h"

namespace {

const char* NameOf(TLanguage language) {
  return language == TLanguage::English ? "English" : "German";
}

// A fresh window built under the translations of one language, message
// boxes caught.
struct WindowIn {
  explicit WindowIn(TLanguage language) : translations(language) {
    QSettings().clear();
    form = std::make_unique<Tprojeform>();
    EXPECT_TRUE(form->WaitForDrawing());
    form->OnMessage = [this](const QString& title, const QString& text) {
      messages.emplace_back(title, text);
    };
  }
  TTranslations translations;
  std::unique_ptr<Tprojeform> form;
  std::vector<std::pair<QString, QString>> messages;
};

}  // namespace

TEST(Language, LocaleDecidesUnlessTheCommandLineDoes) {
  const std::pair<const char*, TLanguage> locales[] = {
      {"en_US", TLanguage::English}, {"en_GB", TLanguage::English}, {"en", TLanguage::English},
      {"de_DE", TLanguage::German},  {"de_CH", TLanguage::German},  {"fr_FR", TLanguage::German},
      {"C", TLanguage::German},
  };
  for (const auto& [name, language] : locales)
    EXPECT_EQ(LanguageOfLocale(QLocale(QString::fromLatin1(name))), language) << name;

  struct Case {
    QStringList arguments;
    TCommandLine::TAction action;
    std::optional<TLanguage> language;
  };
  using A = TCommandLine::TAction;
  const Case cases[] = {
      {{"weltnetz"}, A::Run, std::nullopt},
      {{"weltnetz", "--lang", "en"}, A::Run, TLanguage::English},
      {{"weltnetz", "--lang=de"}, A::Run, TLanguage::German},
      {{"weltnetz", "-lang", "en"}, A::Run, TLanguage::English},
      // Qt's options before and after ours, with their values.
      {{"weltnetz", "-platform", "offscreen", "--lang", "en", "-style", "fusion"},
       A::Run,
       TLanguage::English},
      // Qt's word options are not bundles of letters: no h for help here.
      {{"weltnetz", "-graphicssystem", "raster"}, A::Run, std::nullopt},
      {{"weltnetz", "--lang", "fr"}, A::Refuse, std::nullopt},
      {{"weltnetz", "--lang", "EN"}, A::Refuse, std::nullopt},
      {{"weltnetz", "--lang"}, A::Refuse, std::nullopt},
      {{"weltnetz", "--lang", "en", "--help"}, A::Help, std::nullopt},
      {{"weltnetz", "--version"}, A::Version, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments.join(' ').toStdString());
    const TCommandLine line = ReadCommandLine(c.arguments);
    EXPECT_EQ(line.action, c.action);
    if (c.action == A::Run) {
      EXPECT_EQ(line.language, c.language);
    }
    if (c.action == A::Refuse) {
      EXPECT_TRUE(line.text.startsWith("weltnetz: --lang:"));
    }
    if (c.action == A::Help) {
      EXPECT_TRUE(line.text.contains("--lang de|en"));
    }
  }
  // The option wins over the locale.
  const TCommandLine english = ReadCommandLine({"weltnetz", "--lang", "en"});
  EXPECT_EQ(ChosenLanguage(english, QLocale("de_DE")), TLanguage::English);
  const TCommandLine german = ReadCommandLine({"weltnetz", "--lang", "de"});
  EXPECT_EQ(ChosenLanguage(german, QLocale("en_US")), TLanguage::German);
  EXPECT_EQ(ChosenLanguage(ReadCommandLine({"weltnetz"}), QLocale("en_US")), TLanguage::English);
}

// The program itself: --lang is read before the window system is asked
// for anything, so a refused value and --help need no display (with none,
// the xcb platform would end the program before it could answer).
TEST(Language, ProgramReadsLangWithoutADisplay) {
  struct Case {
    QStringList arguments;
    int status;
    const char* says;
  };
  const Case cases[] = {
      {{"--lang", "fr"}, 2, "weltnetz: --lang: de or en expected, not \"fr\""},
      {{"--lang"}, 2, "weltnetz: --lang: de or en expected"},
      {{"--lang", "en", "--help"}, 0, "--lang de|en"},
  };
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) environment.remove(name);
  environment.insert("QT_QPA_PLATFORM", "xcb");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments.join(' ').toStdString());
    QProcess weltnetz;
    weltnetz.setProcessEnvironment(environment);
    weltnetz.start(QStringLiteral(WELTNETZ_TOOLS_DIR "/weltnetz"), c.arguments);
    ASSERT_TRUE(weltnetz.waitForFinished(30000));
    EXPECT_EQ(weltnetz.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(weltnetz.exitCode(), c.status);
    const QString said = weltnetz.readAllStandardOutput() + weltnetz.readAllStandardError();
    EXPECT_TRUE(said.contains(QString::fromUtf8(c.says))) << said.toStdString();
  }
}

// A few controls of each kind, the help, the read-out, a message with the
// map library's reason in it, the export dialog and the kind list.
TEST(Language, WindowSpeaksTheLanguageChosen) {
  const std::pair<const char*, const char*> expected[] = {
      {"farbige Erdkarte", "Colour map"},
      {"Darstellung", "Draw"},
      {"Radius", "Radius"},
      {"Neigung", "Tilt"},
      {"Randbeschnitt", "Clip lines"},
      {"Flächenverzerrung", "Area distortion"},
      {"Teilprogramm beenden", "Quit"},
      {"Die Küstenlinien zeigen", "Show the coastlines"},
      {"Weltnetz", "Weltnetz"},
      {"außerhalb der Karte", "off the map"},            // read-out beside the map
      {"50,00° N  25,00° O", "50.00° N  25.00° E"},     // read-out at the centre
      {"Flächenverzerrung", "Area distortion"},          // legend of the area map
      {"Karte exportieren / Exportieren", "Export map / Export"},
  };
  for (TLanguage language : {TLanguage::German, TLanguage::English}) {
    SCOPED_TRACE(NameOf(language));
    WindowIn w(language);
    const bool english = language == TLanguage::English;
    Tprojeform& f = *w.form;
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

    w.form->MHilfe->trigger();
    ASSERT_EQ(w.messages.size(), 1u);
    EXPECT_EQ(w.messages[0].first, english ? "Weltnetz – Help" : "Weltnetz – Hilfe");
    EXPECT_TRUE(w.messages[0].second.startsWith(english ? "Weltnetz shows the whole Earth"
                                                        : "Weltnetz zeigt die ganze Erde"));

    // The window's sentence and the map library's reason in one language:
    // the library writes English for the command-line tools, and the
    // German window has it translated.
    w.messages.clear();
    EXPECT_FALSE(w.form->SaveMapAs("/proc/weltnetz/karte.png", PngFilter()));
    ASSERT_EQ(w.messages.size(), 1u);
    const QString& text = w.messages[0].second;
    EXPECT_EQ(w.messages[0].first, english ? "Save map" : "Abbildung speichern");
    EXPECT_TRUE(text.startsWith(english ? "The map was not saved.\n"
                                          "cannot write /proc/weltnetz/karte.png: "
                                        : "Die Abbildung wurde nicht gespeichert.\n"
                                          "/proc/weltnetz/karte.png lässt sich nicht schreiben: "))
        << text.toStdString();

    // Every kind in the list: German as the catalogue has it, English as its
    // English column has it.
    ASSERT_EQ(w.form->CB2->count(), 62);
    for (int i = 0; i < w.form->CB2->count(); ++i) {
      const CatalogueEntry& e = CatalogueAt(i + kFirstListedPosition);
      const std::string_view name = english ? e.EnglishName : e.DisplayName;
      EXPECT_EQ(w.form->CB2->itemText(i).toStdString(), name) << i;
    }
  }
}

// Qt's own dialogs speak the window's language: the file dialog's overwrite
// question and the standard buttons. English needs nothing; German needs
// Qt's German translations (Debian: qt6-translations-l10n).
TEST(Language, QtsOwnDialogsFollow) {
  for (TLanguage language : {TLanguage::German, TLanguage::English}) {
    SCOPED_TRACE(NameOf(language));
    const TTranslations translations(language);
    EXPECT_TRUE(translations.QtTranslated());
    const bool english = language == TLanguage::English;
    const QString overwrite = QCoreApplication::translate(
        "QFileDialog", "%1 already exists.\nDo you want to replace it?");
    EXPECT_EQ(overwrite.contains("already exists"), english) << overwrite.toStdString();
    QDialogButtonBox buttons(QDialogButtonBox::Cancel | QDialogButtonBox::Save);
    EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text().remove('&'),
              english ? "Cancel" : "Abbrechen");
  }
}

// The captions must fit their controls in both languages: a longer English
// word would be cut off (the window has a fixed size).
TEST(Language, EveryCaptionFitsItsControl) {
  for (TLanguage language : {TLanguage::German, TLanguage::English}) {
    SCOPED_TRACE(NameOf(language));
    WindowIn w(language);
    for (QWidget* control : w.form->P1->findChildren<QWidget*>()) {
      QString text;
      if (auto* label = qobject_cast<QLabel*>(control)) text = label->text();
      if (auto* button = qobject_cast<QAbstractButton*>(control)) text = button->text();
      if (text.isEmpty()) continue;
      EXPECT_LE(control->sizeHint().width(), control->width())
          << control->objectName().toStdString() << ": " << text.toStdString();
    }
  }
}

// The language of the real start: the system locale as the environment
// sets it. Run by the ctest entries WindowInLocale.* (tests/CMakeLists.txt),
// each with its LANG and the language it expects.
TEST(SystemLocale, ChoosesTheWindowsLanguage) {
  const QByteArray expected = qgetenv("WELTNETZ_EXPECTED_LANGUAGE");
  ASSERT_TRUE(expected == "de" || expected == "en") << "run through ctest";
  const TLanguage language = ChosenLanguage(ReadCommandLine({"weltnetz"}), QLocale::system());
  EXPECT_EQ(language, expected == "en" ? TLanguage::English : TLanguage::German)
      << QLocale::system().name().toStdString();
  WindowIn w(language);
  EXPECT_EQ(w.form->D2->text(), expected == "en" ? "Draw" : "Darstellung");
  EXPECT_EQ(w.form->CB2->currentText(),
            expected == "en" ? "Azimuthal equidistant" : "Azimutale flächentreue Projektion");
}
