#include "mapimage/ColourLayer.h"

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
  const uchar* s = picture.bits + py * picture.stride + 3 * px;
  rgb[0] = s[0];
  rgb[1] = s[1];
  rgb[2] = s[2];
}

// The colour of the picture at a longitude and latitude (degrees), or false
// where the picture has none.
inline bool NearestColour(const TColourSource& picture, double lon, double lat, uchar* rgb) {
  int px, py;
  if (!SourcePixel(lon, lat, picture.width, picture.height, px, py)) return false;
  CopyPixel(picture, px, py, rgb);
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

// NearestColour of the angles (radians) before the fold.
inline bool NearestColourUnfolded(const TColourSource& picture, double lambda, double phi,
                                  uchar* rgb) {
  int px, py;
  if (!SourcePixelOfAngles(picture.grid, lambda, phi, px, py)) return false;
  CopyPixel(picture, px, py, rgb);
  return true;
}

// The nearest picture's colours for a span of a map that is its own mirror
// image about the column `axis` (MirrorColumn): the pixels past the axis
// whose image lies in the span take the image's angles, the longitude
// reflected about the central meridian, so that half the span costs an
// inverse. The reflection is right to a few units of rounding, far within
// the slack that ClearSourcePixel allows; a pixel whose source pixel that
// slack cannot tell has its own inverse, as has the span's last pixel, so
// that the component's fields end as the span's own calls would leave them.
// False (nothing painted) for a span without images or a row that went
// through Inverse pixel by pixel.
bool NearestMirrored(TGxProjectionL& p, const TColourSource& picture, double axis, int r, int c,
                     int step, int n, double* lon, double* lat, int* code, std::uint8_t* bgr,
                     char* painted) {
  // Pixel k's image is pixel images - k.
  const double m = (2 * axis - 2.0 * c) / step;
  if (!(m == std::floor(m) && m >= 2 && m <= 2.0 * n)) return false;  // NaN too
  const int images = static_cast<int>(m), split = images / 2 + 1;
  const int end = std::min(images + 1, n - 1);
  if (split >= end) return false;
  const auto own = [&](int from, int to) {
    if (!p.InverseRowUnfolded(r, c + from * step, to - from, lon + from, lat + from, code + from,
                              step))
      return false;
    for (int k = from; k < to; ++k)
      painted[k] = code[k] == 0 && NearestColourUnfolded(picture, lon[k], lat[k], bgr + 3 * k);
    return true;
  };
  if (!own(0, split)) return false;
  const double twice = 2 * p.Theta;
  for (int k = split; k < end; ++k) {
    const int j = images - k;
    int px, py;
    bool inside = false;
    if (code[j] != 0 || ClearSourcePixel(picture.grid, twice - lon[j], lat[j], px, py, inside)) {
      painted[k] = code[j] == 0 && inside;
      if (painted[k]) CopyPixel(picture, px, py, bgr + 3 * k);
    } else if (!own(k, k + 1)) {
      return false;
    }
  }
  return own(end, n);
}

// The picture's colours for the pixels of a span, through the kind's
// inverse a row at a time; the pixels the projection refuses keep what the
// row held. With Unfolded, Colour takes the angles before the fold (radians)
// wherever the row offers them.
template <bool (*Colour)(const TColourSource&, double, double, uchar*),
          bool (*Unfolded)(const TColourSource&, double, double, uchar*) = nullptr>
void PaintPicture(TLayerInput& in, QImage& target, TDrawProgress& progress,
                  const TColourSource& picture) {
  DrawPixelColours(in, target, progress, [&picture](TGxProjectionL& p) {
    double axis = 0;
    // Not for the kinds that solve for their latitudes: each pixel leaves its
    // own in IterLat, which the span's last writer must leave as it stands
    // (and the picture's rows spare them most of their solving anyway).
    const bool mirrored =
        Unfolded == NearestColourUnfolded && !p.InverseSolves() && p.MirrorColumn(axis);
    return [&p, &picture, mirrored, axis](int r, int c, int step, int n, std::uint8_t* bgr,
                                          char* painted) {
      // Row r itself: sampling r - 1 put the picture one row below the
      // graticule and coastlines that Forward places.
      std::vector<double> lon(static_cast<std::size_t>(n)), lat(static_cast<std::size_t>(n));
      std::vector<int> code(static_cast<std::size_t>(n));
      if constexpr (Unfolded != nullptr) {
        if (mirrored && p.CanDrawInBatches() &&
            NearestMirrored(p, picture, axis, r, c, step, n, lon.data(), lat.data(), code.data(),
                            bgr, painted))
          return;
        if (p.InverseRowUnfolded(r, c, n, lon.data(), lat.data(), code.data(), step)) {
          for (int k = 0; k < n; ++k)
            painted[k] = code[k] == 0 && Unfolded(picture, lon[k], lat[k], bgr + 3 * k);
          return;
        }
      } else {
        p.InverseRow(r, c, n, lon.data(), lat.data(), code.data(), step);
      }
      for (int k = 0; k < n; ++k)
        painted[k] = code[k] == 0 && Colour(picture, lon[k], lat[k], bgr + 3 * k);
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
    PaintPicture<BilinearColour>(in, target, progress, picture);
  } else {
    // The nearest row of the picture is all that the pass needs of a
    // latitude: the kinds that solve theirs by iteration may skip that where
    // the row is certain.
    struct PictureRows {
      TGxProjectionL& p;
      ~PictureRows() { p.SetPictureRows(0); }
    } rows{in.p};
    in.p.SetPictureRows(picture.height);
    PaintPicture<NearestColour, NearestColourUnfolded>(in, target, progress, picture);
  }
  return 0;
}
