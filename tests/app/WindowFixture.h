// A fresh main window for each test, with message boxes caught instead of
// shown, and a folder of its own for the files it writes.
#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QSettings>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <utility>
#include <vector>

#include "app/ImageExport.h"
#include "app/eprojektion.h"

// The save dialog's filters, as the window offers them.
inline QString JpegFilter() { return FilterOf(ImageFormat::Jpeg); }
inline QString BitmapFilter() { return FilterOf(ImageFormat::Bitmap); }
inline QString PngFilter() { return FilterOf(ImageFormat::Png); }

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QSettings().clear();  // what an earlier test's window remembered
    form = std::make_unique<Tprojeform>();
    ASSERT_TRUE(form->WaitForDrawing());
    form->OnMessage = [this](const QString& title, const QString& text) {
      messages.emplace_back(title, text);
    };
  }

  // Item of the projection list that shows catalogue position `position`.
  static int Item(int position) { return position - 3; }
  QString Path(const QString& name) const { return QDir(dir.path()).filePath(name); }
  QStringList Entries() const {
    return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
  }

  std::unique_ptr<Tprojeform> form;
  std::vector<std::pair<QString, QString>> messages;
  QTemporaryDir dir;
};

using ExportTest = WindowTest;
