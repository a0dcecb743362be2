// The main window driven as a user drives it: start-up, kind changes, the
// redraw rule, the layer interlock and the progress label.
#include <QAbstractButton>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include <cmath>
#include <set>

#include "tests/app/WindowFixture.h"

namespace {

constexpr double kDeg = 3.14159265358979323846 / 180.0;

// Counts drawings (a drawing reports position 0 first) and keeps what the
// progress label showed after each report.
struct ProgressSpy {
  explicit ProgressSpy(Tprojeform& form) {
    TProgress window = form.GxM1->OnProgress;
    form.GxM1->OnProgress = [this, window, &form](TGxMapImageL* s, int max, int position) {
      window(s, max, position);
      if (position == 0) ++drawings;
      shown.push_back(form.L6->text());
    };
  }
  int drawings = 0;
  std::vector<QString> shown;
};

}  // namespace

TEST_F(WindowTest, ControlsSitWhereTheDefinitionPutsThem) {
  struct Place {
    const char* name;
    const char* parent;
    int x, y, w, h;  // w or h of 0: not fixed by the definition
  };
  const Place places[] = {
      {"S7", "projeform", 0, 2, 23, 26},  {"S5", "projeform", 30, 2, 24, 26},
      {"S4", "projeform", 54, 2, 24, 26}, {"GxM1", "projeform", 17, 30, 528, 507},
      {"P1", "projeform", 0, 552, 565, 164}, {"L7", "P1", 20, 12, 0, 0},
      {"L6", "P1", 440, 16, 0, 0},        {"CB2", "P1", 16, 40, 409, 0},
      {"D2", "P1", 440, 38, 105, 25},     {"L1", "P1", 18, 80, 0, 0},
      {"rx1", "P1", 88, 77, 65, 0},       {"L8", "P1", 164, 80, 0, 0},
      {"rx2", "P1", 234, 77, 0, 0},       {"L2", "P1", 316, 80, 0, 0},
      {"rx3", "P1", 376, 77, 0, 0},       {"L3", "P1", 18, 110, 0, 0},
      {"rx4", "P1", 88, 107, 0, 0},       {"L4", "P1", 164, 110, 0, 0},
      {"rx5", "P1", 234, 107, 0, 0},      {"CB1", "P1", 21, 136, 0, 0},
      {"CB3", "P1", 157, 136, 0, 0},      {"CB5", "P1", 293, 136, 0, 0},
      {"CB6", "P1", 400, 136, 0, 0},
  };
  EXPECT_EQ(form->windowTitle(), "Weltnetz");
  EXPECT_EQ(form->size(), QSize(565, 716));
  EXPECT_EQ(form->minimumSize(), form->maximumSize());
  EXPECT_EQ(form->palette().color(QPalette::Window), QColor(Qt::white));
  for (const Place& p : places) {
    SCOPED_TRACE(p.name);
    auto* w = form->findChild<QWidget*>(p.name);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->parentWidget()->objectName(), p.parent);
    EXPECT_EQ(w->pos(), QPoint(p.x, p.y));
    if (p.w) {
      EXPECT_EQ(w->width(), p.w);
    }
    if (p.h) {
      EXPECT_EQ(w->height(), p.h);
    }
    // Nothing of the panel may spill out of the window.
    EXPECT_LE(w->mapTo(form.get(), QPoint(w->width(), w->height())).y(), 716);
  }
  EXPECT_EQ(form->P1->palette().color(QPalette::Window), QColor(240, 240, 240));
  EXPECT_EQ(form->font().pixelSize(), 13);
  EXPECT_EQ(form->P1->font().pixelSize(), 12);
  if (QFontDatabase::hasFamily("Verdana")) {
    EXPECT_EQ(form->font().family(), "Verdana");
  }
  EXPECT_EQ(form->S7->toolTip(), "Teilprogramm beenden");
  EXPECT_EQ(form->S5->toolTip(), "Abbildung speichern");
  EXPECT_EQ(form->S4->toolTip(), "Abbildung kopieren");
  EXPECT_FALSE(form->S7->icon().isNull());
  EXPECT_EQ(form->CB5->text(), "Küstenlinien");
  EXPECT_EQ(form->D2->text(), "Darstellung");
  EXPECT_EQ(form->rx1->minimum(), 10);
  EXPECT_EQ(form->rx1->maximum(), 500);
  EXPECT_EQ(form->rx3->minimum(), -180);
  EXPECT_TRUE(form->L5->isHidden());
}

