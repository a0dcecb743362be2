// The main window: start-up, kind changes, redraws, layers and progress.
#include <cmath>
#include <set>

#include "tests/app/WindowFixture.h"

namespace {

constexpr double kDeg = 3.14159265358979323846 / 180.0;

// Drawings asked for since the call.
auto DrawingsSince(Tprojeform& f) {
  const quint64 first = f.GxM1->BackgroundRequests();
  return [&f, first] { return f.GxM1->BackgroundRequests() - first; };
}

std::vector<int> Values(const Tprojeform& f) {
  return {f.rx1->value(), f.rx3->value(), f.rx4->value(), f.rx5->value(), f.rx2->value()};
}

}  // namespace

// No control leaves its parent or hides another; the map keeps its size.
TEST_F(WindowTest, ControlsFitTheWindowWithoutOverlap) {
  EXPECT_EQ(form->size(), QSize(565, 746));  // a row of further switches below the specified 716
  EXPECT_EQ(form->minimumSize(), form->maximumSize());
  EXPECT_EQ(form->GxM1->geometry(), QRect(17, 30, 528, 507));
  EXPECT_EQ(form->P1->geometry(), QRect(0, 552, 565, 194));
  EXPECT_EQ(form->P1->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly).size(), 24);
  for (QWidget* parent : {static_cast<QWidget*>(form.get()), static_cast<QWidget*>(form->P1)}) {
    QList<QWidget*> shown;
    for (QWidget* w : parent->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
      if (parent == form->P1 || !w->isHidden()) shown.push_back(w);
    for (QWidget* a : shown) {
      SCOPED_TRACE(a->objectName().toStdString());
      EXPECT_TRUE(parent->rect().contains(a->geometry()));
      for (QWidget* b : shown)
        EXPECT_TRUE(a == b || !a->geometry().intersects(b->geometry()))
            << b->objectName().toStdString();
    }
  }
  EXPECT_EQ(form->palette().color(QPalette::Window), QColor(Qt::white));
  EXPECT_EQ(form->P1->palette().color(QPalette::Window), QColor(240, 240, 240));
  EXPECT_EQ(std::pair(form->font().pixelSize(), form->P1->font().pixelSize()), std::pair(13, 12));
  EXPECT_EQ((QStringList{form->S5->toolTip(), form->S4->toolTip(), form->CB5->text()}),
            (QStringList{"Abbildung speichern", "Abbildung kopieren", "Küstenlinien"}));
  EXPECT_FALSE(form->S7->icon().isNull());
  EXPECT_TRUE(form->L5->isHidden());
  // F1 and Escape reach their handlers (the help text: Language tests).
  EXPECT_EQ(form->MHilfe->shortcut(), QKeySequence(Qt::Key_F1));
  EXPECT_EQ(form->M1->shortcut(), QKeySequence(Qt::Key_Escape));
  form->show();
  form->M1->trigger();
  EXPECT_FALSE(form->isVisible());
}

// The first start shows the specified kind, parameters and layers.
TEST_F(WindowTest, StartsWithTheAzimuthalEqualAreaMap) {
  const TGxProjectionL& p = form->GxPL1;
  EXPECT_EQ(form->CB2->currentText(), "Azimutale flächentreue Projektion");
  EXPECT_EQ(p.Projection, mpAzimuthalEA);
  EXPECT_EQ(p.MapInput, 250);
  EXPECT_EQ(Values(*form), (std::vector<int>{75, 25, 50, 0, 0}));  // rx1: 65 * 507 / 440 = 74.9
  EXPECT_EQ((std::vector<bool>{form->rx4->isHidden(), form->rx5->isHidden(), form->L4->isHidden(),
                               form->CB1->isChecked(), form->CB3->isChecked(),
                               form->CB5->isChecked(), form->CB6->isChecked()}),
            (std::vector<bool>{false, true, true, true, true, false, true}));
  EXPECT_EQ(form->L6->text(), "100 %");
  EXPECT_EQ((std::vector<double>{p.Radius, p.X0, p.Y0, p.Oblique, p.GridSpacing, p.GridStep,
                                 p.GridMinLon, p.GridMaxLat}),
            (std::vector<double>{75, 264, 253, 0, 30, 1, -180, 90}));
  EXPECT_DOUBLE_EQ(p.Theta, 25 * kDeg);
  EXPECT_DOUBLE_EQ(p.AxisPhi, 50 * kDeg);
  // White only beyond the antipode's circle, radius pi * R = 235.6 about (264, 253).
  const QImage& map = form->GxM1->MainMap();
  ASSERT_EQ(map.size(), QSize(528, 507));
  for (auto [x, y, white] : {std::tuple{264 + 228, 253, false}, {264 + 243, 253, true},
                             {264, 253 - 228, false}, {264, 253 - 243, true}})
    EXPECT_EQ(map.pixelColor(x, y) == QColor(Qt::white), white) << x << "," << y;
}

