// A fresh main window for each test, with message boxes caught instead of
// shown, and a folder of its own for the files it writes.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QTest>

#include <algorithm>
#include <memory>
#include <vector>

#include "app/ExportDialog.h"
#include "app/ImageExport.h"
#include "app/MapNavigation.h"
#include "app/eprojektion.h"
#include "mapimage/GxMapImageL.h"
#include "mapimage/MapRecipe.h"
#include "mapimage/MapRenderer.h"
#include "tests/map/TinyDisk.h"

// The save dialog's filters, as the window offers them.
inline QString JpegFilter() { return FilterOf(ImageFormat::Jpeg); }
inline QString BitmapFilter() { return FilterOf(ImageFormat::Bitmap); }
inline QString PngFilter() { return FilterOf(ImageFormat::Png); }

inline int MaxChannelDifference(QColor a, QColor b) {
  return std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                   std::abs(a.blue() - b.blue())});
}

// The recipe a written file carries, or nothing.
inline QString RecipeIn(const QString& file) {
  QString text, why;
  return ReadRecipeText(file, text, why) ? text : QString();
}

// The map a control draws at once with the window's parameters: what the
// window must show after it has drawn in the background.
inline QImage Reference(const Tprojeform& form) {
  TGxMapImageL map;
  map.resize(form.GxM1->size());
  map.setFont(form.GxM1->font());
  TGxProjectionL p = ProbeOf(form.GxPL1);
  map.MapSettings.GxProjection = &p;
  UseWindowColours(map.MapSettings);
  map.MapSettings.DrawColorMap = form.CB1->isChecked();
  map.MapSettings.DrawCoast = form.CB5->isChecked();
  map.MapSettings.DrawGrid = form.CB3->isChecked();
  map.MapSettings.Background = form.GxM1->MapSettings.Background;
  map.MapSettings.Tissot = form.GxM1->MapSettings.Tissot;
  map.Render();
  return map.MainMap();
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override { Open(); }

  // A new window, built under whatever translations are installed; `forget`
  // clears what an earlier window remembered, else it is the next start.
  void Open(bool forget = true) {
    form.reset();
    if (forget) QSettings().clear();
    form = std::make_unique<Tprojeform>();
    ASSERT_TRUE(form->WaitForDrawing());
    form->OnMessage = [this](const QString& title, const QString& text) {
      messages.emplace_back(title, text);
    };
  }

  // Exactly one message came since the last look, with this title and text.
  void ExpectOneMessage(const QString& title, const QString& part) {
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].first, title);
    EXPECT_TRUE(messages[0].second.contains(part)) << messages[0].second.toStdString();
    messages.clear();
  }

  // Waits for the background drawing; it must be the map drawn at once.
  void ExpectDrawnAsReference() {
    ASSERT_TRUE(form->WaitForDrawing());
    EXPECT_EQ(form->GxM1->MainMap(), Reference(*form));
  }

  // Item of the projection list that shows catalogue position `position`.
  static int Item(int position) { return position - 3; }
  QString Path(const QString& name) const { return QDir(dir.path()).filePath(name); }
  QStringList Entries() const { return ::Entries(dir.path()); }

  std::unique_ptr<Tprojeform> form;
  std::vector<std::pair<QString, QString>> messages;
  QTemporaryDir dir;
};

using ExportTest = WindowTest;
