// Saving and copying the drawn map, with the save dialog bypassed: the files
// are read back, and failures must be reported without leaving files behind.
#include <QClipboard>
#include <QGuiApplication>

#include "tests/app/WindowFixture.h"

// Each format holds the window's map and its recipe, in the layout promised.
TEST_F(ExportTest, EachFormatReadsBackAsTheMap) {
  struct Case {
    QString filter, written;
    int tolerance;  // per channel; JPEG at quality 100 is close, not exact
  };
  const QImage& map = form->GxM1->MainMap();
  // The JPEG name is taken exactly as given.
  for (const Case& c : {Case{JpegFilter(), "karte", 12}, Case{BitmapFilter(), "karte.bmp", 0},
                        Case{PngFilter(), "karte.png", 0}}) {
    SCOPED_TRACE(c.filter.toStdString());
    ASSERT_TRUE(form->SaveMapAs(Path("karte"), c.filter));
    const QImage back(Path(c.written));
    ASSERT_EQ(back.size(), QSize(528, 507));
    for (const QPoint at : {QPoint(0, 0), QPoint(264, 253), QPoint(200, 180), QPoint(527, 506)})
      EXPECT_LE(MaxChannelDifference(back.pixelColor(at), map.pixelColor(at)), c.tolerance);
  }
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(Entries(), (QStringList{"karte", "karte.bmp", "karte.png"}));
  const QString recipe = RecipeIn(Path("karte.png"));
  for (const char* line : {"\nsize=528x507\n", "\npicture=standard\n", "\ncentre=264,253\n"})
    EXPECT_TRUE(recipe.contains(line)) << recipe.toStdString();

  // A 24-bit uncompressed Windows bitmap; rows of 528 * 3 = 1584 bytes need no padding.
  const QByteArray b = FileBytes(Path("karte.bmp"));
  ASSERT_GT(b.size(), 54);
  auto u16 = [&](int at) { return quint8(b[at]) | quint8(b[at + 1]) << 8; };
  auto u32 = [&](int at) { return u16(at) | u16(at + 2) << 16; };
  EXPECT_EQ(b.left(2), "BM");
  EXPECT_EQ((std::vector<int>{u32(18), u32(22), u16(28), u32(30)}),
            (std::vector<int>{528, 507, 24, 0}));
  EXPECT_EQ(b.size(), qsizetype(u32(10)) + 1584 * 507);

  // A baseline JPEG whose quality of 100 scales every quantisation step down to 1.
  const QByteArray j = FileBytes(Path("karte"));
  EXPECT_TRUE(j.contains("\xFF\xC0"));
  EXPECT_FALSE(j.contains("\xFF\xC2"));
  int tables = 0;
  for (qsizetype at = j.indexOf("\xFF\xDB"); at >= 0 && at + 4 <= j.size();
       at = j.indexOf("\xFF\xDB", at + 2)) {
    const int length = quint8(j[at + 2]) << 8 | quint8(j[at + 3]);
    for (qsizetype t = at + 4; t + 65 <= std::min(at + 2 + length, j.size()); t += 65, ++tables) {
      EXPECT_EQ(quint8(j[t]) >> 4, 0);  // 8-bit entries
      for (int k = 1; k <= 64; ++k) EXPECT_EQ(quint8(j[t + k]), 1);
    }
  }
  EXPECT_GT(tables, 0);
}

// A known extension decides the format; else the filter, adding its suffix.
TEST_F(ExportTest, FormatFollowsAKnownExtensionElseTheFilter) {
  using F = ImageFormat;
  const std::tuple<const char*, QString, const char*, ImageFormat> cases[] = {
      {"map", BitmapFilter(), "map.bmp", F::Bitmap},
      {"map.jpg", BitmapFilter(), "map.jpg", F::Jpeg},
      {"map.bmp.x", BitmapFilter(), "map.bmp.x.bmp", F::Bitmap},
      {"karte", JpegFilter(), "karte", F::Jpeg},   {"e.png", JpegFilter(), "e.png", F::Png},
      {"e.Bmp", PngFilter(), "e.Bmp", F::Bitmap},  {"e.jpeg", PngFilter(), "e.jpeg", F::Jpeg},
      {"map", PngFilter(), "map.png", F::Png}, {"map", "Alle Dateien (*)", "map.bmp", F::Bitmap}};
  for (const auto& [chosen, filter, written, format] : cases) {
    const ExportTarget t = ExportTargetOf(chosen, filter);
    EXPECT_EQ(t.fileName, written) << chosen;
    EXPECT_EQ(t.format, format) << chosen;
  }

  // The bytes on disk are of the format the name promises.
  for (const auto& [name, filter, magic] : {std::tuple{"e.png", JpegFilter(), "\x89PNG\r\n"},
                                            {"e.jpg", PngFilter(), "\xFF\xD8\xFF"},
                                            {"e.bmp", JpegFilter(), "BM"}}) {
    ASSERT_TRUE(form->SaveMapAs(Path(name), filter)) << name;
    EXPECT_TRUE(FileBytes(Path(name)).startsWith(magic)) << name;
  }
  EXPECT_EQ(Entries(), (QStringList{"e.bmp", "e.jpg", "e.png"}));
}

// Unwritable targets (procfs stands in for a folder root may not write) leave
// nothing; the writer's own reasons: ImageFile.FailedWriteNamesTheReason...
TEST_F(ExportTest, UnwritableTargetIsReportedAndLeavesNothing) {
  const std::pair<QString, QString> formats[] = {
      {JpegFilter(), "jpg"}, {BitmapFilter(), "bmp"}, {PngFilter(), "png"}};
  for (const auto& [filter, suffix] : formats)
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder." + suffix));
  const QStringList before = Entries();
  for (const auto& [filter, suffix] : formats) {
    const QString targets[] = {
        Path("missing/map." + suffix),   // no such folder
        Path("folder." + suffix),        // a folder under the chosen name
        "/proc/weltnetz-map." + suffix,  // a folder that takes no new file
    };
    for (const QString& target : targets) {
      SCOPED_TRACE(target.toStdString());
      EXPECT_FALSE(form->SaveMapAs(target, filter));
      ExpectOneMessage("Abbildung speichern", "cannot write");
    }
  }
  EXPECT_EQ(Entries(), before);  // no temporary file left beside the targets
  form->D2->click();  // the window carries on
  EXPECT_EQ(form->L6->text(), "100 %");
}

// A clipboard that refuses the picture is reported; the window carries on.
TEST_F(ExportTest, CopyPutsTheMapOnTheClipboardOrReportsWhyNot) {
  QGuiApplication::clipboard()->clear();
  form->S4->click();
  const QImage copied = QGuiApplication::clipboard()->image();
  ASSERT_EQ(copied.size(), QSize(528, 507));
  EXPECT_EQ(copied.pixelColor(264, 253), form->GxM1->MainMap().pixelColor(264, 253));
  EXPECT_TRUE(messages.empty());

  form->ClipboardWriter = [](const QImage&) { return QString("the clipboard is locked"); };
  form->S4->click();
  ExpectOneMessage("Abbildung kopieren", "the clipboard is locked");
  form->D2->click();
  EXPECT_EQ(form->L6->text(), "100 %");
}
