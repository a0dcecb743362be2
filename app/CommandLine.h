// The window's command line, read before the window system is asked for
// anything, so that --help, --version and a refused option need no display.
// Qt's own options (-platform offscreen, -style ...) are left to
// QApplication.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

#include "app/Language.h"

struct TCommandLine {
  enum class TAction { Run, Help, Version, Refuse };
  TAction action = TAction::Run;
  std::optional<TLanguage> language;  // --lang; else the system locale decides
  QString text;                       // the help, or why the line is refused
};

// Reads the arguments (the program's name first).
TCommandLine ReadCommandLine(const QStringList& arguments);

// The window's language: the one asked for, else the locale's.
TLanguage ChosenLanguage(const TCommandLine& line, const QLocale& system);
