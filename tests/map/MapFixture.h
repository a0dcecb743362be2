// A map control set up as the window sets up its own, with its reports kept.
#pragma once

#include <QImage>

#include <functional>
#include <utility>
#include <vector>

#include "mapimage/Coastlines.h"
#include "mapimage/GxMapImageL.h"

inline constexpr int kEquirectangular = 19, kMercator = 40, kMollweide = 42;  // list positions
inline constexpr double kDeg = 57.295779513082323;                             // degrees per radian

inline QImage Filled(int w, int h, QColor c) {
  QImage img(w, h, QImage::Format_BGR888);
  img.fill(c);
  return img;
}

// The coastline buffer is the test's to fill.
class TestMap : public TGxMapImageL {
 public:
  void SetCoast(std::vector<TCoastPoint> points) { CoastBuffer() = std::move(points); }
};

struct WindowMap {
  TGxProjectionL p;
  TestMap map;
  std::vector<std::pair<int, int>> progress;
  std::vector<int> errors;

  explicit WindowMap(int position = kEquirectangular, int w = 528, int h = 507) {
    map.resize(w, h);
    TMapSettings& s = map.MapSettings;
    s.GxProjection = &p;
    s.ColorEmpty = Qt::white;
    s.DrawColorMap = s.DrawCoast = s.DrawGrid = true;
    map.SetGridRange(180, -180, 90, -90, 30, 1);
    SetUpLikeWindow(p, CatalogueAt(position).Kind, w, h);
    map.OnProgress = [this](TGxMapImageL*, int max, int pos) { progress.push_back({max, pos}); };
    map.OnError = [this](TGxMapImageL*, int code) { errors.push_back(code); };
  }
  void Layers(bool colour, bool coast, bool grid) {
    map.MapSettings.DrawColorMap = colour;
    map.MapSettings.DrawCoast = coast;
    map.MapSettings.DrawGrid = grid;
  }
};

// A fresh map of the window's set-up, changed as given, drawn at once.
inline QImage DrawnAtOnce(int position, int w, int h, const std::function<void(WindowMap&)>& change = {}) {
  WindowMap m(position, w, h);
  if (change) change(m);
  m.map.Render();
  return m.map.MainMap();
}