TEST_F(WindowTest, StartsWithTheAzimuthalEqualAreaMap) {
  const TGxProjectionL& p = form->GxPL1;
  EXPECT_EQ(form->CB2->count(), 62);
  EXPECT_EQ(form->CB2->itemText(0), "Albert flächentreue Kegelprojektion");
  EXPECT_EQ(form->CB2->itemText(61), "Winkel-Projektion II");
  EXPECT_EQ(form->CB2->currentText(), "Azimutale flächentreue Projektion");
  EXPECT_EQ(p.Projection, mpAzimuthalEA);
  EXPECT_EQ(p.MapInput, 250);
  EXPECT_EQ(form->rx1->value(), 75);  // 65 * 507 / 440 = 74.9
  EXPECT_EQ(form->rx3->value(), 25);
  EXPECT_EQ(form->rx4->value(), 50);
  EXPECT_EQ(form->rx5->value(), 0);
  EXPECT_EQ(form->rx2->value(), 0);
  EXPECT_FALSE(form->rx4->isHidden());
  EXPECT_TRUE(form->rx5->isHidden());
  EXPECT_TRUE(form->L4->isHidden());
  EXPECT_TRUE(form->CB1->isChecked());
  EXPECT_TRUE(form->CB3->isChecked());
  EXPECT_FALSE(form->CB5->isChecked());
  EXPECT_TRUE(form->CB6->isChecked());
  EXPECT_EQ(form->L6->text(), "100 %");
  // The first drawing's parameters.
  EXPECT_EQ(p.Radius, 75);
  EXPECT_EQ(p.X0, 264);
  EXPECT_EQ(p.Y0, 253);
  EXPECT_DOUBLE_EQ(p.Theta, 25 * kDeg);
  EXPECT_DOUBLE_EQ(p.AxisPhi, 50 * kDeg);
  EXPECT_EQ(p.Oblique, 0);
  EXPECT_EQ(p.GridSpacing, 30);
  EXPECT_EQ(p.GridStep, 1);
  EXPECT_EQ(p.GridMinLon, -180);
  EXPECT_EQ(p.GridMaxLat, 90);
  // The azimuthal equidistant map puts the antipode on a circle of radius
  // pi * R = 235.6 pixels about (264, 253); outside it the background stays white.
  const QImage& map = form->GxM1->MainMap();
  ASSERT_EQ(map.size(), QSize(528, 507));
  EXPECT_NE(map.pixelColor(264 + 228, 253), QColor(Qt::white));
  EXPECT_EQ(map.pixelColor(264 + 243, 253), QColor(Qt::white));
  EXPECT_NE(map.pixelColor(264, 253 - 228), QColor(Qt::white));
  EXPECT_EQ(map.pixelColor(264, 253 - 243), QColor(Qt::white));
}