// Every kind, without drawing: the spin edits take its defaults, no tilt, and
// only the parameters the kind uses are shown.
TEST_F(WindowTest, KindChangeFillsTheSpinEditsAndShowsItsParameters) {
  form->CB6->setChecked(false);
  const std::set<int> withPhi0 = {4, 7, 31, 34, 44, 51}, withPhi1 = {3, 18};
  const std::set<int> ellipsoidal = {3, 9, 17, 18, 20, 32, 38, 40, 46, 52};
  for (int position = 3; position <= 64; ++position) {
    SCOPED_TRACE(position);
    form->rx2->setValue(33);  // a tilt left over from the last kind would show
    form->CB2->setCurrentIndex(Item(position));
    const CatalogueEntry& row = CatalogueAt(position);
    EXPECT_EQ(form->GxPL1.Projection, row.Kind);
    EXPECT_EQ(form->GxPL1.MapInput, ellipsoidal.count(position) ? 30 : 220);
    const bool phi0 = withPhi0.count(position), phi1 = withPhi1.count(position);
    EXPECT_EQ((std::vector<bool>{form->rx4->isHidden(), form->L3->isHidden(),
                                 form->rx5->isHidden(), form->L4->isHidden()}),
              (std::vector<bool>{!phi0, !phi0, !phi1, !phi1}));
    const int radius =
        static_cast<int>(std::min(500L, std::lround(row.RadiusFactor * 507.0 / 440.0)));
    EXPECT_EQ(Values(*form), (std::vector<int>{radius, row.Theta, row.Phi0, row.Phi1, 0}));
    EXPECT_EQ(form->GxPL1.X0, 253.5);  // the defaults reset's value: no drawing
  }
  // The general vertical perspective keeps its height in Other, untilted.
  form->CB2->setCurrentIndex(Item(25));
  form->D2->click();
  EXPECT_EQ(form->GxPL1.Other, 75);
  EXPECT_EQ(form->GxPL1.Oblique, 0);
}

// Typed beyond the range goes to the bound (not cut to its first digits);
// halves go to even, NaN and unreadable to the minimum.
TEST_F(WindowTest, SpinEditsRoundHalfToEvenAndStayInRange) {
  QLineEdit* edit = form->rx1->findChild<QLineEdit*>();
  form->rx1->setFocus();
  edit->selectAll();
  QTest::keyClicks(form->rx1, QStringLiteral("600"));
  EXPECT_EQ(edit->text(), QStringLiteral("600"));
  QTest::keyClick(form->rx1, Qt::Key_Tab);
  form->rx1->interpretText();
  EXPECT_EQ(form->rx1->value(), 500);
  edit->selectAll();
  QTest::keyClicks(form->rx2, QStringLiteral("-999"));
  form->rx2->interpretText();
  EXPECT_EQ(form->rx2->value(), -90);
  form->GxProjection1GetConstants(&form->GxPL1, 74.5, 0.5, -2.5, 1.5, 0, 0, 0, 1e300, 0);
  EXPECT_EQ(Values(*form), (std::vector<int>{74, 0, -2, 2, 90}));
  form->GxProjection1GetConstants(&form->GxPL1, NAN, -1e300, 0, 0, 0, 0, 0, -INFINITY, 0);
  EXPECT_EQ(Values(*form), (std::vector<int>{10, -180, 0, 0, -90}));
  form->CB6->setChecked(false);
  form->rx2->setValue(0);
  form->rx2->findChild<QLineEdit*>()->setText("-");
  form->D2->click();
  EXPECT_DOUBLE_EQ(form->GxPL1.Oblique, -90 * kDeg);
  EXPECT_EQ(form->rx2->value(), -90);
}

