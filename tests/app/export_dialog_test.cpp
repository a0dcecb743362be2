// The window's export dialog and its Earth pictures, driven as a user does.
#include <QComboBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>

#include "tests/app/WindowFixture.h"

namespace {

int Index(TEarthPicture p) { return static_cast<int>(p); }

void Type(QLineEdit* edit, const QString& text) {
  edit->selectAll();
  edit->del();
  QTest::keyClicks(edit, text);
}

void TypeSize(TExportDialog* d, const QString& width, const QString& height) {
  Type(d->WidthEdit, width);
  Type(d->HeightEdit, height);
}

// Starts an export with the dialog's fields as they are and waits for it:
// {written, cancelled, message}, or nothing when it did not start.
QVariantList Export(TExportDialog* d) {
  QSignalSpy finished(d, &TExportDialog::Finished);
  if (!d->Start()) return {};
  EXPECT_TRUE(d->WaitUntilDone());
  EXPECT_EQ(finished.size(), 1);
  return finished.isEmpty() ? QVariantList() : finished[0];
}

// Pixels of the red picture (the start-up map's Earth covers about 70,000).
int RedPixels(const QImage& map) {
  int n = 0;
  for (int y = 0; y < map.height(); ++y)
    for (int x = 0; x < map.width(); ++x)
      n += MaxChannelDifference(map.pixelColor(x, y), QColor(220, 20, 30)) < 6;
  return n;
}

}  // namespace

// The dialog starts at the map's size; a larger one brings the detailed
// picture unless the user chose one.
TEST_F(ExportTest, ExportButtonOpensTheDialogWithTheWindowsMapSize) {
  form->S8->click();
  TExportDialog* d = form->ExportWindow();
  EXPECT_TRUE(d->isVisible());
  EXPECT_EQ(d->WidthEdit->text(), "528");
  EXPECT_EQ(d->HeightEdit->text(), "507");
  EXPECT_EQ(d->PictureChoice->currentIndex(), Index(TEarthPicture::Standard));

  Type(d->WidthEdit, "1056");
  EXPECT_EQ(d->PictureChoice->currentIndex(), Index(TEarthPicture::Detail));
  Type(d->WidthEdit, "528");
  EXPECT_EQ(d->PictureChoice->currentIndex(), Index(TEarthPicture::Standard));
  d->PictureChoice->setCurrentIndex(Index(TEarthPicture::Standard));
  emit d->PictureChoice->activated(Index(TEarthPicture::Standard));
  Type(d->HeightEdit, "4000");
  EXPECT_EQ(d->PictureChoice->currentIndex(), Index(TEarthPicture::Standard));
}

// Sizes not a whole number from 1 to 8192 and names without a known extension
// are refused with a message; an unwritable target is reported as failed, not
// cancelled. Nothing is written.
TEST_F(ExportTest, BadSizesAndNamesAreRefusedAndNothingIsWritten) {
  TExportDialog* d = form->ExportWindow();
  const QString cases[][4] = {  // width, height, file, what the message says
      {"0", "507", "k.png", "Breite"},      {"-5", "507", "k.png", "Breite"},
      {"8193", "507", "k.png", "Breite"},   {"abc", "507", "k.png", "Breite"},
      {"", "507", "k.png", "Breite"},       {"1e3", "507", "k.png", "Breite"},
      {"528", "0", "k.png", "Höhe"},        {"528", "99999", "k.png", "Höhe"},
      {"528", "5 0", "k.png", "Höhe"},      {"528", "507", "karte", ".svg"},
      {"528", "507", "karte.gif", ".pdf"},  {"528", "507", "", ".png"}};
  for (const auto& [width, height, file, says] : cases) {
    SCOPED_TRACE((width + " x " + height + " " + file).toStdString());
    d->WidthEdit->setText(width);
    d->HeightEdit->setText(height);
    d->FileEdit->setText(file.isEmpty() ? file : Path(file));
    EXPECT_FALSE(d->Start());
    EXPECT_FALSE(d->Busy());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(says.startsWith('.') || messages[0].second.contains("8192"));
    ExpectOneMessage("Karte exportieren", says);
  }
  for (const QString& target : {QString("/proc/weltnetz-map.svg"), Path("missing/map.pdf")}) {
    d->FileEdit->setText(target);
    const QVariantList o = Export(d);
    ASSERT_EQ(o.size(), 3);
    EXPECT_FALSE(o[0].toBool() || o[1].toBool());
    EXPECT_TRUE(o[2].toString().contains("cannot write")) << o[2].toString().toStdString();
    ExpectOneMessage("Karte exportieren", o[2].toString());
  }
  EXPECT_TRUE(Entries().isEmpty());
}

