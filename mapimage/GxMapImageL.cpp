#include "mapimage/GxMapImageL.h"

#include <QPainter>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <climits>
#include <optional>

#include "mapimage/Coastlines.h"
#include "mapimage/MapFrame.h"
#include "mapimage/MapRenderer.h"
#include "mapimage/ProjectionParams.h"

// ---- TMapSettings -----------------------------------------------------------

TMapSettings::TMapSettings() : colorMap_(std::make_unique<QImage>()) {}

TMapSettings::~TMapSettings() = default;

void UseWindowColours(TMapSettings& s) {
  s.ColorEmpty = QColor(255, 255, 255);
  s.ColorGrid = QColor(0x80, 0x80, 0x80);
  s.ColorCoast = QColor(0, 0xFF, 0);
  s.UseColorEmpty = true;
}

void TMapSettings::SetColorMap(const QImage& picture) {
  if (!colorMap_) {
    DrawColorMap = false;
    return;
  }
  *colorMap_ = picture.isNull() ? QImage() : picture.convertToFormat(QImage::Format_BGR888);
}

void TMapSettings::FreeColorMap() { colorMap_.reset(); }

// ---- TGxCustomMapImage ------------------------------------------------------

TGxCustomMapImage::TGxCustomMapImage(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::NoFocus);
  resize(100, 100);
  // The paint step covers the whole client area, so the background is
  // never erased first (no flicker between erase and paint).
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  setAutoFillBackground(false);
}

TGxCustomMapImage::~TGxCustomMapImage() = default;

void TGxCustomMapImage::SetMainMap(const QImage& bitmap) {
  mainMap_ = bitmap.isNull() ? QImage() : bitmap.convertToFormat(QImage::Format_BGR888);
  mapPosition_ = QPoint(0, 0);
  update();
}

void TGxCustomMapImage::SetColor(const QColor& colour) {
  color_ = colour;
  update();
}

void TGxCustomMapImage::MakeMainMap24Bit() {
  if (!mainMap_.isNull() && mainMap_.format() != QImage::Format_BGR888)
    mainMap_ = mainMap_.convertToFormat(QImage::Format_BGR888);
}

void TGxCustomMapImage::PaintStep(QPainter& canvas) {
  const QRect client = rect();
  if (mainMap_.isNull()) {
    canvas.fillRect(client, color_);
    return;
  }
  MakeMainMap24Bit();
  const QRect map(mapPosition_, mainMap_.size());
  canvas.drawImage(mapPosition_, mainMap_);
  if (map.left() > client.left())
    canvas.fillRect(QRect(client.left(), client.top(), map.left() - client.left(), client.height()),
                    color_);
  if (map.right() < client.right())
    canvas.fillRect(QRect(map.right() + 1, client.top(), client.right() - map.right(),
                          client.height()),
                    color_);
  if (map.top() > client.top())
    canvas.fillRect(QRect(client.left(), client.top(), client.width(), map.top() - client.top()),
                    color_);
  if (map.bottom() < client.bottom())
    canvas.fillRect(QRect(client.left(), map.bottom() + 1, client.width(),
                          client.bottom() - map.bottom()),
                    color_);
}

void TGxCustomMapImage::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  PaintStep(painter);
}

// ---- TGxMapImageL -------------------------------------------------------------

namespace {

// A drawing is restarted at most this often for changes that come in while
// it runs; later changes wait for its end.
constexpr int kMaxRestarts = 4;

}  // namespace

// The control's own reports: its progress handler every kProgressInterval
// steps, with the events let run after each; then a look whether the
// drawing has to start over.
class TGxMapImageL::ControlOutput : public TFrameOutput {
 public:
  ControlOutput(TGxMapImageL& map, const TMapLook& look, TGxProjectionL* p, bool mayRestart)
      : map_(map), look_(look), p_(p), mayRestart_(mayRestart),
        params_(p ? TProjectionParams::Of(*p) : TProjectionParams{}),
        projection_(map.MapSettings.GxProjection), picture_(PictureKey()) {}

  ~ControlOutput() override {
    // Changes held back while the drawing ran reach the component now.
    if (held_ && p_) held_->ApplyTo(*p_);
  }

