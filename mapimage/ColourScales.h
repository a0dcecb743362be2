// Perceptual colour scales for maps of a quantity: 257 colours from one end
// of the scale (position 0) to the other (position 1).
#pragma once

#include <QColor>

#include <array>
#include <cmath>
#include <cstdint>

class TColourScale {
 public:
  using Bgr = std::array<std::uint8_t, 3>;  // blue, green, red: the order of a 24-bit row

  // The colour at a position; positions beyond the ends take the end's
  // colour, and NaN the colour of position 0.
  const Bgr& At(double position) const { return bgr_[Index(position)]; }
  const Bgr& Entry(int index) const { return bgr_[index]; }  // 0 .. kSize - 1
  QColor ColourAt(double position) const {
    const Bgr& c = At(position);
    return QColor(c[2], c[1], c[0]);
  }

  static int Index(double position) {
    if (!(position > 0)) return 0;
    if (!(position < 1)) return kSize - 1;
    return static_cast<int>(std::lround(position * (kSize - 1)));
  }

  // An odd count puts an entry on the middle of a diverging scale.
  static constexpr int kSize = 257;

 protected:
  std::array<Bgr, kSize> bgr_{};
};

// Viridis (matplotlib's default scale, dark violet through teal to yellow):
// even steps in lightness, readable in grey and with the common colour
// vision deficiencies. For the largest change of an angle.
const TColourScale& ViridisScale();

// A diverging scale, dark blue through near white to dark red, for a ratio
// centred on 1 (the middle position is the near white).
const TColourScale& BlueRedScale();
