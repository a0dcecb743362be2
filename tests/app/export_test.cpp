// Saving and copying the drawn map, with the save dialog bypassed: the files
// are read back, and failures must be reported without leaving files behind.
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdlib>

#include "app/ImageExport.h"
#include "tests/app/WindowFixture.h"

namespace {

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int MaxChannelDifference(const QColor& a, const QColor& b) {
  return std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                   std::abs(a.blue() - b.blue())});
}

class ExportTest : public WindowTest {
 protected:
  QString Path(const QString& name) const { return QDir(dir.path()).filePath(name); }
  QStringList Entries() const {
    return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
  }
  QTemporaryDir dir;
};

}  // namespace

TEST_F(ExportTest, EachFormatReadsBackAsTheMap) {
  struct Case {
    QString filter, chosen, written;
    int tolerance;  // per channel; JPEG at quality 100 is close, not exact
  };
  const Case cases[] = {
      {kFilterJpeg, "karte", "karte", 12},  // the JPEG name is taken exactly as given
      {kFilterBitmap, "karte", "karte.bmp", 0},
      {kFilterPng, "karte", "karte.png", 0},
  };
  const QImage& map = form->GxM1->MainMap();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.filter.toStdString());
    ASSERT_TRUE(form->SaveMapAs(Path(c.chosen), c.filter));
    const QImage back(Path(c.written));
    ASSERT_EQ(back.size(), QSize(528, 507));
    for (const QPoint at : {QPoint(0, 0), QPoint(264, 253), QPoint(200, 180), QPoint(527, 506)})
      EXPECT_LE(MaxChannelDifference(back.pixelColor(at), map.pixelColor(at)), c.tolerance);
    ASSERT_TRUE(QFile::remove(Path(c.written)));
  }
  EXPECT_TRUE(messages.empty());
  EXPECT_TRUE(Entries().isEmpty());
}

TEST_F(ExportTest, BitmapIsA24BitWindowsBitmap) {
  ASSERT_TRUE(form->SaveMapAs(Path("karte"), kFilterBitmap));
  const QByteArray b = ReadAll(Path("karte.bmp"));
  ASSERT_GT(b.size(), 54);
  auto u16 = [&](int at) { return quint8(b[at]) | quint8(b[at + 1]) << 8; };
  auto u32 = [&](int at) { return u16(at) | u16(at + 2) << 16; };
  EXPECT_EQ(b.left(2), "BM");
  EXPECT_EQ(u32(18), 528);
  EXPECT_EQ(u32(22), 507);
  EXPECT_EQ(u16(28), 24);  // bits per pixel
  EXPECT_EQ(u32(30), 0);   // uncompressed
  // Rows of 528 * 3 = 1584 bytes, already a multiple of four.
  EXPECT_EQ(b.size(), qsizetype(u32(10)) + 1584 * 507);
}

TEST_F(ExportTest, JpegIsBaselineAtQualityHundred) {
  ASSERT_TRUE(form->SaveMapAs(Path("karte.jpg"), kFilterJpeg));
  const QByteArray b = ReadAll(Path("karte.jpg"));
  ASSERT_GT(b.size(), 4);
  bool baseline = false, progressive = false, sawTable = false;
  // Walk the marker segments up to the start of the scan.
  for (qsizetype at = 2; at + 4 <= b.size() && quint8(b[at]) == 0xFF;) {
    const int marker = quint8(b[at + 1]);
    const int length = quint8(b[at + 2]) << 8 | quint8(b[at + 3]);
    if (marker == 0xC0) baseline = true;
    if (marker == 0xC2) progressive = true;
    if (marker == 0xDB) {
      // Quality 100 scales every quantisation step down to 1.
      for (qsizetype t = at + 4; t + 65 <= at + 2 + length; t += 65) {
        ASSERT_EQ(quint8(b[t]) >> 4, 0);  // 8-bit entries
        for (int k = 1; k <= 64; ++k) EXPECT_EQ(quint8(b[t + k]), 1);
        sawTable = true;
      }
    }
    if (marker == 0xDA) break;
    at += 2 + length;
  }
  EXPECT_TRUE(baseline);
  EXPECT_FALSE(progressive);
  EXPECT_TRUE(sawTable);
}