  void Begin(std::int64_t total) override {
    total_ = total;
    count_ = 0;
    map_.DoProgress(Clamp(total), 0);
    if (Changed()) stopped_ = true;
  }
  void End(std::int64_t total) override {
    map_.DoProgress(Clamp(total), Clamp(total));
    if (Changed()) stopped_ = true;
  }
  void Error(int code) override { map_.SetMapError(code); }
  void ColourAndCoastDrawn() override {
    if (look_.UseColorEmpty) map_.SaveMap();
  }

  Result Advance(std::int64_t n) override {
    count_ += n;
    if (count_ % kProgressInterval != 0) return Result::Quiet;
    map_.DoProgress(Clamp(total_), Clamp(count_));
    QCoreApplication::processEvents();
    if (Changed()) {
      stopped_ = true;
      return Result::Stop;
    }
    return Result::EventsRan;
  }
  std::int64_t StepsToReport() const override {
    return kProgressInterval - count_ % kProgressInterval;
  }
  bool Stopped() const override { return stopped_; }

 private:
  static int Clamp(std::int64_t v) { return v > INT_MAX ? INT_MAX : static_cast<int>(v); }

  qint64 PictureKey() const {
    const QImage* picture = map_.MapSettings.ColorMap();
    return picture ? picture->cacheKey() : -1;
  }

  // True when the drawing has to start over: a Render came in, or the
  // parameters or the settings it is drawn from changed. Once it may not
  // restart any more, changed parameters of the component are held back
  // until it ends (the settings are read from a copy anyway).
  bool Changed() {
    const bool settings = map_.restartRequested_ || map_.Look() != look_ ||
                          map_.MapSettings.GxProjection != projection_ ||
                          PictureKey() != picture_;
    const bool params = p_ && !(TProjectionParams::Of(*p_) == params_);
    if (mayRestart_) return settings || params;
    if (params) {
      held_ = TProjectionParams::Of(*p_);
      params_.ApplyTo(*p_);
    }
    return false;
  }

  TGxMapImageL& map_;
  const TMapLook& look_;
  TGxProjectionL* p_;
  bool mayRestart_;
  TProjectionParams params_;
  std::optional<TProjectionParams> held_;
  const TGxProjectionL* projection_;
  qint64 picture_;
  std::int64_t total_ = 0, count_ = 0;
  bool stopped_ = false;
};

TGxMapImageL::TGxMapImageL(QWidget* parent)
    : TGxCustomMapImage(parent), layers_(std::make_unique<TMapLayers>()) {
  LoadCoastlines();
  MapSettings.SetColorMap(LoadEarthPicture());
}

// Nothing here deletes files from the temporary folder: this program creates
// no temporary files, and wiping every "Gx*.tmp" there destroyed files that
// belonged to other programs. The worker stops (and is waited for) with its
// object, a child of this control.
TGxMapImageL::~TGxMapImageL() = default;

const std::vector<TCoastPoint>& TGxMapImageL::Coastline() const { return *coast_; }

std::vector<TCoastPoint>& TGxMapImageL::CoastBuffer() {
  // A background drawing may still read the old points.
  if (coast_.use_count() > 1) coast_ = std::make_shared<std::vector<TCoastPoint>>(*coast_);
  return *coast_;
}

void TGxMapImageL::LoadCoastlines() {
  coast_ = std::make_shared<std::vector<TCoastPoint>>(::LoadCoastlines());
  coastLoaded_ = true;
}

void TGxMapImageL::SetMapError(int code) {
  mapErrorCode_ = code;
  if (code < 10000 && OnError) OnError(this, code);
}

void TGxMapImageL::DoProgress(int Max, int Position) {
  if (OnProgress) OnProgress(this, Max, Position);
}

void TGxMapImageL::SetGridRange(double MaxLon, double MinLon, double MaxLat, double MinLat,
                                double Spacing, double Step) {
  TGxProjectionL* p = MapSettings.GxProjection;
  if (!p) return;
  p->GridMaxLon = MaxLon;
  p->GridMinLon = MinLon;
  p->GridMaxLat = MaxLat;
  p->GridMinLat = MinLat;
  p->GridSpacing = Spacing;
  p->GridStep = Step;
}

void TGxMapImageL::ResetToDefaults() {
  TGxProjectionL* p = MapSettings.GxProjection;
  if (!p) {
    SetMapError(kMapErrorNoProjection);
    return;
  }
  ResetProjectionToDefaults(*p, width(), height());
}

void TGxMapImageL::SaveMap() { savedMap_ = mainMap_.copy(); }

