// The map control: a widget that owns a 24-bit off-screen image (MainMap) and
// draws the map into it through a projection component it does not own. The
// layers, in drawing order: background or colour picture, coastlines,
// graticule, grid labels.
//
// Two ways to draw. Render draws at once on the calling (GUI) thread through
// the component itself, with its events, reporting progress every 10000
// steps and letting pending events run meanwhile; a request that comes in
// meanwhile (or a change of the component's parameters or the settings)
// restarts it, so that a map is always drawn from one set of parameters.
// RenderInBackground takes a snapshot of everything and has a worker thread
// draw it while the widget goes on showing the last finished map; the
// window draws this way.
//
// Within either, the colour picture's rows and the coastline's points may
// be projected on several threads, each with its own copy of the component,
// when no event of the component can fire and no converter is attached.
#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

#include "mapimage/MapLayer.h"
#include "projection/GxProjectionL.h"

class QPainter;
class TMapRenderer;
struct TMapLayers;
struct TRenderedMap;
class TGxCustomMapImage;
class TGxMapImageL;
struct TCoastPoint;

// Events: the Sender (the control) comes first.
using TGxPaintEvent = std::function<void(TGxCustomMapImage* Sender, QPainter& Canvas)>;
using TMapErrorEvent = std::function<void(TGxMapImageL* Sender, int Return)>;
// Max may be 0 (no colour layer and no coastlines): handlers must not divide by it unguarded.
using TProgress = std::function<void(TGxMapImageL* Sender, int Max, int Position)>;

using TRenderedEvent = std::function<void(TGxMapImageL* Sender, const TRenderedMap& Map)>;

// Progress is reported every this many steps (pixels or coastline points).
inline constexpr int kProgressInterval = 10000;

// Drawing settings of a map control. Plain values; the control reads them at
// the start of each pass.
class TMapSettings : public TMapStyle {
 public:
  TMapSettings();
  ~TMapSettings();
  TMapSettings(const TMapSettings&) = delete;
  TMapSettings& operator=(const TMapSettings&) = delete;

  // The drawing values (AntiAlias, ColorEmpty, ColorGrid, GridValues,
  // ColorCoast, DrawCoast, DrawGrid, DrawColorMap, LineWidth, UseColorEmpty,
  // Background, Tissot, ColorTissot, Sampling) are TMapStyle's.
  TGxProjectionL* GxProjection = nullptr;  // the projection of every layer; not owned
  int CoarsIterations = 100;               // kept; no step of the drawing reads it

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

  // A finished background drawing has become MainMap (or failed: see the
  // map's errors). Fired on the GUI thread, after OnError for its errors.
  TRenderedEvent OnRendered;

  bool CoastLoaded() const { return coastLoaded_; }
  int MapErrorCode() const { return mapErrorCode_; }
  bool Drawing() const { return drawing_; }
  const QImage& SavedMap() const { return savedMap_; }
  const std::vector<TCoastPoint>& Coastline() const;
  // The same points, shared: for a snapshot that draws them later (a change
  // through CoastBuffer then copies them first).
  std::shared_ptr<const std::vector<TCoastPoint>> SharedCoastline() const { return coast_; }

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
  // Draws every layer into MainMap and repaints, on this thread. A call that
  // arrives while a drawing runs (from a handler) restarts that drawing once
  // the handler returns, as does a change of the projection's parameters or
  // the settings; after a few restarts in one drawing, further changes wait
  // for its end (the map stays drawn from one set of parameters, the latest
  // set stays in the component). An exception from an event handler ends the
  // drawing early and propagates; the control is ready to draw again
  // afterwards. MainMap takes the control's size when its size differs.
  void Render();
  // SavedMap := a copy of MainMap.
  void SaveMap();
  // Draws SavedMap into MainMap at (0, 0).
  void RestoreMap();

  // The settings as one drawing's look (the control's font for the labels).
  TMapLook Look() const;

  // ---- Drawing in the background -------------------------------------------
  // Takes a snapshot now and has it drawn on the worker thread; a drawing
  // still running or waiting is abandoned for it. Progress (not for a
  // preview) comes through OnProgress, then the errors through OnError; the
  // image becomes MainMap, a full drawing is saved when UseColorEmpty is on,
  // and OnRendered fires. A Render in between abandons it.
  void RenderInBackground(bool preview = false);
  // True while a background drawing is asked for and not yet delivered.
  bool BackgroundBusy() const;
  // How many background drawings have been asked for.
  quint64 BackgroundRequests() const { return expected_; }
  // Lets events run until no background drawing is outstanding; false
  // when the time ran out first.
  bool WaitForBackground(int timeoutMs = 60000);

 protected:
  // The coastline buffer, for derived controls that bring their own data.
  std::vector<TCoastPoint>& CoastBuffer();

 private:
  class ControlOutput;

  void LoadCoastlines();
  // MainMap at the control's size, filled when new or when UseColorEmpty.
  void PrepareMainMap(const TMapLook& look);
  void ReceiveRendered(const TRenderedMap& map);

  std::shared_ptr<std::vector<TCoastPoint>> coast_;
  std::unique_ptr<TMapLayers> layers_;
  bool coastLoaded_ = false;
  int mapErrorCode_ = 0;
  bool drawing_ = false;
  bool restartRequested_ = false;
  QImage savedMap_;
  TMapRenderer* renderer_ = nullptr;  // a child object, created on first use
  quint64 expected_ = 0;   // the background drawing whose image is wanted
  quint64 delivered_ = 0;  // the last one delivered (or abandoned)
};
