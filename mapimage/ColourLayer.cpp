#include "mapimage/ColourLayer.h"

#include "mapimage/PixelMath.h"
#include "mapimage/PixelRows.h"

namespace {

// The colour picture as the pixel loops read it: plain pointers into an
// image that the layer holds, so that no drawing thread touches a QImage.
struct TColourSource {
  const uchar* bits;
  qsizetype stride;
  int width, height;
};

// The colour of the picture at a longitude and latitude (degrees), or false
// where the picture has none.
inline bool NearestColour(const TColourSource& picture, double lon, double lat, uchar* rgb) {
  int px, py;
  if (!SourcePixel(lon, lat, picture.width, picture.height, px, py)) return false;
  const uchar* s = picture.bits + py * picture.stride + 3 * px;
  rgb[0] = s[0];
  rgb[1] = s[1];
  rgb[2] = s[2];
  return true;
}

inline bool BilinearColour(const TColourSource& picture, double lon, double lat, uchar* rgb) {
  TBilinearTaps t;
  if (!BilinearTapsOf(lon, lat, picture.width, picture.height, t)) return false;
  const uchar* top = picture.bits + t.y0 * picture.stride;
  const uchar* bottom = picture.bits + t.y1 * picture.stride;
  for (int k = 0; k < 3; ++k)
    rgb[k] = BlendChannel(top[3 * t.x0 + k], top[3 * t.x1 + k], bottom[3 * t.x0 + k],
                          bottom[3 * t.x1 + k], t.fx, t.fy);
  return true;
}

// Pixel (c, r) takes the picture's colour where the map shows the Earth;
// the pixels the projection refuses keep what the row held. `fill` more
// pixels to the right and `below` rows down take the same colour (a
// preview's block).
template <bool (*Colour)(const TColourSource&, double, double, uchar*)>
inline void PaintPixel(TGxProjectionL& p, int c, int r, const TColourSource& picture, uchar* row,
                       qsizetype stride, int fill, int below) {
  // Row r itself: sampling r - 1 put the picture one row below the
  // graticule and coastlines that Forward places.
  p.InverseForDrawing(c, r);
  if (p.ErrorCode != 0) return;
  uchar s[3];
  if (!Colour(picture, p.X, p.Y, s)) return;
  for (int dy = 0; dy < below; ++dy)
    for (int dx = 0; dx < fill; ++dx) {
      uchar* d = row + dy * stride + 3 * (c + dx);
      d[0] = s[0];
      d[1] = s[1];
      d[2] = s[2];
    }
}

template <bool (*Colour)(const TColourSource&, double, double, uchar*)>
void PaintPicture(TLayerInput& in, QImage& target, TDrawProgress& progress,
                  const TColourSource& picture) {
  const int W = target.width(), H = target.height();
  const int step = in.look.Preview ? 2 : 1;
  DrawPixelRows(in, target, progress, step,
                [&](TGxProjectionL& p, int r, int c0, int c1, uchar* row, qsizetype stride) {
                  const int below = std::min(step, H - r);
                  // A preview samples the even columns; a span that starts
                  // on an odd one (after a report) begins at the next.
                  for (int c = c0 + (c0 % step); c < c1; c += step)
                    PaintPixel<Colour>(p, c, r, picture, row, stride, std::min(step, W - c),
                                       below);
                });
}

}  // namespace

std::int64_t TColourLayer::Steps(const TLayerInput&, const QImage& target) const {
  return std::int64_t{target.width()} * target.height();
}

int TColourLayer::Draw(TLayerInput& in, QImage& target, TDrawProgress& progress) {
  // A shared handle: the picture stays alive even if a handler replaces or
  // frees the settings' copy while events run.
  QImage source = in.picture;
  if (source.isNull()) return 0;
  if (source.format() != QImage::Format_BGR888)
    source = source.convertToFormat(QImage::Format_BGR888);
  const TColourSource picture{source.constBits(), source.bytesPerLine(), source.width(),
                              source.height()};
  if (in.look.Sampling == TSampling::Bilinear)
    PaintPicture<BilinearColour>(in, target, progress, picture);
  else
    PaintPicture<NearestColour>(in, target, progress, picture);
  return 0;
}