void TGxMapImageL::RestoreMap() {
  if (mainMap_.isNull() || savedMap_.isNull()) return;
  if (savedMap_.size() == mainMap_.size() && savedMap_.format() == mainMap_.format()) {
    const qsizetype rowBytes = std::min(savedMap_.bytesPerLine(), mainMap_.bytesPerLine());
    for (int y = 0; y < mainMap_.height(); ++y)
      std::memcpy(mainMap_.scanLine(y), savedMap_.constScanLine(y), rowBytes);
    return;
  }
  QPainter painter(&mainMap_);
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.drawImage(0, 0, savedMap_);
}

TMapLook TGxMapImageL::Look() const {
  TMapLook look;
  static_cast<TMapStyle&>(look) = MapSettings;
  look.Font = font();
  return look;
}

void TGxMapImageL::PrepareMainMap(const TMapLook& look) {
  bool filled = false;
  // The image follows the control's size: a map drawn for a resized control
  // on an image of the old size fell off it.
  if (mainMap_.isNull() || mainMap_.size() != size()) {
    SetMainMap(QImage(width(), height(), QImage::Format_BGR888));
    if (!mainMap_.isNull()) mainMap_.fill(look.ColorEmpty);
    filled = true;
  }
  MakeMainMap24Bit();
  if (look.UseColorEmpty && !filled && !mainMap_.isNull()) mainMap_.fill(look.ColorEmpty);
}

void TGxMapImageL::Render() {
  if (drawing_) {
    restartRequested_ = true;
    return;
  }
  drawing_ = true;
  // Cleared however the drawing ends: a flag left standing would refuse
  // every later drawing.
  struct DrawingGuard {
    bool& flag;
    bool& restart;
    ~DrawingGuard() {
      flag = false;
      restart = false;
    }
  } guard{drawing_, restartRequested_};
  // A background drawing delivered after this one would show an older map.
  if (renderer_ && BackgroundBusy()) {
    renderer_->Cancel();
    delivered_ = expected_;
  }

  for (int attempt = 0;; ++attempt) {
    restartRequested_ = false;
    const TMapLook look = Look();
    TGxProjectionL* p = MapSettings.GxProjection;
    // A map drawn on the background colour starts from nothing of the last.
    if (!look.UseColorEmpty) RestoreMap();
    PrepareMainMap(look);
    if (mainMap_.isNull() && width() > 0 && height() > 0) SetMapError(kMapErrorNoImage);
    ChooseLayers(*layers_, look);
    const TFrameInput in{p, look, *coast_, coastLoaded_, MapSettings.ColorMap(), true};
    ControlOutput output(*this, look, p, attempt < kMaxRestarts);
    if (DrawMapFrame(in, *layers_, mainMap_, output)) break;
  }
  update();
}

// ---- Drawing in the background ------------------------------------------------

void TGxMapImageL::RenderInBackground(bool preview) {
  if (!renderer_) {
    renderer_ = new TMapRenderer(this);
    QObject::connect(renderer_, &TMapRenderer::Rendered, this,
                     [this](const TRenderedMap& map) { ReceiveRendered(map); });
    QObject::connect(renderer_, &TMapRenderer::Progress, this,
                     [this](quint64 id, int max, int position) {
                       if (id == expected_) DoProgress(max, position);
                     });
  }
  TMapLook look = Look();
  look.Preview = preview;
  TMapSnapshot snapshot =
      TMapSnapshot::Of(MapSettings.GxProjection, look, MapSettings.ColorMap(), coast_,
                       coastLoaded_, size());
  if (!look.UseColorEmpty) snapshot.base = savedMap_.isNull() ? mainMap_ : savedMap_;
  expected_ = renderer_->Render(std::move(snapshot));
}

bool TGxMapImageL::BackgroundBusy() const { return renderer_ && delivered_ != expected_; }

bool TGxMapImageL::WaitForBackground(int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  while (BackgroundBusy()) {
    if (timer.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

void TGxMapImageL::ReceiveRendered(const TRenderedMap& map) {
  if (map.id != expected_) return;  // abandoned for a newer one
  delivered_ = map.id;
  for (int code : map.errors) SetMapError(code);
  if (!map.image.isNull()) {
    mainMap_ = map.image;
    if (!map.preview && MapSettings.UseColorEmpty) SaveMap();
  }
  update();
  if (OnRendered) OnRendered(this, map);
}
