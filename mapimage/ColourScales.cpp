#include "mapimage/ColourScales.h"

#include <algorithm>

namespace {

std::uint8_t Channel(double v) {
  return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255));
}

// Viridis by Stéfan van der Walt and Nathaniel Smith, whose table is
// released under CC0. The scale is written here as the published degree-6
// polynomial fit of that table by Matt Zucker (also CC0), evaluated at the
// scale's positions: the fit stays within 5/255 of the table in every channel
// (the map tests hold it to the table's well-known colours), which the eye
// cannot tell apart, and it spares 768 typed constants.
class TViridis : public TColourScale {
 public:
  TViridis() {
    // Coefficients of t^0 .. t^6 for red, green and blue.
    static constexpr double kC[7][3] = {
        {0.2777273272234177, 0.005407344544966578, 0.3340998053353061},
        {0.1050930431085774, 1.404613529898575, 1.384590162594685},
        {-0.3308618287255563, 0.214847559468213, 0.09509516302823659},
        {-4.634230498983486, -5.799100973351585, -19.33244095627987},
        {6.228269936347081, 14.17993336680509, 56.69055260068105},
        {4.776384997670288, -13.74514537774601, -65.35303263337234},
        {-5.435455855934631, 4.645852612178535, 26.3124352495832},
    };
    for (int i = 0; i < kSize; ++i) {
      const double t = static_cast<double>(i) / (kSize - 1);
      double rgb[3];
      for (int k = 0; k < 3; ++k) {
        double v = 0;
        for (int n = 6; n >= 0; --n) v = v * t + kC[n][k];
        rgb[k] = v;
      }
      bgr_[i] = {Channel(rgb[2]), Channel(rgb[1]), Channel(rgb[0])};
    }
  }
};

// ColorBrewer's diverging "RdBu" in eleven classes, by Cynthia Brewer
// (Apache License 2.0), from its blue end to its red end, joined by straight
// lines in sRGB between the classes.
class TBlueRed : public TColourScale {
 public:
  TBlueRed() {
    static constexpr std::uint32_t kClasses[] = {0x053061, 0x2166ac, 0x4393c3, 0x92c5de,
                                                 0xd1e5f0, 0xf7f7f7, 0xfddbc7, 0xf4a582,
                                                 0xd6604d, 0xb2182b, 0x67001f};
    constexpr int kLast = static_cast<int>(std::size(kClasses)) - 1;
    for (int i = 0; i < kSize; ++i) {
      const double at = static_cast<double>(i) / (kSize - 1) * kLast;
      const int k = std::min(static_cast<int>(at), kLast - 1);
      const double f = at - k;
      double rgb[3];
      for (int c = 0; c < 3; ++c) {
        const int shift = 16 - 8 * c;
        const double a = (kClasses[k] >> shift) & 0xFF, b = (kClasses[k + 1] >> shift) & 0xFF;
        rgb[c] = (a + f * (b - a)) / 255;
      }
      bgr_[i] = {Channel(rgb[2]), Channel(rgb[1]), Channel(rgb[0])};
    }
  }
};

}  // namespace

const TColourScale& ViridisScale() {
  static const TViridis scale;
  return scale;
}

const TColourScale& BlueRedScale() {
  static const TBlueRed scale;
  return scale;
}
