// The distortion map: in place of the Earth picture, every pixel of the map
// takes the colour of the map's own distortion at the point it shows,
// worked out through Inverse and the indicatrix of projection/Distortion.h.
// The areal scale goes on a diverging scale centred on 1 (log2 from 1/4 to
// 4), the largest change of an angle on viridis from 0 to 90 degrees. A
// legend in the lower left corner gives the colours their values.
#pragma once

#include <QRect>

#include "mapimage/ColourScales.h"
#include "mapimage/MapLayer.h"

struct TDistortion;

// The colour scale of a distortion background, and where a point's
// distortion lies on it (0 to 1; beyond the ends the ends' colours).
const TColourScale& DistortionScale(TBackground shows);
double DistortionScalePosition(TBackground shows, const TDistortion& d);

// The picture layer of AreaDistortion and AngleDistortion. Pixels that
// Inverse refuses, or that have no value, keep the background.
class TDistortionLayer : public TMapLayer {
 public:
  explicit TDistortionLayer(TBackground shows) : shows_(shows) {}
  TBackground Shows() const { return shows_; }

  // One progress step per pixel, as the colour layer.
  std::int64_t Steps(const TLayerInput& in, const QImage& target) const override;
  int Draw(TLayerInput& in, QImage& target, TDrawProgress& progress) override;

 private:
  TBackground shows_;
};

// The legend of a distortion map: a titled colour bar with tick values in a
// box in the lower left corner, drawn last so that no line crosses it. A
// picture, not lines: vector exports draw it into the image beneath them.
class TDistortionLegend : public TMapLayer {
 public:
  explicit TDistortionLegend(TBackground shows) : shows_(shows) {}
  TBackground Shows() const { return shows_; }

  // Drawn with the distortion map only (DrawColorMap).
  int Draw(TLayerInput& in, QImage& target, TDrawProgress& progress) override;

  // The box on a target of this size; empty when the map is too small for it.
  static QRect Area(const QImage& target, const TMapLook& look);

 private:
  TBackground shows_;
};
