#include "mapimage/ColourLayer.h"

#include "mapimage/PictureSpan.h"
#include "mapimage/PixelMath.h"
#include "mapimage/PixelRows.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// The colour picture as the pixel loops read it: plain pointers into an
// image that the layer holds, so that no drawing thread touches a QImage.
struct TColourSource {
  const uchar* bits;
  qsizetype stride;
  int width, height;
  TPictureGrid grid;
};

inline void CopyPixel(const TColourSource& picture, int px, int py, uchar* rgb) {
  CopyBgr(picture.bits + py * picture.stride + 3 * px, rgb);
}

// The bilinear colour of the picture at a longitude and latitude (degrees),
// or false where the picture has none.
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

// The picture's bilinear colours for the pixels of a span, through the
// kind's inverse a row at a time; the pixels the projection refuses keep
// what the row held.
void PaintBilinear(TLayerInput& in, QImage& target, TDrawProgress& progress,
                   const TColourSource& picture) {
  DrawPixelColours(in, target, progress, [&picture](TGxProjectionL& p) {
    return [&p, &picture](int r, int c, int step, int n, std::uint8_t* bgr, char* painted) {
      // Row r itself: sampling r - 1 put the picture one row below the
      // graticule and coastlines that Forward places.
      std::vector<double> lon(static_cast<std::size_t>(n)), lat(static_cast<std::size_t>(n));
      std::vector<int> code(static_cast<std::size_t>(n));
      p.InverseRow(r, c, n, lon.data(), lat.data(), code.data(), step);
      for (int k = 0; k < n; ++k)
        painted[k] = code[k] == 0 && BilinearColour(picture, lon[k], lat[k], bgr + 3 * k);
    };
  });
}

// The same for the nearest pixel (NearestSourcePixels).
void PaintNearest(TLayerInput& in, QImage& target, TDrawProgress& progress,
                  const TColourSource& picture) {
  DrawPixelColours(in, target, progress, [&picture](TGxProjectionL& p) {
    const bool mirror = PictureMirror(p);
    return [&p, &picture, mirror](int r, int c, int step, int n, std::uint8_t* bgr,
                                  char* painted) {
      std::vector<double> lon(static_cast<std::size_t>(n)), lat(static_cast<std::size_t>(n));
      std::vector<int> code(static_cast<std::size_t>(n));
      std::fill_n(painted, n, 0);
      NearestSourcePixels(p, picture.grid, mirror, r, c, step, n, lon.data(), lat.data(),
                          code.data(), [&](int k, int px, int py) {
                            CopyPixel(picture, px, py, bgr + 3 * k);
                            painted[k] = 1;
                          });
    };
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
                              source.height(), TPictureGrid(source.width(), source.height())};
  if (in.look.Sampling == TSampling::Bilinear) {
    PaintBilinear(in, target, progress, picture);
  } else {
    // The nearest row of the picture is all that the pass needs of a
    // latitude: the kinds that solve theirs by iteration may skip that where
    // the row is certain.
    struct PictureRows {
      TGxProjectionL& p;
      ~PictureRows() { p.SetPictureRows(0); }
    } rows{in.p};
    in.p.SetPictureRows(picture.height);
    PaintNearest(in, target, progress, picture);
  }
  return 0;
}
