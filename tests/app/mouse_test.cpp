// The map explored with the mouse (drag, wheel, double click, read-out), the
// cut-off switch and what the window remembers.
#include <QWheelEvent>

#include <cmath>

#include "tests/app/WindowFixture.h"

namespace {

void Wheel(QWidget* w, QPoint at, int degreesTimesEight) {
  QWheelEvent e(QPointF(at), QPointF(w->mapToGlobal(at)), QPoint(), QPoint(0, degreesTimesEight),
                Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(w, &e);
}

void Hover(QWidget* w, QPoint at) {
  QMouseEvent e(QEvent::MouseMove, QPointF(at), QPointF(w->mapToGlobal(at)), Qt::NoButton,
                Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &e);
}

// Pressed at the first point, moved through the others, released at the last.
void Drag(QWidget* w, const std::vector<QPoint>& path) {
  QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, path.front());
  for (std::size_t i = 1; i < path.size(); ++i) {
    QTest::mouseMove(w, path[i]);
    QCoreApplication::processEvents();
  }
  QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, path.back());
}

QPoint PixelOf(const TGxProjectionL& p) {
  return QPoint(static_cast<int>(std::lround(p.X)), static_cast<int>(std::lround(p.Y)));
}

}  // namespace

// A drag turns the globe and keeps the grabbed point under the cursor; the
// full drawing once the mouse rests is that of the spin values.
TEST_F(WindowTest, DragTurnsTheGlobeAndKeepsThePointUnderTheCursor) {
  int full = 0;
  form->GxM1->OnRendered = [&](TGxMapImageL*, const TRenderedMap& m) { full += !m.preview; };
  const QPoint from(264, 300), to(290, 280);
  double lon, lat;
  TGxProjectionL probe = ProbeOf(form->GxPL1);
  ASSERT_TRUE(PointUnder(probe, from.x(), from.y(), lon, lat));
  std::vector<QPoint> path;
  for (int i = 0; i <= 6; ++i) path.push_back(from + (to - from) * i / 6);
  Drag(form->GxM1, path);
  ExpectDrawnAsReference();
  EXPECT_GE(full, 1);
  TGxProjectionL now = ProbeOf(form->GxPL1);
  now.Forward(lon, lat);
  EXPECT_EQ(now.ErrorCode, 0);
  EXPECT_LT(std::hypot(now.X - to.x(), now.Y - to.y()), 2.5);
  EXPECT_EQ(form->GxM1->SavedMap(), form->GxM1->MainMap());
}

// A kind change in the middle of a drag ends the drag. On a map without a
// centre latitude only the longitude turns; a drag far beyond the range
// wraps the longitude and keeps the tilt.
TEST_F(WindowTest, DragOnAWorldMapTurnsTheLongitudeOnly) {
  QTest::mousePress(form->GxM1, Qt::LeftButton, Qt::NoModifier, QPoint(264, 253));
  form->CB2->setCurrentIndex(Item(42));  // Mollweide
  const int longitude = form->rx3->value();
  QTest::mouseMove(form->GxM1, QPoint(300, 253), 0);
  EXPECT_EQ(form->rx3->value(), longitude);  // the move after the change turns nothing
  QTest::mouseRelease(form->GxM1, Qt::LeftButton, Qt::NoModifier, QPoint(300, 253));
  ASSERT_TRUE(form->WaitForDrawing());
  EXPECT_EQ(form->GxPL1.Projection, mpMollweide);
  form->rx2->setValue(0);
  const int parameter = form->rx4->value();
  Drag(form->GxM1, {{264, 253}, {330, 400}});  // down as well: no latitude to follow
  EXPECT_EQ(form->rx4->value(), parameter);
  EXPECT_EQ(form->rx2->value(), 0);
  EXPECT_LT(form->rx3->value(), 0);  // the map moved east: the central meridian went west
  // Far across the date line and back beyond the other side.
  Drag(form->GxM1, {{10, 253}, {520, 253}, {10, 100}, {520, 500}});
  EXPECT_GE(form->rx3->value(), -180);
  EXPECT_LE(form->rx3->value(), 180);
  ExpectDrawnAsReference();
}

// The pole dragged down past the centre stops the centre at the pole.
TEST_F(WindowTest, DragAcrossThePoleStopsAtIt) {
  TGxProjectionL probe = ProbeOf(form->GxPL1);
  probe.Forward(0, 90);
  std::vector<QPoint> path;
  for (int dy = 0; dy <= 150; dy += 10) path.push_back(PixelOf(probe) + QPoint(0, dy));
  Drag(form->GxM1, path);
  EXPECT_EQ(form->rx4->value(), 90);
  ExpectDrawnAsReference();
}

// The wheel zooms by a tenth per notch within the radius field's range.
TEST_F(WindowTest, WheelZoomsWithinTheRadiusRange) {
  QWidget* map = form->GxM1;
  Wheel(map, QPoint(264, 253), 120);
  EXPECT_EQ(form->rx1->value(), static_cast<int>(std::nearbyint(75 * 1.1)));
  const int once = form->rx1->value();
  Wheel(map, QPoint(264, 253), -240);
  EXPECT_EQ(form->rx1->value(), static_cast<int>(std::nearbyint(once * std::pow(1.1, -2))));
  for (int notch : {120, -120}) {
    for (int i = 0; i < 60; ++i) Wheel(map, QPoint(10, 10), notch);
    EXPECT_EQ(form->rx1->value(), notch > 0 ? 500 : 10);
  }
  ExpectDrawnAsReference();
  EXPECT_EQ(form->GxPL1.Radius, 10);
}

