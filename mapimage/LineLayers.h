// The two line layers: the coastlines, and the graticule with its labels.
// Each samples its lines through the projection's Forward, joins neighbouring
// samples that lie close on the map, and draws the joins as segments.
#pragma once

#include <vector>

#include "mapimage/MapLayer.h"

class TCoastLayer : public TMapLayer {
 public:
  // One progress step per point of the data.
  std::int64_t Steps(const TLayerInput& in, const QImage& target) const override;
  int Draw(TLayerInput& in, QImage& target, TDrawProgress& progress) override;
  bool Trace(TLayerInput& in, const QImage& target, TDrawProgress& progress,
             std::vector<TMapTrace>& out, int& error) override;

 private:
  std::vector<double> xy_;  // the projected points, when projected ahead on several threads
};

// Meridians and parallels as the projection's graticule fields say, then the
// labels. Refuses (kMapErrorGridUnusable) a projection that cannot draw or a
// range that would not end.
class TGraticuleLayer : public TMapLayer {
 public:
  int Draw(TLayerInput& in, QImage& target, TDrawProgress& progress) override;
  bool Trace(TLayerInput& in, const QImage& target, TDrawProgress& progress,
             std::vector<TMapTrace>& out, int& error) override;
};

// Draws a trace into a 24-bit image: its segments (one by one within the
// work budget, see TLineBatch), then its labels.
void DrawTrace(const TMapTrace& trace, QImage& target);

// The Draw of a line layer: its traces, drawn; returns the layer's error.
int DrawThroughTrace(TMapLayer& layer, TLayerInput& in, QImage& target, TDrawProgress& progress);