TEST_F(ExportTest, BitmapSuffixIsAddedOnlyWhenMissing) {
  const std::pair<QString, QString> names[] = {
      {"map", "map.bmp"},         {"map.bmp", "map.bmp"},
      {"MAP.BMP", "MAP.BMP"},     {"map.Bmp", "map.Bmp"},
      {"map.jpg", "map.jpg.bmp"}, {"map.bmp.x", "map.bmp.x.bmp"},
  };
  for (const auto& [chosen, written] : names)
    EXPECT_EQ(ExportFileName(chosen, ImageFileType::Bitmap), written) << chosen.toStdString();
  EXPECT_EQ(ExportFileName("map", ImageFileType::Png), "map.png");
  EXPECT_EQ(ExportFileName("map.bmp", ImageFileType::Jpeg), "map.bmp");

  ASSERT_TRUE(form->SaveMapAs(Path("map.bmp"), kFilterBitmap));
  EXPECT_EQ(Entries(), QStringList{"map.bmp"});
}

TEST_F(ExportTest, UnwritableTargetIsReportedAndLeavesNothing) {
  QFile plain(Path("plain.txt"));
  ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
  plain.close();
  const std::pair<QString, QString> formats[] = {
      {kFilterJpeg, "jpg"}, {kFilterBitmap, "bmp"}, {kFilterPng, "png"}};
  for (const auto& [filter, suffix] : formats) ASSERT_TRUE(QDir(dir.path()).mkdir("folder." + suffix));
  const QStringList before = Entries();
  for (const auto& [filter, suffix] : formats) {
    const QString targets[] = {
        Path("missing/map." + suffix),    // no such folder
        Path("plain.txt/map." + suffix),  // a file where a folder should be
        Path("folder." + suffix),         // a folder under the chosen name
    };
    for (const QString& target : targets) {
      SCOPED_TRACE(target.toStdString());
      messages.clear();
      EXPECT_FALSE(form->SaveMapAs(target, filter));
      ASSERT_EQ(messages.size(), 1u);
      EXPECT_EQ(messages[0].first, "Abbildung speichern");
      EXPECT_TRUE(messages[0].second.contains("cannot write"));
    }
  }
  EXPECT_EQ(Entries(), before);  // no temporary file left beside the targets
  EXPECT_EQ(QFileInfo(Path("plain.txt")).size(), 0);

  form->D2->click();  // the window carries on
  EXPECT_EQ(form->L6->text(), "100 %");
}

TEST_F(ExportTest, ReadOnlyFolderIsReportedAndLeavesNothing) {
  ASSERT_TRUE(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
  QFile probe(Path("probe"));
  if (probe.open(QIODevice::WriteOnly)) {  // the superuser writes anyway
    probe.remove();
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    GTEST_SKIP() << "permissions are not enforced for this user";
  }
  for (const QString& filter : {kFilterJpeg, kFilterBitmap, kFilterPng})
    EXPECT_FALSE(form->SaveMapAs(Path("map"), filter));
  EXPECT_EQ(messages.size(), 3u);
  EXPECT_TRUE(Entries().isEmpty());
  QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST_F(ExportTest, CopyPutsTheMapOnTheClipboard) {
  QGuiApplication::clipboard()->clear();
  form->S4->click();
  const QImage copied = QGuiApplication::clipboard()->image();
  ASSERT_EQ(copied.size(), QSize(528, 507));
  EXPECT_EQ(copied.pixelColor(264, 253), form->GxM1->MainMap().pixelColor(264, 253));
  EXPECT_TRUE(messages.empty());
}

TEST_F(ExportTest, ClipboardThatCannotBeOpenedIsReported) {
  form->ClipboardWriter = [](const QImage&) { return QString("the clipboard is locked"); };
  form->S4->click();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].first, "Abbildung kopieren");
  EXPECT_TRUE(messages[0].second.contains("the clipboard is locked"));
  form->D2->click();
  EXPECT_EQ(form->L6->text(), "100 %");
}
