// Drawing on the worker thread: snapshots, the last request, previews.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <memory>

#include "mapimage/MapRenderer.h"
#include "tests/map/MapFixture.h"

// The background drawing (one delivery, no preview) is the control's own and saved.
TEST(Renderer, BackgroundDrawingEqualsTheControlsOwn) {
  const auto tilted = [](WindowMap& m) {
    m.map.MapSettings.AntiAlias = m.map.MapSettings.GridValues = true;
    m.p.SetOblique(35);
    m.p.SetAxis(0, 0);
  };
  for (auto [position, change] : {std::pair<int, void (*)(WindowMap&)>{4, nullptr},
                                  {kMollweide, nullptr}, {52, nullptr}, {kMercator, tilted}}) {
    WindowMap m(position, 320, 240);
    if (change) change(m);
    int rendered = 0;
    m.map.OnRendered = [&](TGxMapImageL*, const TRenderedMap& map) { rendered += map.preview ? 100 : 1; };
    m.map.RenderInBackground();
    ASSERT_TRUE(m.map.WaitForBackground());
    EXPECT_EQ(rendered, 1);
    EXPECT_EQ(m.map.MainMap(), DrawnAtOnce(position, 320, 240, change)) << position;
    EXPECT_EQ(m.map.SavedMap(), m.map.MainMap());
    ASSERT_FALSE(m.progress.empty());
    EXPECT_EQ(m.progress.front().second, 0);
    EXPECT_EQ(m.progress.back().first, m.progress.back().second);
  }
}

// The snapshot is taken at the request; the last request wins, and so does
// a drawing at once in between.
TEST(Renderer, SnapshotIsTakenAtTheRequestAndTheLastRequestWins) {
  const QImage at60 = DrawnAtOnce(kMollweide, 400, 300, [](WindowMap& m) { m.p.Radius = 60; });
  const QImage at90 = DrawnAtOnce(kMollweide, 400, 300, [](WindowMap& m) { m.p.Radius = 90; });
  WindowMap m(kMollweide, 400, 300);
  int delivered = 0;
  m.map.OnRendered = [&](TGxMapImageL*, const TRenderedMap&) { ++delivered; };
  m.p.Radius = 90;
  m.map.RenderInBackground();
  m.p.Radius = 60;
  m.map.RenderInBackground();
  m.p.Radius = 10;  // after the request: not drawn
  m.map.MapSettings.DrawGrid = false;
  ASSERT_TRUE(m.map.WaitForBackground());
  EXPECT_EQ(delivered, 1);
  EXPECT_EQ(m.map.MainMap(), at60);
  EXPECT_NE(m.map.MainMap(), at90);
  m.p.Radius = 90;
  m.map.MapSettings.DrawGrid = true;
  m.map.RenderInBackground();
  m.map.Render();
  ASSERT_TRUE(m.map.WaitForBackground());
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < 200) QCoreApplication::processEvents();
  EXPECT_EQ(m.map.MainMap(), at90);
}

// A preview fills each 2 x 2 block from its top-left pixel and is not saved.
TEST(Renderer, PreviewFillsBlocksFromEverySecondPixel) {
  const auto colourOnly = [](WindowMap& m) { m.Layers(true, false, false); };
  for (int position : {4, kMollweide, 49}) {
    const QImage full = DrawnAtOnce(position, 201, 151, colourOnly);
    WindowMap m(position, 201, 151);
    colourOnly(m);
    m.map.RenderInBackground(true);
    ASSERT_TRUE(m.map.WaitForBackground());
    const QImage preview = m.map.MainMap();
    ASSERT_EQ(preview.size(), full.size());
    for (int r = 0; r < 151; ++r)
      for (int c = 0; c < 201; ++c)
        ASSERT_EQ(preview.pixel(c, r), full.pixel(c & ~1, r & ~1)) << position << " " << c << "," << r;
    EXPECT_TRUE(m.map.SavedMap().isNull());
  }
}

// Destroyed during a drawing, or cancelled with nothing to cancel: no crash.
TEST(Renderer, DestroyedDuringADrawing) {
  for (int i = 0; i < 3; ++i) {
    auto m = std::make_unique<WindowMap>(48, 1600, 1200);
    m->map.RenderInBackground();
    QCoreApplication::processEvents();
  }
  TMapRenderer().Cancel();
}
