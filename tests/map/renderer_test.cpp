// Drawing on the worker thread: the same map as the control's own drawing,
// from a snapshot that later changes do not reach; only the last request is
// delivered; a preview samples a quarter of the pixels.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <memory>

#include "mapimage/MapRenderer.h"
#include "tests/map/MapFixture.h"

namespace {

QImage DrawnAtOnce(int position, int w, int h, void (*change)(WindowMap&) = nullptr) {
  WindowMap m(position, w, h);
  if (change) change(m);
  m.map.Render();
  return m.map.MainMap();
}

}  // namespace

TEST(Renderer, BackgroundDrawingEqualsTheControlsOwn) {
  struct Case {
    int position;
    void (*change)(WindowMap&);
  };
  for (const Case& c : {Case{4, nullptr}, Case{kMollweide, nullptr}, Case{52, nullptr},
                        Case{kMercator,
                             [](WindowMap& m) {
                               m.map.MapSettings.AntiAlias = true;
                               m.map.MapSettings.GridValues = true;
                               m.p.SetOblique(35);
                               m.p.SetAxis(0, 0);
                             }}}) {
    WindowMap m(c.position, 320, 240);
    if (c.change) c.change(m);
    int rendered = 0;
    m.map.OnRendered = [&](TGxMapImageL*, const TRenderedMap& map) {
      ++rendered;
      EXPECT_FALSE(map.preview);
    };
    m.map.RenderInBackground();
    ASSERT_TRUE(m.map.WaitForBackground());
    EXPECT_EQ(rendered, 1);
    EXPECT_EQ(m.map.MainMap(), DrawnAtOnce(c.position, 320, 240, c.change)) << c.position;
    EXPECT_EQ(m.map.SavedMap(), m.map.MainMap());
    // Progress for the window's label: from 0 to the total.
    ASSERT_FALSE(m.progress.empty());
    EXPECT_EQ(m.progress.front().second, 0);
    EXPECT_EQ(m.progress.back().first, m.progress.back().second);
  }
}

// What is drawn is what was asked for when it was asked for, and of two
// requests in a row only the second is delivered.
TEST(Renderer, SnapshotIsTakenAtTheRequestAndTheLastRequestWins) {
  const QImage at60 = DrawnAtOnce(kMollweide, 400, 300, [](WindowMap& m) { m.p.Radius = 60; });
  const QImage at90 = DrawnAtOnce(kMollweide, 400, 300, [](WindowMap& m) { m.p.Radius = 90; });
  WindowMap m(kMollweide, 400, 300);
  std::vector<quint64> delivered;
  m.map.OnRendered = [&](TGxMapImageL*, const TRenderedMap& map) { delivered.push_back(map.id); };
  m.p.Radius = 90;
  m.map.RenderInBackground();
  m.p.Radius = 60;
  m.map.RenderInBackground();
  m.p.Radius = 10;  // after the request: not drawn
  m.map.MapSettings.DrawGrid = false;
  ASSERT_TRUE(m.map.WaitForBackground());
  EXPECT_EQ(delivered.size(), 1u);
  EXPECT_EQ(m.map.MainMap(), at60);
  EXPECT_NE(m.map.MainMap(), at90);

  // A drawing at once in between wins over the background one.
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

// A preview samples every second pixel of every second row and fills its
// 2 x 2 block with the sample's colour (the pixels of a refused sample keep
// the background).
TEST(Renderer, PreviewFillsBlocksFromEverySecondPixel) {
  for (int position : {4, kMollweide, 49}) {
    auto colourOnly = [](WindowMap& m) { m.Layers(true, false, false); };
    const QImage full = DrawnAtOnce(position, 201, 151, colourOnly);
    WindowMap m(position, 201, 151);
    colourOnly(m);
    m.map.RenderInBackground(true);
    ASSERT_TRUE(m.map.WaitForBackground());
    const QImage preview = m.map.MainMap();
    ASSERT_EQ(preview.size(), full.size());
    int samples = 0;
    for (int r = 0; r < 151; r += 2)
      for (int c = 0; c < 201; c += 2) {
        const QRgb sample = full.pixel(c, r);
        for (int dy = 0; dy < 2 && r + dy < 151; ++dy)
          for (int dx = 0; dx < 2 && c + dx < 201; ++dx)
            ASSERT_EQ(preview.pixel(c + dx, r + dy), sample) << position << " " << c << "," << r;
        ++samples;
      }
    EXPECT_EQ(samples, 101 * 76);
    // A preview is not kept as the saved map.
    EXPECT_TRUE(m.map.SavedMap().isNull());
  }
}

// Closing the window during a drawing stops the worker; nothing is left
// running and nothing crashes.
TEST(Renderer, DestroyedDuringADrawing) {
  for (int i = 0; i < 3; ++i) {
    auto m = std::make_unique<WindowMap>(48, 1600, 1200);
    m->map.RenderInBackground();
    QCoreApplication::processEvents();
    m.reset();
  }
  TMapRenderer renderer;
  renderer.Cancel();  // with nothing to cancel
}