// The German read-out; a double click centres the map on the point (and the
// read-out follows), beside the map it does nothing.
TEST_F(WindowTest, ReadoutAndDoubleClickCentring) {
  QWidget* map = form->GxM1;
  Hover(map, QPoint(3, 3));
  EXPECT_EQ(form->L9->text(), QStringLiteral("außerhalb der Karte"));
  TGxProjectionL probe = ProbeOf(form->GxPL1);
  probe.Forward(-70.25, -33.5);  // Santiago de Chile
  Hover(map, PixelOf(probe));
  EXPECT_TRUE(form->L9->text().endsWith(QStringLiteral("° W")));
  EXPECT_TRUE(form->L9->text().contains(QStringLiteral("° S  ")));
  double lon, lat;
  ASSERT_TRUE(PointUnder(probe, 330, 300, lon, lat));
  Hover(map, QPoint(330, 300));
  const QString before = form->L9->text();
  QTest::mouseDClick(map, Qt::LeftButton, Qt::NoModifier, QPoint(330, 300));
  EXPECT_EQ(form->rx3->value(), static_cast<int>(std::nearbyint(lon)));
  EXPECT_EQ(form->rx4->value(), static_cast<int>(std::nearbyint(lat)));
  EXPECT_NE(form->L9->text(), before);
  ASSERT_TRUE(form->WaitForDrawing());
  const std::vector<int> centred{form->rx3->value(), form->rx4->value()};
  QTest::mouseDClick(map, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));  // beside the globe
  EXPECT_EQ((std::vector<int>{form->rx3->value(), form->rx4->value()}), centred);
}

// "Randbeschnitt" (default) keeps wild coastlines within the map's colour area.
TEST_F(WindowTest, CutOffKeepsTheLinesOnTheMap) {
  EXPECT_TRUE(form->CB7->isChecked());
  form->CB6->setChecked(false);
  form->CB3->setChecked(false);
  auto drawn = [&](bool coast) {
    form->CB5->setChecked(coast);
    form->D2c();
    EXPECT_TRUE(form->WaitForDrawing());
    return form->GxM1->MainMap();
  };
  auto coastOutside = [&] {
    const QImage lines = drawn(true), colour = drawn(false);
    int outside = 0;
    for (int y = 2; y < lines.height() - 2; ++y)
      for (int x = 2; x < lines.width() - 2; ++x) {
        if (lines.pixelColor(x, y) != QColor(0, 255, 0)) continue;
        bool nearMap = false;
        for (int dy = -2; dy <= 2 && !nearMap; ++dy)
          for (int dx = -2; dx <= 2 && !nearMap; ++dx)
            nearMap = colour.pixelColor(x + dx, y + dy) != QColor(Qt::white);
        outside += !nearMap;
      }
    return outside;
  };
  for (int position : {9, 46, 52}) {
    SCOPED_TRACE(position);
    form->CB2->setCurrentIndex(Item(position));
    form->CB7->setChecked(true);
    EXPECT_EQ(coastOutside(), 0);
    form->CB7->setChecked(false);
    EXPECT_GT(coastOutside(), 0);
  }
}

// The window remembers the last kind, parameters and layers between starts;
// the background choice and Tissot's indicatrices reach the drawing.
TEST_F(WindowTest, RemembersTheLastMapAndItsLayersBetweenStarts) {
  form->CB2->setCurrentIndex(Item(42));  // Mollweide
  form->rx1->setValue(120);
  form->rx3->setValue(-30);
  form->CB5->setChecked(true);
  form->CB7->setChecked(false);
  form->CB8->setChecked(true);
  form->CB9->setCurrentIndex(1);
  form->D2c();
  ASSERT_TRUE(form->WaitForDrawing());
  Open(false);
  EXPECT_EQ(form->GxPL1.Projection, mpMollweide);
  EXPECT_EQ((std::vector<int>{form->rx1->value(), form->rx3->value(), form->CB5->isChecked(),
                              form->CB7->isChecked(), form->CB8->isChecked(),
                              form->CB9->currentIndex()}),
            (std::vector<int>{120, -30, true, false, true, 1}));
  EXPECT_EQ(form->GxPL1.Radius, 120);
  EXPECT_EQ(form->GxM1->MapSettings.Background, TBackground::AreaDistortion);
  EXPECT_TRUE(form->GxM1->MapSettings.Tissot);
  ExpectDrawnAsReference();
  for (auto [i, background] :
       {std::pair{2, TBackground::AngleDistortion}, {0, TBackground::EarthPicture}}) {
    form->CB9->setCurrentIndex(i);  // "Automatik" redraws
    ExpectDrawnAsReference();
    EXPECT_EQ(form->GxM1->MapSettings.Background, background) << i;
  }
  form->CB8->setChecked(false);
  ExpectDrawnAsReference();
  EXPECT_FALSE(form->GxM1->MapSettings.Tissot);
}
