// Exploring the map with the mouse, as a user does: drag, wheel, double
// click and the read-out, with previews while moving and the full drawing
// once the mouse rests. The cut-off switch and what the window remembers.
#include <QCheckBox>
#include <QLineEdit>
#include <QSettings>
#include <QTest>
#include <QWheelEvent>

#include <cmath>

#include "app/MapNavigation.h"
#include "mapimage/MapRenderer.h"
#include "tests/app/WindowFixture.h"

namespace {

// The map a control draws at once with the window's parameters: what the
// window must show after it has drawn in the background.
QImage Reference(const Tprojeform& form) {
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

void Wheel(QWidget* w, QPoint at, int degreesTimesEight) {
  QWheelEvent e(QPointF(at), QPointF(w->mapToGlobal(at)), QPoint(), QPoint(0, degreesTimesEight),
                Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(w, &e);
}

// A move of the mouse without a button, straight to the widget.
void Hover(QWidget* w, QPoint at) {
  QMouseEvent e(QEvent::MouseMove, QPointF(at), QPointF(w->mapToGlobal(at)), Qt::NoButton,
                Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &e);
}

struct Deliveries {
  explicit Deliveries(Tprojeform& form) {
    form.GxM1->OnRendered = [this](TGxMapImageL*, const TRenderedMap& m) {
      (m.preview ? previews : full) += 1;
    };
  }
  int previews = 0, full = 0;
};

}  // namespace

// On the azimuthal start-up map a drag turns the globe in longitude and
// centre latitude and keeps the grabbed point under the cursor (to the
// whole degree the spin edits hold); the spin edits follow, previews come
// while moving, and the full drawing once the mouse rests is the drawing of
// those spin values.
TEST_F(WindowTest, DragTurnsTheGlobeAndKeepsThePointUnderTheCursor) {
  Deliveries got(*form);
  QWidget* map = form->GxM1;
  // From a point south of the centre up and to the right: a place the
  // point can reach on a map that keeps north up.
  const QPoint from(264, 300), to(290, 280);
  double lon, lat;
  TGxProjectionL probe = ProbeOf(form->GxPL1);
  ASSERT_TRUE(PointUnder(probe, from.x(), from.y(), lon, lat));
  QTest::mousePress(map, Qt::LeftButton, Qt::NoModifier, from);
  for (int i = 1; i <= 6; ++i) {
    QTest::mouseMove(map, from + (to - from) * i / 6);
    QCoreApplication::processEvents();
  }
  QTest::mouseRelease(map, Qt::LeftButton, Qt::NoModifier, to);
  EXPECT_NE(form->rx3->value(), 25);
  EXPECT_NE(form->rx4->value(), 50);
  ASSERT_TRUE(form->WaitForDrawing());
  EXPECT_GE(got.previews + got.full, 1);
  EXPECT_GE(got.full, 1);
  // The grabbed point lies within a degree's width of the cursor.
  TGxProjectionL now = ProbeOf(form->GxPL1);
  now.Forward(lon, lat);
  EXPECT_EQ(now.ErrorCode, 0);
  EXPECT_LT(std::hypot(now.X - to.x(), now.Y - to.y()), 2.5);
  EXPECT_EQ(form->GxM1->MainMap(), Reference(*form));
  EXPECT_EQ(form->GxM1->SavedMap(), form->GxM1->MainMap());
}

// On a map without a centre latitude only the longitude turns; a drag far
// beyond the range wraps the longitude and keeps the tilt.
TEST_F(WindowTest, DragOnAWorldMapTurnsTheLongitudeOnly) {
  form->CB2->setCurrentIndex(Item(42));  // Mollweide
  ASSERT_TRUE(form->WaitForDrawing());
  form->rx2->setValue(0);
  const int parameter = form->rx4->value();
  QWidget* map = form->GxM1;
  QTest::mousePress(map, Qt::LeftButton, Qt::NoModifier, QPoint(264, 253));
  QTest::mouseMove(map, QPoint(330, 400));  // down as well: no latitude to follow
  QTest::mouseRelease(map, Qt::LeftButton, Qt::NoModifier, QPoint(330, 400));
  EXPECT_EQ(form->rx4->value(), parameter);
  EXPECT_EQ(form->rx2->value(), 0);
  const int theta = form->rx3->value();
  EXPECT_LT(theta, 0);  // the map moved east: the central meridian went west
  // Far across the date line and back beyond the other side.
  QTest::mousePress(map, Qt::LeftButton, Qt::NoModifier, QPoint(10, 253));
  QTest::mouseMove(map, QPoint(520, 253));
  QTest::mouseMove(map, QPoint(10, 100));
  QTest::mouseMove(map, QPoint(520, 500));
  QTest::mouseRelease(map, Qt::LeftButton, Qt::NoModifier, QPoint(520, 500));
  EXPECT_GE(form->rx3->value(), -180);
  EXPECT_LE(form->rx3->value(), 180);
  ASSERT_TRUE(form->WaitForDrawing());
  EXPECT_EQ(form->GxM1->MainMap(), Reference(*form));
}

// The pole dragged down past the centre cannot go below it on a map that
// keeps north up: the centre stops at the pole.
TEST_F(WindowTest, DragAcrossThePoleStopsAtIt) {
  QWidget* map = form->GxM1;
  TGxProjectionL probe = ProbeOf(form->GxPL1);
  probe.Forward(0, 90);
  const QPoint pole(static_cast<int>(std::lround(probe.X)), static_cast<int>(std::lround(probe.Y)));
  QTest::mousePress(map, Qt::LeftButton, Qt::NoModifier, pole);
  for (int dy = 10; dy <= 150; dy += 10) QTest::mouseMove(map, pole + QPoint(0, dy));
  QTest::mouseRelease(map, Qt::LeftButton, Qt::NoModifier, pole + QPoint(0, 150));
  EXPECT_EQ(form->rx4->value(), 90);
  ASSERT_TRUE(form->WaitForDrawing());
  EXPECT_EQ(form->GxM1->MainMap(), Reference(*form));
  // A kind change in the middle of a drag ends the drag.
  QTest::mousePress(map, Qt::LeftButton, Qt::NoModifier, QPoint(264, 253));
  form->CB2->setCurrentIndex(Item(42));
  QTest::mouseMove(map, QPoint(300, 253));
  QTest::mouseRelease(map, Qt::LeftButton, Qt::NoModifier, QPoint(300, 253));
  ASSERT_TRUE(form->WaitForDrawing());
  EXPECT_EQ(form->GxPL1.Projection, mpMollweide);
}

// The wheel zooms by a tenth per notch within the radius field's range.
TEST_F(WindowTest, WheelZoomsWithinTheRadiusRange) {
  QWidget* map = form->GxM1;
  Wheel(map, QPoint(264, 253), 120);
  EXPECT_EQ(form->rx1->value(), static_cast<int>(std::nearbyint(75 * 1.1)));
  const int once = form->rx1->value();
  Wheel(map, QPoint(264, 253), -240);
  EXPECT_EQ(form->rx1->value(), static_cast<int>(std::nearbyint(once * std::pow(1.1, -2))));
  for (int i = 0; i < 60; ++i) Wheel(map, QPoint(10, 10), 120);
  EXPECT_EQ(form->rx1->value(), 500);
  for (int i = 0; i < 60; ++i) Wheel(map, QPoint(10, 10), -120);
  EXPECT_EQ(form->rx1->value(), 10);
  ASSERT_TRUE(form->WaitForDrawing());
  EXPECT_EQ(form->GxPL1.Radius, 10);
  EXPECT_EQ(form->GxM1->MainMap(), Reference(*form));
}

// A double click centres the map on the point; beside the map it does nothing.
TEST_F(WindowTest, DoubleClickCentresOnThePoint) {
  QWidget* map = form->GxM1;
  double lon, lat;
  TGxProjectionL probe = ProbeOf(form->GxPL1);
  ASSERT_TRUE(PointUnder(probe, 330, 300, lon, lat));
  QTest::mouseDClick(map, Qt::LeftButton, Qt::NoModifier, QPoint(330, 300));
  EXPECT_EQ(form->rx3->value(), static_cast<int>(std::nearbyint(lon)));
  EXPECT_EQ(form->rx4->value(), static_cast<int>(std::nearbyint(lat)));
  ASSERT_TRUE(form->WaitForDrawing());
  const int theta = form->rx3->value(), phi0 = form->rx4->value();
  QTest::mouseDClick(map, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));  // beside the globe
  EXPECT_EQ(form->rx3->value(), theta);
  EXPECT_EQ(form->rx4->value(), phi0);
}

// The read-out under the map, in German style.
TEST_F(WindowTest, ReadoutShowsTheCursorsPosition) {
  QWidget* map = form->GxM1;
  Hover(map, QPoint(264, 253));  // the centre: 50 N, 25 E
  EXPECT_EQ(form->L9->text(), QStringLiteral("50,00° N  25,00° O"));
  Hover(map, QPoint(3, 3));
  EXPECT_EQ(form->L9->text(), QStringLiteral("außerhalb der Karte"));
  TGxProjectionL probe = ProbeOf(form->GxPL1);
  probe.Forward(-70.25, -33.5);  // Santiago de Chile
  Hover(map, QPoint(static_cast<int>(std::lround(probe.X)),
                               static_cast<int>(std::lround(probe.Y))));
  EXPECT_TRUE(form->L9->text().endsWith(QStringLiteral("° W")));
  EXPECT_TRUE(form->L9->text().contains(QStringLiteral("° S  ")));
  // A double click there centres the map on it: the read-out follows the
  // map under the resting cursor.
  const QString before = form->L9->text();
  QTest::mouseDClick(map, Qt::LeftButton, Qt::NoModifier,
                     QPoint(static_cast<int>(std::lround(probe.X)),
                            static_cast<int>(std::lround(probe.Y))));
  EXPECT_NE(form->L9->text(), before);
}

// With "Randbeschnitt" (the default) the coastlines of the kinds whose
// series run wild stay within the map's colour area; unticked they are
// drawn as the kinds give them, loops beyond the map included.
TEST_F(WindowTest, CutOffKeepsTheLinesOnTheMap) {
  EXPECT_TRUE(form->CB7->isChecked());
  form->CB6->setChecked(false);
  form->CB5->setChecked(true);
  form->CB3->setChecked(false);
  for (int position : {9, 46, 52}) {
    SCOPED_TRACE(position);
    form->CB2->setCurrentIndex(Item(position));
    auto coastOutside = [&] {
      form->D2c();
      EXPECT_TRUE(form->WaitForDrawing());
      const QImage drawn = form->GxM1->MainMap();
      form->CB5->setChecked(false);
      form->D2c();
      EXPECT_TRUE(form->WaitForDrawing());
      const QImage colour = form->GxM1->MainMap();
      form->CB5->setChecked(true);
      // A coastline pixel whose neighbourhood has no colour of the map.
      int outside = 0;
      for (int y = 2; y < drawn.height() - 2; ++y)
        for (int x = 2; x < drawn.width() - 2; ++x) {
          if (drawn.pixelColor(x, y) != QColor(0, 255, 0)) continue;
          bool nearMap = false;
          for (int dy = -2; dy <= 2 && !nearMap; ++dy)
            for (int dx = -2; dx <= 2 && !nearMap; ++dx)
              nearMap = colour.pixelColor(x + dx, y + dy) != QColor(Qt::white);
          outside += !nearMap;
        }
      return outside;
    };
    EXPECT_EQ(coastOutside(), 0);
    form->CB7->setChecked(false);
    EXPECT_GT(coastOutside(), 0);
    form->CB7->setChecked(true);
  }
}

// A number typed beyond a field's range is taken to the range's bound, not
// cut to its first digits.
TEST_F(WindowTest, TypedValuesBeyondTheRangeAreClamped) {
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
}

// The window remembers the last kind, parameters and layers between starts.
TEST_F(WindowTest, RemembersTheLastMapBetweenStarts) {
  form->CB2->setCurrentIndex(Item(42));  // Mollweide
  form->rx1->setValue(120);
  form->rx3->setValue(-30);
  form->CB5->setChecked(true);
  form->CB7->setChecked(false);
  form->CB8->setChecked(true);
  form->CB9->setCurrentIndex(1);
  form->D2c();
  ASSERT_TRUE(form->WaitForDrawing());
  form.reset();
  Tprojeform again;
  ASSERT_TRUE(again.WaitForDrawing());
  EXPECT_EQ(again.CB2->currentText(), QStringLiteral("Mollweide-Projektion"));
  EXPECT_EQ(again.GxPL1.Projection, mpMollweide);
  EXPECT_EQ(again.rx1->value(), 120);
  EXPECT_EQ(again.rx3->value(), -30);
  EXPECT_TRUE(again.CB5->isChecked());
  EXPECT_FALSE(again.CB7->isChecked());
  EXPECT_TRUE(again.CB8->isChecked());
  EXPECT_EQ(again.CB9->currentIndex(), 1);
  EXPECT_EQ(again.GxPL1.Radius, 120);
  // The first start (nothing remembered) is the specified one.
  QSettings().clear();
  Tprojeform first;
  ASSERT_TRUE(first.WaitForDrawing());
  EXPECT_EQ(first.GxPL1.Projection, mpAzimuthalEA);
  EXPECT_EQ(first.rx1->value(), 75);
}

// The background choice and Tissot's indicatrices reach the drawing: the
// window shows the map the control draws with those settings.
TEST_F(WindowTest, DistortionBackgroundAndTissot) {
  const TBackground expected[] = {TBackground::EarthPicture, TBackground::AreaDistortion,
                                  TBackground::AngleDistortion};
  form->CB8->setChecked(true);
  for (int i : {2, 1, 0}) {
    form->CB9->setCurrentIndex(i);  // "Automatik" redraws
    ASSERT_TRUE(form->WaitForDrawing());
    EXPECT_EQ(form->GxM1->MapSettings.Background, expected[i]);
    EXPECT_TRUE(form->GxM1->MapSettings.Tissot);
    EXPECT_EQ(form->GxM1->MainMap(), Reference(*form)) << i;
  }
  const QImage withTissot = form->GxM1->MainMap();
  form->CB8->setChecked(false);
  ASSERT_TRUE(form->WaitForDrawing());
  EXPECT_FALSE(form->GxM1->MapSettings.Tissot);
  EXPECT_NE(form->GxM1->MainMap(), withTissot);
}