// Every format by its extension, at the size asked, with the recipe where
// there is room for text, which weltnetz-render draws again byte for byte; at
// the window's size the PNG is the window's map.
TEST_F(ExportTest, EachFormatIsWrittenWithARecipeTheCommandLineDrawsAgain) {
  form->rx3->setValue(-40);
  form->rx2->setValue(15);
  form->D2->click();
  ASSERT_TRUE(form->WaitForDrawing());
  TExportDialog* d = form->ExportWindow();
  TypeSize(d, "800", "600");
  for (const char* name : {"k.png", "k.jpg", "k.bmp", "k.svg", "k.pdf"}) {
    SCOPED_TRACE(name);
    d->FileEdit->setText(Path(name));
    const QVariantList o = Export(d);
    ASSERT_TRUE(o.value(0).toBool()) << o.value(2).toString().toStdString();
    EXPECT_EQ(d->Progress->value(), 100);
    const QString recipe = RecipeIn(Path(name));
    if (QByteArray(name).endsWith("bmp")) {
      EXPECT_TRUE(recipe.isEmpty());
    } else {
      for (const char* line : {"\nkind=mpAzimuthalEA\n", "\nsize=800x600\n",
                               "\npicture=detail\n", "\nlongitude=-40\n"})
        EXPECT_TRUE(recipe.contains(line)) << recipe.toStdString();
    }
  }
  EXPECT_EQ(QImage(Path("k.png")).size(), QSize(800, 600));
  EXPECT_EQ(QImage(Path("k.bmp")).size(), QSize(800, 600));
  EXPECT_TRUE(FileBytes(Path("k.svg")).contains("<svg width=\"800\" height=\"600\""));
  EXPECT_TRUE(FileBytes(Path("k.pdf")).startsWith("%PDF-"));
  EXPECT_TRUE(messages.empty());
  QProcess tool;
  tool.start(QStringLiteral(WELTNETZ_TOOLS_DIR "/weltnetz-render"),
             {"--recipe", Path("k.png"), "-o", Path("tool.png")});
  ASSERT_TRUE(tool.waitForFinished(120000));
  ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
  EXPECT_EQ(FileBytes(Path("k.png")), FileBytes(Path("tool.png")));

  TypeSize(d, "528", "507");
  ASSERT_EQ(d->PictureChoice->currentIndex(), Index(TEarthPicture::Standard));
  d->FileEdit->setText(Path("same.png"));
  ASSERT_TRUE(Export(d).value(0).toBool());
  EXPECT_EQ(QImage(Path("same.png")).convertToFormat(QImage::Format_BGR888),
            form->GxM1->MainMap());
}

