// The program's entry: one window, shown until the user closes it.
#include <QApplication>
#include <QMessageBox>

#include <exception>
#include <memory>

#include "app/eprojektion.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
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
