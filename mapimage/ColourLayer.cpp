#include "mapimage/ColourLayer.h"

#include "mapimage/PixelMath.h"
#include "mapimage/PixelRows.h"

#include <vector>

namespace {

// The colour picture as the pixel loops read it: plain pointers into an
// image that the layer holds, so that no drawing thread touches a QImage.
struct TColourSource {
  const uchar* bits;
  qsizetype stride;
  int width, height;
};

// The picture's colour for the pixel at lon, lat (degrees); false where
// the projection refused it (code) or the picture has no such pixel.
inline bool PictureColour(double lon, double lat, int code, const TColourSource& picture,
                          std::uint8_t* bgr) {
  if (code != 0) return false;
  int px, py;
  if (!SourcePixel(lon, lat, picture.width, picture.height, px, py)) return false;
  const uchar* s = picture.bits + py * picture.stride + 3 * px;
  bgr[0] = s[0];
  bgr[1] = s[1];
  bgr[2] = s[2];
  return true;
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
  DrawPixelColours(in, target, progress, [&picture](TGxProjectionL& p) {
    return [&p, &picture](int r, int c, int step, int n, std::uint8_t* bgr, char* painted) {
      // Row r itself: sampling r - 1 put the picture one row below the
      // graticule and coastlines that Forward places.
      std::vector<double> lon(static_cast<std::size_t>(n)), lat(static_cast<std::size_t>(n));
      std::vector<int> code(static_cast<std::size_t>(n));
      InverseSpan(p, r, c, step, n, lon.data(), lat.data(), code.data());
      for (int k = 0; k < n; ++k)
        painted[k] = PictureColour(lon[k], lat[k], code[k], picture, bgr + 3 * k);
    };
  });
  return 0;
}
