#include "mapimage/MapRenderer.h"

#include <QElapsedTimer>
#include <QMutexLocker>

#include <algorithm>
#include <climits>

#include "mapimage/Coastlines.h"
#include "mapimage/MapFrame.h"
#include "mapimage/PictureCache.h"

TMapSnapshot TMapSnapshot::Of(const TGxProjectionL* p, const TMapLook& look,
                              const QImage* colorMap,
                              std::shared_ptr<const std::vector<TCoastPoint>> coast,
                              bool coastLoaded, QSize size) {
  TMapSnapshot s;
  if (p) {
    s.projection = *p;
  } else {
    // No projection: the drawing reports it, as the control does.
    s.projection.Ready = false;
  }
  s.projection.DropHandlers();
  if (p && p->GxConvert) {
    s.converter = std::make_shared<TGxConvertL>(*p->GxConvert);
    s.converter->OnGetValues = nullptr;
    s.projection.GxConvert = s.converter.get();
  }
  s.hasProjection = p != nullptr;
  s.look = look;
  if (colorMap) s.colorMap = *colorMap;
  s.coast = std::move(coast);
  s.coastLoaded = coastLoaded && s.coast;
  s.size = size;
  return s;
}

namespace {

// The worker's reports: progress to the window about every per cent, and a
// look at the stop flag at every step the layers count.
class TWorkerOutput : public TFrameOutput {
 public:
  TWorkerOutput(const std::atomic<bool>& stop, const std::function<void(int, int)>& progress,
                std::vector<int>& errors)
      : stop_(stop), progress_(progress), errors_(errors) {}

  void Begin(std::int64_t total) override {
    total_ = total;
    count_ = 0;
    nextReport_ = Stride();
    Report(0);
  }
  void End(std::int64_t total) override { Report(total); }
  void Error(int code) override { errors_.push_back(code); }

  bool RunsEvents() const override { return false; }

  Result Advance(std::int64_t n) override {
    count_ += n;
    if (stop_.load(std::memory_order_relaxed)) {
      stopped_ = true;
      return Result::Stop;
    }
    if (count_ >= nextReport_) {
      nextReport_ = count_ + Stride();
      Report(count_);
    }
    return Result::Quiet;
  }
  // The stop flag is looked at after every few thousand pixels.
  std::int64_t StepsToReport() const override { return kStopCheckInterval; }
  bool Stopped() const override { return stopped_; }

 private:
  static constexpr std::int64_t kStopCheckInterval = 4096;
  std::int64_t Stride() const { return std::max<std::int64_t>(total_ / 100, 1); }
  void Report(std::int64_t position) {
    if (!progress_) return;
    auto clamp = [](std::int64_t v) { return static_cast<int>(std::min<std::int64_t>(v, INT_MAX)); };
    progress_(clamp(total_), clamp(std::min(position, total_)));
  }

  const std::atomic<bool>& stop_;
  const std::function<void(int, int)>& progress_;
  std::vector<int>& errors_;
  std::int64_t total_ = 0, count_ = 0, nextReport_ = 1;
  bool stopped_ = false;
};

}  // namespace

bool RenderSnapshot(const TMapSnapshot& s, TRenderedMap& out, const std::atomic<bool>& stop,
                    const std::function<void(int, int)>& progress, TPictureCache* cache,
                    std::vector<TMapTrace>* traces) {
  QElapsedTimer timer;
  timer.start();
  out.preview = s.look.Preview;
  out.size = s.size;
  out.errors.clear();
  if (!s.look.UseColorEmpty && s.base.size() == s.size) {
    out.image = s.base.convertToFormat(QImage::Format_BGR888);
  } else {
    out.image = QImage(s.size, QImage::Format_BGR888);
    if (!out.image.isNull()) out.image.fill(s.look.ColorEmpty);
  }
  if (out.image.isNull() && !s.size.isEmpty()) {
    out.errors.push_back(kMapErrorNoImage);
    return true;
  }

  TGxProjectionL p = s.projection;  // the drawing works on a copy of its own
  static const std::vector<TCoastPoint> kNoCoast;
  const TFrameInput in{s.hasProjection ? &p : nullptr, s.look, s.coast ? *s.coast : kNoCoast,
                       s.coastLoaded, s.colorMap ? &*s.colorMap : nullptr, true};
  TMapLayers layers;
  ChooseLayers(layers, s.look);
  // The cache holds pictures drawn over the ColorEmpty fill only.
  if (cache && s.look.UseColorEmpty && layers.picture)
    layers.picture = std::make_unique<TCachedPictureLayer>(std::move(layers.picture), *cache);
  TWorkerOutput output(stop, progress, out.errors);
  const bool finished = traces ? TraceMapFrame(in, layers, out.image, output, *traces)
                                : DrawMapFrame(in, layers, out.image, output);
  out.milliseconds = static_cast<double>(timer.nsecsElapsed()) / 1.0e6;
  return finished;
}

// ---- The worker -------------------------------------------------------------------

TMapRenderer::TMapRenderer(QObject* parent)
    : QThread(parent), cache_(std::make_unique<TPictureCache>()) {
  qRegisterMetaType<TRenderedMap>();
}

TMapRenderer::~TMapRenderer() {
  {
    QMutexLocker lock(&mutex_);
    quit_ = true;
    pending_.reset();
    restart_ = true;
    condition_.wakeOne();
  }
  wait();
}

quint64 TMapRenderer::Render(TMapSnapshot s) {
  QMutexLocker lock(&mutex_);
  pending_ = std::move(s);
  pendingId_ = ++lastId_;
  busy_ = true;
  restart_ = true;  // a running drawing ends at its next step
  if (!isRunning())
    start();
  else
    condition_.wakeOne();
  return pendingId_;
}

void TMapRenderer::Cancel() {
  QMutexLocker lock(&mutex_);
  pending_.reset();
  restart_ = true;
  busy_ = false;
}

void TMapRenderer::run() {
  for (;;) {
    TMapSnapshot snapshot;
    quint64 id;
    {
      QMutexLocker lock(&mutex_);
      while (!pending_ && !quit_) {
        busy_ = false;
        condition_.wait(&mutex_);
      }
      if (quit_) return;
      snapshot = std::move(*pending_);
      pending_.reset();
      id = pendingId_;
      restart_ = false;
    }
    TRenderedMap map;
    map.id = id;
    std::function<void(int, int)> report;
    if (!snapshot.look.Preview)
      report = [this, id](int max, int position) { emit Progress(id, max, position); };
    if (!RenderSnapshot(snapshot, map, restart_, report, cache_.get())) continue;
    {
      QMutexLocker lock(&mutex_);
      // A newer request has come in meanwhile: this one is out of date.
      if (pending_ || quit_) continue;
    }
    emit Rendered(map);
  }
}
