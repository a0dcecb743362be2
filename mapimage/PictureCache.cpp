#include "mapimage/PictureCache.h"

#include <algorithm>

TPictureCache::Key TPictureCache::KeyOf(const TGxProjectionL& p, const TMapLook& look,
                                        const QImage& picture, const QSize& size) {
  Key key{TProjectionParams::Of(p), look, picture.isNull() ? -1 : picture.cacheKey(), size};
  // The settings only the line layers read.
  const TMapLook plain;
  key.look.AntiAlias = plain.AntiAlias;
  key.look.ColorGrid = plain.ColorGrid;
  key.look.GridValues = plain.GridValues;
  key.look.ColorCoast = plain.ColorCoast;
  key.look.DrawCoast = plain.DrawCoast;
  key.look.DrawGrid = plain.DrawGrid;
  key.look.LineWidth = plain.LineWidth;
  key.look.Font = plain.Font;
  return key;
}

const QImage* TPictureCache::Find(const Key& key) {
  if (!key_ || !(*key_ == key)) return nullptr;
  ++hits_;
  return &image_;
}

void TPictureCache::Keep(const Key& key, const QImage& image) {
  key_ = key;
  image_ = image;
}

void TPictureCache::Clear() {
  key_.reset();
  image_ = QImage();
}

int TCachedPictureLayer::Draw(TLayerInput& in, QImage& target, TDrawProgress& progress) {
  const TPictureCache::Key key = TPictureCache::KeyOf(in.p, in.look, in.picture, target.size());
  if (const QImage* kept = cache_.Find(key)) {
    target = *kept;
    for (std::int64_t left = Steps(in, target); left > 0;) {
      const std::int64_t n = std::min(left, progress.StepsToReport());
      left -= n;
      if (progress.Advance(n) == TDrawProgress::Result::Stop) return 0;
    }
    return 0;
  }
  const int error = inner_->Draw(in, target, progress);
  if (!progress.Stopped() && error == 0) cache_.Keep(key, target);
  return error;
}