// A long export runs beside the live window; cancelled, it leaves nothing.
TEST_F(ExportTest, CancelledExportWritesNothingAndTheWindowStaysLive) {
  TExportDialog* d = form->ExportWindow();
  TypeSize(d, "8192", "8192");
  d->FileEdit->setText(Path("big.png"));
  QSignalSpy finished(d, &TExportDialog::Finished);
  ASSERT_TRUE(d->Start());
  EXPECT_TRUE(d->Busy());
  EXPECT_FALSE(d->ExportButton->isEnabled());
  form->rx1->setValue(120);
  form->D2->click();
  ASSERT_TRUE(form->WaitForDrawing());
  EXPECT_EQ(form->L6->text(), "100 %");
  EXPECT_TRUE(d->Busy());  // 67 million pixels take a while
  d->CancelButton->click();
  ASSERT_TRUE(d->WaitUntilDone());
  ASSERT_EQ(finished.size(), 1);
  EXPECT_FALSE(finished[0][0].toBool());
  EXPECT_TRUE(finished[0][1].toBool());
  EXPECT_TRUE(Entries().isEmpty());
  EXPECT_TRUE(messages.empty());
  EXPECT_TRUE(d->ExportButton->isEnabled());
}

// The detailed picture is drawn bilinearly, survives a restart, and the
// standard one comes back unchanged.
TEST_F(WindowTest, DetailPictureIsDrawnBilinearlyAndRemembered) {
  const QImage standard = form->GxM1->MainMap();
  form->CB10->setCurrentIndex(Index(TEarthPicture::Detail));
  ASSERT_TRUE(form->WaitForDrawing());
  EXPECT_EQ(form->GxM1->MapSettings.Sampling, TSampling::Bilinear);
  EXPECT_EQ(form->GxM1->MapSettings.ColorMap()->size(), QSize(720, 360));
  EXPECT_NE(form->GxM1->MainMap(), standard);

  Open(false);  // the next start
  EXPECT_EQ(form->CB10->currentIndex(), Index(TEarthPicture::Detail));
  EXPECT_EQ(form->GxM1->MapSettings.Sampling, TSampling::Bilinear);
  form->CB10->setCurrentIndex(Index(TEarthPicture::Standard));
  ASSERT_TRUE(form->WaitForDrawing());
  EXPECT_EQ(form->GxM1->MainMap(), standard);
}

// One's own picture is shown and remembered, or refused saying why.
TEST_F(WindowTest, OwnPictureIsShownOrRefusedSayingWhy) {
  QImage red(720, 360, QImage::Format_RGB888);
  red.fill(QColor(220, 20, 30));
  ASSERT_TRUE(red.save(Path("red.jpg"), "JPEG", 100));
  ASSERT_TRUE(red.copy(0, 0, 400, 400).save(Path("square.png")));
  const QImage before = form->GxM1->MainMap();
  for (const QString& bad : {Path("square.png"), Path("missing.png")}) {
    EXPECT_FALSE(form->LoadEarthPictureFile(bad));
    ExpectOneMessage("Erdbild laden", bad);
    EXPECT_EQ(form->CB10->count(), 2);
    EXPECT_EQ(form->Picture(), TEarthPicture::Standard);
  }
  ASSERT_TRUE(form->WaitForDrawing());
  EXPECT_EQ(form->GxM1->MainMap(), before);

  ASSERT_TRUE(form->LoadEarthPictureFile(Path("red.jpg")));
  ASSERT_TRUE(form->WaitForDrawing());
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(form->CB10->currentIndex(), Index(TEarthPicture::Own));
  EXPECT_EQ(form->CB10->currentText(), "Eigenes Bild");
  EXPECT_GT(RedPixels(form->GxM1->MainMap()), 40000);

  // The export offers it and names it in the recipe.
  TExportDialog* d = form->ExportWindow();
  EXPECT_EQ(d->PictureChoice->currentIndex(), Index(TEarthPicture::Own));
  d->FileEdit->setText(Path("own.png"));
  ASSERT_TRUE(Export(d).value(0).toBool());
  EXPECT_TRUE(RecipeIn(Path("own.png")).contains("\npicture=own\npicture-file=red.jpg\n"));

  Open(false);  // the next start
  EXPECT_EQ(form->Picture(), TEarthPicture::Own);
  EXPECT_GT(RedPixels(form->GxM1->MainMap()), 40000);
}
