// The picture layer's last result, kept by the background renderer: when
// only the lines change (graticule, coastlines, line width, labels), the
// picture beneath them is taken from here instead of being drawn again.
#pragma once

#include <QImage>

#include <memory>
#include <optional>

#include "mapimage/MapLayer.h"
#include "mapimage/ProjectionParams.h"

class TPictureCache {
 public:
  // What decides the picture layer's pixels: the projection's parameters
  // bit for bit, the picture, the size, and the look without the settings
  // that only the lines read (a setting added later counts as one that
  // decides the picture until it is named here).
  struct Key {
    TProjectionParams params;
    TMapLook look;
    qint64 picture;
    QSize size;
    bool operator==(const Key& o) const {
      return params == o.params && look == o.look && picture == o.picture && size == o.size;
    }
  };
  static Key KeyOf(const TGxProjectionL& p, const TMapLook& look, const QImage& picture,
                   const QSize& size);

  // The kept result for key, if there is one (counted as a hit).
  const QImage* Find(const Key& key);
  int Hits() const { return hits_; }
  void Keep(const Key& key, const QImage& image);
  void Clear();

 private:
  std::optional<Key> key_;
  QImage image_;
  int hits_ = 0;
};

// Wraps a picture layer so that it draws through the cache: a kept result
// is copied in (its progress steps still counted), a new one is kept. Only
// for a target that starts as the ColorEmpty fill.
class TCachedPictureLayer : public TMapLayer {
 public:
  TCachedPictureLayer(std::unique_ptr<TMapLayer> inner, TPictureCache& cache)
      : inner_(std::move(inner)), cache_(cache) {}
  std::int64_t Steps(const TLayerInput& in, const QImage& target) const override {
    return inner_->Steps(in, target);
  }
  int Draw(TLayerInput& in, QImage& target, TDrawProgress& progress) override;

 private:
  std::unique_ptr<TMapLayer> inner_;
  TPictureCache& cache_;
};
