#include "mapimage/GxMapImageL.h"

#include <QPainter>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "mapimage/Coastlines.h"
#include "mapimage/DrawLine.h"
#include "mapimage/Lanes.h"
#include "mapimage/MapPasses.h"
#include "mapimage/PixelMath.h"
#include "mapimage/ProgressCounter.h"

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

TGxMapImageL::TGxMapImageL(QWidget* parent) : TGxCustomMapImage(parent) {
  LoadCoastlines();
  MapSettings.SetColorMap(LoadEarthPicture());
}

// Nothing here deletes files from the temporary folder: this program creates
// no temporary files, and wiping every "Gx*.tmp" there destroyed files that
// belonged to other programs.
TGxMapImageL::~TGxMapImageL() = default;

const std::vector<TCoastPoint>& TGxMapImageL::Coastline() const { return *coast_; }

std::vector<TCoastPoint>& TGxMapImageL::CoastBuffer() { return *coast_; }

void TGxMapImageL::LoadCoastlines() {
  coast_ = std::make_unique<std::vector<TCoastPoint>>(::LoadCoastlines());
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

void TGxMapImageL::Render() {
  if (drawing_) return;
  drawing_ = true;
  // Cleared however the drawing ends: a flag left standing would refuse
  // every later drawing.
  struct DrawingGuard {
    bool& flag;
    ~DrawingGuard() { flag = false; }
  } guard{drawing_};

  RestoreMap();
  MakeMainMap24Bit();
  ColorAndCoastPass();
  GraticulePass();
  update();
}

void TGxMapImageL::ColorAndCoastPass() {
  bool filled = false;
  if (mainMap_.isNull()) {
    SetMainMap(QImage(width(), height(), QImage::Format_BGR888));
    if (!mainMap_.isNull()) mainMap_.fill(MapSettings.ColorEmpty);
    filled = true;
  }
  MakeMainMap24Bit();
  if (MapSettings.UseColorEmpty && !filled && !mainMap_.isNull())
    mainMap_.fill(MapSettings.ColorEmpty);

  TGxProjectionL* p = MapSettings.GxProjection;
  if (!p) {
    SetMapError(kMapErrorNoProjection);
    return;
  }
  const QImage* colorMap = MapSettings.ColorMap();
  const bool drawColor = colorMap && MapSettings.DrawColorMap && !colorMap->isNull() &&
                         colorMap->width() > 0 && colorMap->height() > 0;
  const bool drawCoast = MapSettings.DrawCoast && coastLoaded_;
  // The coast pass counts every point of the data; the total counts the
  // same points, so a finished drawing ends exactly at (T, T).
  const std::int64_t total =
      (drawColor ? std::int64_t{mainMap_.width()} * mainMap_.height() : 0) +
      (drawCoast ? static_cast<std::int64_t>(coast_->size()) : 0);
  DoProgress(ProgressCounter::Clamp(total), 0);
  ProgressCounter progress(*this, total);

  if (drawColor) ColorPass(*p, progress);
  if (!MapSettings.ColorMap()) SetMapError(kMapErrorNoColorMap);
  if (p->ListIndex() <= 2)
    SetMapError(kMapErrorGridKind);
  else if (drawCoast && p->Radius > 0.0001)
    CoastPass(*p, progress);

  DoProgress(ProgressCounter::Clamp(total), ProgressCounter::Clamp(total));
  if (MapSettings.UseColorEmpty) SaveMap();
}

// ---- The colour pass ----------------------------------------------------------

// The colour picture as the pixel loops read it: plain pointers into an image
// that the pass holds, so that no drawing thread touches a QImage.
struct TColourSource {
  const uchar* bits;
  qsizetype stride;
  int width, height;
};

namespace {

// Columns c0 .. c0 + n - 1 of map row r take the picture's colour where the
// map shows the Earth; the pixels the projection refuses keep what the row
// held. Without handlers or a converter the component inverts the pixels a
// row at a time, which gives the same results for less.
void PaintRun(TGxProjectionL& p, int c0, int r, int n, const TColourSource& picture, uchar* row) {
  constexpr int kRun = 256;
  double lon[kRun], lat[kRun];
  int code[kRun];
  for (int done = 0; done < n; done += kRun) {
    const int m = std::min(kRun, n - done), c = c0 + done;
    // Row r itself: sampling r - 1 put the picture one row below the
    // graticule and coastlines that Forward places.
    if (p.CanDrawInBatches()) {
      p.InverseRow(r, c, m, lon, lat, code);
    } else {
      for (int i = 0; i < m; ++i) {
        p.Inverse(c + i, r);
        lon[i] = p.X, lat[i] = p.Y, code[i] = p.ErrorCode;
      }
    }
    for (int i = 0; i < m; ++i) {
      int px, py;
      if (code[i] != 0 || !SourcePixel(lon[i], lat[i], picture.width, picture.height, px, py))
        continue;
      const uchar* s = picture.bits + py * picture.stride + 3 * px;
      uchar* d = row + 3 * (c + i);
      d[0] = s[0];
      d[1] = s[1];
      d[2] = s[2];
    }
  }
}

bool HasShape(const QImage& img, int W, int H) {
  return img.width() == W && img.height() == H && img.format() == QImage::Format_BGR888;
}

}  // namespace

void TGxMapImageL::ColorPass(TGxProjectionL& p, ProgressCounter& progress) {
  // A shared handle: the picture stays alive even if a handler replaces or
  // frees the settings' copy while events run.
  QImage source = *MapSettings.ColorMap();
  if (source.format() != QImage::Format_BGR888)
    source = source.convertToFormat(QImage::Format_BGR888);
  const TColourSource picture{source.constBits(), source.bytesPerLine(), source.width(),
                              source.height()};
  MakeMainMap24Bit();
  const int W = mainMap_.width(), H = mainMap_.height();
  if (W <= 0 || H <= 0) return;
  const int threads = H < 2 ? 1 : LanesFor(p, std::int64_t{W} * H);
  if (threads > 1 && ColorPassInRows(p, progress, picture, threads)) return;
  ColorPassOnOneThread(p, progress, picture);
}

void TGxMapImageL::ColorPassOnOneThread(TGxProjectionL& p, ProgressCounter& progress,
                                        const TColourSource& picture) {
  const int W = mainMap_.width(), H = mainMap_.height();
  mainMap_.bits();  // detach here, not on some row inside the loop
  for (int r = 0; r < H; ++r) {
    uchar* row = mainMap_.scanLine(r);
    for (int c = 0; c < W;) {
      // The m-th step may report: the pixels before it are drawn first, so
      // that a handler sees the component as those calls left it.
      const int m = static_cast<int>(std::min<std::int64_t>(W - c, progress.StepsToReport()));
      PaintRun(p, c, r, m - 1, picture, row);
      if (progress.Advance(m)) {
        // A handler may have replaced MainMap; stop rather than write into
        // an image of another shape.
        if (!HasShape(mainMap_, W, H)) return;
        row = mainMap_.scanLine(r);
      }
      PaintRun(p, c + m - 1, r, 1, picture, row);
      c += m;
    }
  }
}

// The rows go to whichever thread is free next, this one included; this one
// also makes every progress report, in order, as the drawn rows add up, and
// lets the events run. The threads draw into a copy of MainMap: a handler
// may replace MainMap while they work.
bool TGxMapImageL::ColorPassInRows(TGxProjectionL& p, ProgressCounter& progress,
                                   const TColourSource& picture, int threads) {
  const int W = mainMap_.width(), H = mainMap_.height();
  QImage canvas = mainMap_.copy();
  if (canvas.isNull()) return false;
  uchar* const bits = canvas.bits();
  const qsizetype stride = canvas.bytesPerLine();

  std::int64_t counted = 0;
  auto countUpTo = [&](std::int64_t upTo) {
    while (counted < upTo) {
      const std::int64_t n = std::min(upTo - counted, progress.StepsToReport());
      counted += n;
      // A handler may have replaced MainMap; the picture then stops as it
      // did when drawn on one thread.
      if (progress.Advance(n) && !HasShape(mainMap_, W, H)) return false;
    }
    return true;
  };
  TLanes lanes(p, threads);
  const bool finished = lanes.Run(
      H,
      [&](TGxProjectionL& copy, int r) { PaintRun(copy, 0, r, W, picture, bits + r * stride); },
      [&](int rows) { return countUpTo(std::int64_t{rows} * W); });
  if (!finished || !countUpTo(std::int64_t{W} * H)) return true;

  const qsizetype rowBytes = std::min(canvas.bytesPerLine(), mainMap_.bytesPerLine());
  for (int y = 0; y < H; ++y) std::memcpy(mainMap_.scanLine(y), canvas.constScanLine(y), rowBytes);
  lanes.MergeInto(p);
  return true;
}
