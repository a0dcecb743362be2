// The map control: a widget that owns a 24-bit off-screen image (MainMap) and
// draws the map into it through a projection component it does not own. The
// layers, in drawing order: background or colour picture, coastlines,
// graticule, grid labels.
//
// Everything runs on the GUI thread, except that the colour picture's rows and
// the coastline's points may be projected on several threads, each with its
// own copy of the projection component taken when the pass begins, when no
// event of the component can fire (no OnError, OnForward or OnInverse handler)
// and no converter is attached. Those threads draw the picture into an image
// of their own, copied into MainMap at the end of the pass; the coastline is
// drawn on the GUI thread from the projected points. While a drawing runs,
// the control lets the application process pending events every 10000 steps,
// on the GUI thread; a Render that arrives meanwhile returns at once.
#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

#include "projection/GxProjectionL.h"

class QPainter;
class TGxCustomMapImage;
class TGxMapImageL;
struct TCoastPoint;
struct TGridCounts;
struct TColourSource;  // internal to the colour pass

// Events: the Sender (the control) comes first.
using TGxPaintEvent = std::function<void(TGxCustomMapImage* Sender, QPainter& Canvas)>;
using TMapErrorEvent = std::function<void(TGxMapImageL* Sender, int Return)>;
// Max may be 0 (no colour layer and no coastlines): handlers must not divide by it unguarded.
using TProgress = std::function<void(TGxMapImageL* Sender, int Max, int Position)>;

// Map-control error codes (MapErrorCode).
inline constexpr int kMapErrorNoProjection = 1;  // no projection assigned; graticule also when DrawGrid is off
inline constexpr int kMapErrorGridKind = 3;      // grid kinds (list positions 0..2) carry no coastlines
inline constexpr int kMapErrorNoColorMap = 4;    // the settings hold no colour picture
inline constexpr int kMapErrorGridUnusable = 5;  // projection or graticule range unusable for a graticule

// Progress is reported every this many steps (pixels or coastline points).
inline constexpr int kProgressInterval = 10000;

// Drawing settings of a map control. Plain values; the control reads them at
// the start of each pass.
class TMapSettings {
 public:
  TMapSettings();
  ~TMapSettings();
  TMapSettings(const TMapSettings&) = delete;
  TMapSettings& operator=(const TMapSettings&) = delete;

  bool AntiAlias = false;                  // graticule lines anti-aliased (coastlines never are)
  TGxProjectionL* GxProjection = nullptr;  // the projection of every layer; not owned
  int CoarsIterations = 100;               // kept; no step of the drawing reads it
  QColor ColorEmpty = QColor(0, 0, 0);     // background where no layer paints
  QColor ColorGrid = QColor(0x80, 0x80, 0x80);  // graticule lines and labels
  bool GridValues = false;                 // draw the grid labels
  QColor ColorCoast = QColor(0, 0xFF, 0);  // coastlines
  bool DrawCoast = false;
  bool DrawGrid = true;
  bool DrawColorMap = false;
  double LineWidth = 1.0;                  // pixels, graticule and coastlines (at most 64 drawn)
  bool UseColorEmpty = true;               // fill before each drawing and keep a saved copy

  // The colour picture of the Earth (plate carrée, row 0 at +90°, column 0 at
  // -180°), owned. Null only after FreeColorMap; an existing picture may be
  // empty (then the colour layer is skipped without an error).
  const QImage* ColorMap() const { return colorMap_.get(); }
  // Copies the picture into the owned one; when none is owned any more,
  // switches DrawColorMap off instead.
  void SetColorMap(const QImage& picture);
  // Frees the owned picture; later drawings report kMapErrorNoColorMap.
  void FreeColorMap();

 private:
  std::unique_ptr<QImage> colorMap_;
};

// The window's colours: white background kept between drawings, grey
// graticule, lime coastlines. The headless tools draw with the same look.
void UseWindowColours(TMapSettings& s);

// The control with its off-screen image and its paint step. It never erases
// its background: the paint step covers the whole client area.
class TGxCustomMapImage : public QWidget {
 public:
  explicit TGxCustomMapImage(QWidget* parent = nullptr);
  ~TGxCustomMapImage() override;

