// The layers of a map and what they draw with. A layer is one object behind
// the small interface below: the colour picture, the coastlines, the
// graticule with its labels, and whatever is added beside them. The same
// layers serve the control's own drawing (on the GUI thread, through the
// projection component itself, with its events) and the background renderer
// (on a worker thread, through a copy of the component).
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

#include "mapimage/LineBatch.h"
#include "projection/GxProjectionL.h"

struct TCoastPoint;

// What the picture layer shows beneath the lines: the Earth, or the map's
// own distortion as colour (the areal scale, or the largest change of an
// angle), with a legend in a corner.
enum class TBackground { EarthPicture, AreaDistortion, AngleDistortion };

// Tissot's indicatrices are outlined in this colour unless the look says
// otherwise: a magenta that none of the pictures uses.
inline constexpr QRgb kDefaultTissotRgb = qRgb(0xE0, 0x00, 0xE0);

// How the colour layer reads the Earth picture: the nearest pixel (the
// window's picture as it always was drawn), or a bilinear blend of the four
// around the point (a detailed picture drawn large, without blocks).
enum class TSampling { Nearest, Bilinear };

// The drawing values a map control's settings hold, and each drawing takes
// a copy of: the one list of them.
struct TMapStyle {
  bool AntiAlias = false;                  // graticule lines anti-aliased (coastlines never are)
  QColor ColorEmpty = QColor(0, 0, 0);     // background where no layer paints
  QColor ColorGrid = QColor(0x80, 0x80, 0x80);  // graticule lines and labels
  bool GridValues = false;                 // draw the grid labels
  QColor ColorCoast = QColor(0, 0xFF, 0);  // coastlines
  bool DrawCoast = false;
  bool DrawGrid = true;
  bool DrawColorMap = false;
  double LineWidth = 1.0;                  // pixels, graticule and coastlines (at most 64 drawn)
  bool UseColorEmpty = true;               // fill before each drawing and keep a saved copy
  // What DrawColorMap draws: the Earth picture, or a distortion map with
  // its legend.
  TBackground Background = TBackground::EarthPicture;
  bool Tissot = false;  // Tissot's indicatrices at the graticule's intersections, on top
  QColor ColorTissot = QColor::fromRgb(kDefaultTissotRgb);
  TSampling Sampling = TSampling::Nearest;  // how the colour picture is read

  bool operator==(const TMapStyle&) const = default;
};

// The drawing settings of one drawing, as plain values (a copy of the
// control's settings taken when the drawing starts), with the control's font.
struct TMapLook : TMapStyle {
  QFont Font;  // of the grid labels and the legend
  // A quick drawing while the map moves under the hand: the picture layer
  // samples every second row and column and fills each 2 x 2 block.
  bool Preview = false;

  bool operator==(const TMapLook&) const = default;
};

// How a drawing counts its steps (pixels of the colour layer, points of the
// coastlines). The control reports every so many steps to its progress
// handler and lets pending events run; the background renderer reports to
// the window and looks whether it is to stop.
class TDrawProgress {
 public:
  enum class Result {
    Quiet,      // nothing happened
    EventsRan,  // handlers ran: what they may have replaced must be fetched again
    Stop,       // the drawing is to end now (aborted, or restarted with new settings)
  };
  virtual ~TDrawProgress() = default;
  // n more steps done, 1 <= n <= StepsToReport().
  virtual Result Advance(std::int64_t n) = 0;
  // Steps up to and including the next report.
  virtual std::int64_t StepsToReport() const = 0;
  // True once Advance said Stop: the drawing ends as soon as it can.
  virtual bool Stopped() const = 0;
  // False when Advance never lets handlers run (never says EventsRan): no
  // one can then replace the target while the drawing runs.
  virtual bool RunsEvents() const { return true; }
};

// What every layer draws with.
struct TLayerInput {
  TGxProjectionL& p;
  const TMapLook& look;
  const std::vector<TCoastPoint>& coast;
  const QImage& picture;  // the colour picture of the Earth, 24-bit; may be null
  // Rows of the colour layer may go to other threads, each with its own
  // copy of the component (never while handlers or a converter could tell).
  bool threadsAllowed = true;
};

// Map-control error codes (MapErrorCode), also returned by the layers.
inline constexpr int kMapErrorNoProjection = 1;  // no projection assigned; graticule also when DrawGrid is off
inline constexpr int kMapErrorGridKind = 3;      // grid kinds (list positions 0..2) carry no coastlines
inline constexpr int kMapErrorNoColorMap = 4;    // the settings hold no colour picture
inline constexpr int kMapErrorGridUnusable = 5;  // projection or graticule range unusable for a graticule
inline constexpr int kMapErrorNoImage = 6;       // no memory for an image of the map's size

// A line layer's drawing as vectors: the polylines in map pixels with their
// pen, and the texts with their font. Vector exports draw these; the raster
// drawing draws the very same segments and texts.
struct TLabel {
  QPoint baseline;  // left end of the text's baseline, pixels
  QString text;
};
struct TMapTrace {
  TMapTrace(int W, int H, double width, bool antiAlias, const QColor& colour)
      : lines(W, H, width, antiAlias), colour(colour) {}
  TLineBatch lines;
  QColor colour;
  std::vector<TLabel> labels;  // in `colour`, with `font`
  QFont font;
};

class TMapLayer {
 public:
  virtual ~TMapLayer() = default;

  // Progress steps the layer counts (0 for the layers that count none).
  virtual std::int64_t Steps(const TLayerInput& in, const QImage& target) const {
    (void)in;
    (void)target;
    return 0;
  }
  // Draws into target (24-bit). Returns a map error code, or 0. A layer that
  // stops because progress said so returns 0 and leaves the rest undrawn.
  virtual int Draw(TLayerInput& in, QImage& target, TDrawProgress& progress) = 0;
  // The vector form of a line layer for the target's size; false for layers
  // that are pictures (they are drawn into an image beneath the vectors).
  virtual bool Trace(TLayerInput& in, const QImage& target, TDrawProgress& progress,
                     std::vector<TMapTrace>& out, int& error) {
    (void)in;
    (void)target;
    (void)progress;
    (void)out;
    (void)error;
    return false;
  }
};