// Without "Automatik" a change waits for "Darstellung" or Enter.
TEST_F(WindowTest, WithoutAutomatikOnlyDarstellungOrEnterRedraws) {
  form->CB6->setChecked(false);
  const auto drawings = DrawingsSince(*form);
  form->CB2->setCurrentIndex(Item(40));  // Mercator
  form->CB5->setChecked(true);
  form->rx1->setValue(60);
  EXPECT_EQ(drawings(), 0u);
  EXPECT_EQ(form->GxPL1.Radius, 65 * 507.0 / 440.0);
  form->D2->click();
  EXPECT_EQ(drawings(), 1u);
  EXPECT_EQ(std::pair(form->GxPL1.Radius, form->GxPL1.X0), std::pair(60.0, 264.0));
  EXPECT_TRUE(form->GxM1->MapSettings.DrawCoast);
  form->rx1->setValue(70);
  EXPECT_EQ(form->GxPL1.Radius, 60);
  EXPECT_EQ(form->M2->shortcuts(),
            (QList<QKeySequence>{QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}));
  form->M2->trigger();
  EXPECT_EQ(drawings(), 2u);
  EXPECT_EQ(form->GxPL1.Radius, 70);
}

// The colour map switched off brings the coastlines (two redraws); one of them always stays.
TEST_F(WindowTest, LayerInterlockKeepsColourMapOrCoastlines) {
  const auto drawings = DrawingsSince(*form);
  form->CB1->setChecked(false);
  ASSERT_TRUE(form->WaitForDrawing());
  EXPECT_EQ(drawings(), 2u);
  EXPECT_FALSE(form->GxM1->MapSettings.DrawColorMap);
  EXPECT_TRUE(form->GxM1->MapSettings.DrawCoast);
  EXPECT_TRUE(form->CB3->isChecked() && form->CB5->isChecked());
  EXPECT_EQ(form->L6->text(), "100 %");
  form->CB6->setChecked(false);
  form->CB5->setChecked(false);  // the last layer with a progress total comes back
  EXPECT_TRUE(form->CB5->isChecked());
  form->CB3->setChecked(false);
  EXPECT_FALSE(form->CB3->isChecked());
  EXPECT_TRUE(form->CB5->isChecked());
  form->CB1->setChecked(true);
  form->CB5->setChecked(false);  // with the colour map on, coastlines may go
  EXPECT_FALSE(form->CB5->isChecked());
}

// The label never runs backwards and ends at 100 %.
TEST_F(WindowTest, ProgressLabelRunsFromZeroToHundred) {
  std::vector<QString> shown;
  TProgress window = form->GxM1->OnProgress;
  form->GxM1->OnProgress = [&, window](TGxMapImageL* s, int max, int position) {
    window(s, max, position);
    shown.push_back(form->L6->text());
  };
  form->D2->click();
  EXPECT_EQ(form->L6->text(), "100 %");  // until the worker reports
  ASSERT_TRUE(form->WaitForDrawing());
  ASSERT_GE(shown.size(), 3u);
  EXPECT_EQ(shown.front(), "0 %");
  EXPECT_EQ(shown.back(), "100 %");
  for (std::size_t i = 1; i < shown.size(); ++i)
    EXPECT_LE(shown[i - 1].chopped(2).toInt(), shown[i].chopped(2).toInt());
  // 12.5 % and 37.5 % go to the even neighbour; nothing to draw is finished.
  for (auto [max, position, text] : {std::tuple{8, 1, "12 %"}, {8, 3, "38 %"}, {0, 0, "100 %"}}) {
    form->GxM1P(form->GxM1, max, position);
    EXPECT_EQ(form->L6->text(), text) << max << " " << position;
  }
}

// A kind chosen while a drawing runs replaces it; the last choice is shown.
TEST_F(WindowTest, KindChosenDuringADrawingReplacesIt) {
  std::vector<quint64> delivered;
  form->GxM1->OnRendered = [&](TGxMapImageL*, const TRenderedMap& map) {
    delivered.push_back(map.id);
  };
  form->D2c();
  form->CB2->setCurrentIndex(Item(40));  // Mercator
  form->CB2->setCurrentIndex(Item(42));  // Mollweide
  EXPECT_EQ(form->GxPL1.Projection, mpMollweide);
  ASSERT_TRUE(form->WaitForDrawing());
  EXPECT_EQ(delivered, std::vector<quint64>{form->GxM1->BackgroundRequests()});
  EXPECT_EQ(form->CB2->currentText(), "Mollweide-Projektion");
  EXPECT_EQ(form->GxPL1.X0, 264);  // drawn with it, "Automatik" being on
  EXPECT_EQ(form->L6->text(), "100 %");
  ExpectDrawnAsReference();
  EXPECT_EQ(form->GxM1->SavedMap(), form->GxM1->MainMap());
}

