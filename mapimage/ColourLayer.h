// The colour layer: the Earth picture re-projected pixel by pixel through
// the projection's inverse: the nearest source pixel, or a bilinear blend of
// the four around the point (TMapLook::Sampling).
#pragma once

#include "mapimage/MapLayer.h"

class TColourLayer : public TMapLayer {
 public:
  std::int64_t Steps(const TLayerInput& in, const QImage& target) const override;
  int Draw(TLayerInput& in, QImage& target, TDrawProgress& progress) override;
};