// Every kind of the list, without drawing: the spin edits take the kind's
// defaults on the 528 x 507 map, the tilt field shows no tilt, and only the
// parameters the kind uses are shown.
TEST_F(WindowTest, KindChangeFillsTheSpinEditsAndShowsItsParameters) {
  form->CB6->setChecked(false);
  const std::set<int> withPhi0 = {4, 7, 31, 34, 44, 51};
  const std::set<int> withPhi1 = {3, 18};
  const std::set<int> ellipsoidal = {3, 9, 17, 18, 20, 32, 38, 40, 46, 52};
  for (int position = 3; position <= 64; ++position) {
    SCOPED_TRACE(position);
    // From a tilted map, so that a tilt left over from the last kind shows.
    form->rx2->setValue(33);
    form->CB2->setCurrentIndex(Item(position));
    const CatalogueEntry& row = CatalogueAt(position);
    EXPECT_EQ(form->GxPL1.Projection, row.Kind);
    EXPECT_EQ(form->GxPL1.MapInput, ellipsoidal.count(position) ? 30 : 220);
    EXPECT_EQ(!form->rx4->isHidden(), withPhi0.count(position) == 1);
    EXPECT_EQ(!form->L3->isHidden(), withPhi0.count(position) == 1);
    EXPECT_EQ(!form->rx5->isHidden(), withPhi1.count(position) == 1);
    EXPECT_EQ(!form->L4->isHidden(), withPhi1.count(position) == 1);
    const long radius = std::lround(row.RadiusFactor * 507.0 / 440.0);
    EXPECT_EQ(form->rx1->value(), radius > 500 ? 500 : radius);
    EXPECT_EQ(form->rx3->value(), row.Theta);
    EXPECT_EQ(form->rx4->value(), row.Phi0);
    EXPECT_EQ(form->rx5->value(), row.Phi1);
    EXPECT_EQ(form->rx2->value(), 0);
    EXPECT_EQ(form->GxPL1.X0, 253.5);  // the defaults reset's value: no drawing
  }
  // The general vertical perspective keeps its height in Other, untilted.
  form->CB2->setCurrentIndex(Item(25));
  form->D2->click();
  EXPECT_EQ(form->GxPL1.Other, 75);
  EXPECT_EQ(form->GxPL1.Oblique, 0);
}

TEST_F(WindowTest, ConstantsRoundHalfToEvenAndStayInRange) {
  form->GxProjection1GetConstants(&form->GxPL1, 74.5, 0.5, -2.5, 1.5, 0, 0, 0, 1e300, 0);
  EXPECT_EQ(form->rx1->value(), 74);
  EXPECT_EQ(form->rx3->value(), 0);
  EXPECT_EQ(form->rx4->value(), -2);
  EXPECT_EQ(form->rx5->value(), 2);
  EXPECT_EQ(form->rx2->value(), 90);
  form->GxProjection1GetConstants(&form->GxPL1, NAN, -1e300, 0, 0, 0, 0, 0, -INFINITY, 0);
  EXPECT_EQ(form->rx1->value(), 10);
  EXPECT_EQ(form->rx3->value(), -180);
  EXPECT_EQ(form->rx2->value(), -90);
}

TEST_F(WindowTest, WithoutAutomatikOnlyDarstellungOrEnterRedraws) {
  form->CB6->setChecked(false);
  ProgressSpy spy(*form);
  form->CB2->setCurrentIndex(Item(40));  // Mercator
  form->CB5->setChecked(true);
  form->rx1->setValue(60);
  EXPECT_EQ(spy.drawings, 0);
  EXPECT_EQ(form->GxPL1.Radius, 65 * 507.0 / 440.0);
  form->D2->click();
  EXPECT_EQ(spy.drawings, 1);
  EXPECT_EQ(form->GxPL1.Radius, 60);
  EXPECT_EQ(form->GxPL1.X0, 264);
  EXPECT_TRUE(form->GxM1->MapSettings.DrawCoast);

  form->rx1->setValue(70);
  EXPECT_EQ(form->GxPL1.Radius, 60);
  EXPECT_TRUE(form->M2->shortcuts().contains(QKeySequence(Qt::Key_Return)));
  EXPECT_TRUE(form->M2->shortcuts().contains(QKeySequence(Qt::Key_Enter)));
  form->M2->trigger();
  EXPECT_EQ(spy.drawings, 2);
  EXPECT_EQ(form->GxPL1.Radius, 70);
}

TEST_F(WindowTest, UnreadableSpinEditCountsAsItsMinimum) {
  form->CB6->setChecked(false);
  form->rx2->findChild<QLineEdit*>()->setText("-");
  form->D2->click();
  EXPECT_DOUBLE_EQ(form->GxPL1.Oblique, -90 * kDeg);
  EXPECT_EQ(form->rx2->value(), -90);
}