  // The off-screen image, QImage::Format_BGR888 (24 bits, rows of B,G,R).
  const QImage& MainMap() const { return mainMap_; }
  QImage& MainMap() { return mainMap_; }
  // Copies the given image (converted to 24 bits) and repaints.
  void SetMainMap(const QImage& bitmap);

  // Colour of the client area that MainMap does not cover. Black by default.
  QColor Color() const { return color_; }
  void SetColor(const QColor& colour);

  // Position of MainMap in the client area; (0, 0) throughout.
  QPoint MapPosition() const { return mapPosition_; }

  // Stored, never fired.
  TGxPaintEvent OnPaint;

  // The paint step onto any painter covering the client area.
  void PaintStep(QPainter& canvas);

 protected:
  void paintEvent(QPaintEvent* event) override;
  // Converts MainMap to 24 bits per pixel when it is in another format.
  void MakeMainMap24Bit();

  QImage mainMap_;

 private:
  QPoint mapPosition_{0, 0};
  QColor color_ = QColor(0, 0, 0);
};

// The map control with its settings, the coastline data and the drawing of
// the layers.
class TGxMapImageL : public TGxCustomMapImage {
 public:
  // Loads the coastlines; throws std::runtime_error (naming the resource)
  // when they are missing or malformed, so that no half-built control exists.
  // MapSettings.ColorMap starts as the program's Earth picture.
  explicit TGxMapImageL(QWidget* parent = nullptr);
  ~TGxMapImageL() override;

  TMapSettings MapSettings;
  TMapErrorEvent OnError;
  TProgress OnProgress;

  bool CoastLoaded() const { return coastLoaded_; }
  int MapErrorCode() const { return mapErrorCode_; }
  bool Drawing() const { return drawing_; }
  const QImage& SavedMap() const { return savedMap_; }
  const std::vector<TCoastPoint>& Coastline() const;

  // MapErrorCode := code; fires OnError for codes below 10000.
  void SetMapError(int code);
  void DoProgress(int Max, int Position);
  // Writes the projection's graticule fields (degrees) when a projection is
  // assigned; otherwise does nothing. The graticule pass rejects a range that
  // would not draw (spacing or step zero, negative, NaN or too fine).
  void SetGridRange(double MaxLon, double MinLon, double MaxLat, double MinLat, double Spacing,
                    double Step);
  // The projection's defaults for its kind on a map of the control's size.
  void ResetToDefaults();
  // Draws every layer into MainMap and repaints. Ignored while a drawing
  // runs. An exception from an event handler ends the drawing early and
  // propagates; the control is ready to draw again afterwards.
  void Render();
  // SavedMap := a copy of MainMap.
  void SaveMap();
  // Draws SavedMap into MainMap at (0, 0).
  void RestoreMap();

 protected:
  // The coastline buffer, for derived controls that bring their own data.
  std::vector<TCoastPoint>& CoastBuffer();

 private:
  class ProgressCounter;

  void LoadCoastlines();
  void ColorAndCoastPass();
  void ColorPass(TGxProjectionL& p, ProgressCounter& progress);
  void ColorPassOnOneThread(TGxProjectionL& p, ProgressCounter& progress,
                            const TColourSource& picture);
  // False when it could not start (no memory for its image): nothing drawn,
  // nothing counted.
  bool ColorPassInRows(TGxProjectionL& p, ProgressCounter& progress,
                       const TColourSource& picture, int threads);
  void CoastPass(TGxProjectionL& p, ProgressCounter& progress);
  void GraticulePass();
  void DrawGridLabels(TGxProjectionL& p, QPainter& canvas, double minLon, double maxLat,
                      double spacing, const TGridCounts& n);

  std::unique_ptr<std::vector<TCoastPoint>> coast_;
  std::vector<double> coastXY_;  // the coast pass's projected points (x, y), when shared
  bool coastLoaded_ = false;
  int mapErrorCode_ = 0;
  bool drawing_ = false;
  QImage savedMap_;
};