TEST_F(WindowTest, LayerInterlockKeepsColourMapOrCoastlines) {
  form->CB6->setChecked(false);
  form->CB3->setChecked(false);
  form->CB1->setChecked(false);  // colour map off: graticule and coastlines on
  EXPECT_TRUE(form->CB3->isChecked());
  EXPECT_TRUE(form->CB5->isChecked());
  form->CB5->setChecked(false);  // the last layer with a progress total comes back
  EXPECT_TRUE(form->CB5->isChecked());
  form->CB3->setChecked(false);
  EXPECT_FALSE(form->CB3->isChecked());
  EXPECT_TRUE(form->CB5->isChecked());
  form->CB1->setChecked(true);
  form->CB5->setChecked(false);  // with the colour map on, coastlines may go
  EXPECT_FALSE(form->CB5->isChecked());
}

TEST_F(WindowTest, SwitchesSetFromCodeRunTheirHandlers) {
  ProgressSpy spy(*form);
  // Coastlines switched on by the interlock redraw once, then the colour
  // map's own handler redraws.
  form->CB1->setChecked(false);
  EXPECT_EQ(spy.drawings, 2);
  EXPECT_FALSE(form->GxM1->MapSettings.DrawColorMap);
  EXPECT_TRUE(form->GxM1->MapSettings.DrawCoast);
  EXPECT_EQ(form->L6->text(), "100 %");
}

TEST_F(WindowTest, ProgressLabelRunsFromZeroToHundred) {
  ProgressSpy spy(*form);
  form->D2->click();
  ASSERT_GE(spy.shown.size(), 3u);
  EXPECT_EQ(spy.shown.front(), "0 %");
  EXPECT_EQ(spy.shown.back(), "100 %");
  for (std::size_t i = 1; i < spy.shown.size(); ++i)
    EXPECT_LE(spy.shown[i - 1].chopped(2).toInt(), spy.shown[i].chopped(2).toInt());

  form->GxM1P(form->GxM1, 8, 1);  // 12.5 %
  EXPECT_EQ(form->L6->text(), "12 %");
  form->GxM1P(form->GxM1, 8, 3);  // 37.5 %
  EXPECT_EQ(form->L6->text(), "38 %");
  form->GxM1P(form->GxM1, 0, 0);
  EXPECT_EQ(form->L6->text(), "100 %");
}

// The map control lets events through while it draws; a kind chosen then is
// drawn right after the running drawing, and the last choice is the one taken.
TEST_F(WindowTest, KindChosenDuringADrawingIsAppliedAfterIt) {
  std::vector<TProjection> seen;
  bool pending = false;
  QTimer::singleShot(0, form.get(), [&] {
    form->CB2->setCurrentIndex(Item(40));  // Mercator
    form->CB2->setCurrentIndex(Item(42));  // Mollweide
    seen.push_back(form->GxPL1.Projection);
    pending = form->KindChangePending();
  });
  form->D2c();
  ASSERT_EQ(seen.size(), 1u);  // the timer ran inside the drawing
  EXPECT_EQ(seen[0], mpAzimuthalEA);
  EXPECT_TRUE(pending);
  EXPECT_FALSE(form->KindChangePending());
  EXPECT_EQ(form->GxPL1.Projection, mpMollweide);
  EXPECT_EQ(form->CB2->currentText(), "Mollweide-Projektion");
  EXPECT_EQ(form->rx1->value(), 86);  // 75 * 507 / 440 = 86.4
  EXPECT_TRUE(form->rx4->isHidden());
  EXPECT_EQ(form->GxPL1.X0, 264);  // drawn with it, "Automatik" being on
  EXPECT_EQ(form->L6->text(), "100 %");
}

TEST_F(WindowTest, HelpAndEscapeReachTheirHandlers) {
  EXPECT_EQ(form->MHilfe->shortcut(), QKeySequence(Qt::Key_F1));
  form->MHilfe->trigger();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_TRUE(messages[0].second.contains("Darstellung"));

  form->show();
  EXPECT_EQ(form->M1->shortcut(), QKeySequence(Qt::Key_Escape));
  form->M1->trigger();
  EXPECT_FALSE(form->isVisible());
}
