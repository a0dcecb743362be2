// Drawing a map on a worker thread, apart from any widget (the pattern of
// Qt's Mandelbrot example): the renderer takes a snapshot of everything a
// drawing needs, draws it into a QImage of its own and hands the finished
// image back. A newer request restarts a running drawing at once, so only
// the last request is ever finished; nothing queues up behind the hand.
#pragma once

#include <QImage>
#include <QMutex>
#include <QObject>
#include <QSize>
#include <QThread>
#include <QWaitCondition>

#include <atomic>
#include <memory>
#include <optional>
#include <vector>

#include "conversion/GxConvertL.h"
#include "mapimage/MapLayer.h"
#include "projection/GxProjectionL.h"

struct TCoastPoint;
class TPictureCache;

// Everything one drawing reads, copied when it is asked for: later changes
// of the component or the settings do not reach it.
struct TMapSnapshot {
  TGxProjectionL projection;              // a copy without event handlers
  bool hasProjection = false;             // the settings named a projection
  std::shared_ptr<TGxConvertL> converter;  // a copy of the attached one, if any
  TMapLook look;
  std::optional<QImage> colorMap;  // none when the settings hold no picture
  std::shared_ptr<const std::vector<TCoastPoint>> coast;
  bool coastLoaded = false;
  QSize size;
  // The image the drawing starts from when UseColorEmpty is off (the last
  // finished map); otherwise it starts from ColorEmpty.
  QImage base;

  // A snapshot of p and the other inputs; the component's handlers are left
  // behind (nothing may call back into the window from the worker).
  static TMapSnapshot Of(const TGxProjectionL* p, const TMapLook& look, const QImage* colorMap,
                         std::shared_ptr<const std::vector<TCoastPoint>> coast, bool coastLoaded,
                         QSize size);
};

// A finished drawing.
struct TRenderedMap {
  quint64 id = 0;
  QImage image;  // null when no memory could be had for it
  std::vector<int> errors;  // map error codes in the order they arose
  bool preview = false;
  double milliseconds = 0;
  QSize size;
};

// Draws a snapshot as the control's own drawing would, without events and
// without letting anything run in between; `stop` is polled as it goes.
// Used by the worker, and by whoever wants a map drawn on their own thread.
// With `traces`, the line layers are traced into it instead of drawn, and
// out.image holds only what lies beneath them (for a vector file).
// Returns false when stopped.
// With a cache, a picture layer drawn before for the same parameters is
// taken from it (see TPictureCache).
bool RenderSnapshot(const TMapSnapshot& s, TRenderedMap& out, const std::atomic<bool>& stop,
                    const std::function<void(int max, int position)>& progress = {},
                    TPictureCache* cache = nullptr, std::vector<TMapTrace>* traces = nullptr);

class TMapRenderer : public QThread {
  Q_OBJECT

 public:
  explicit TMapRenderer(QObject* parent = nullptr);
  ~TMapRenderer() override;  // stops the drawing and waits for the thread

  // Asks for a drawing of s; returns its id (ids grow). A drawing in
  // progress is abandoned, and a request not yet begun is replaced.
  quint64 Render(TMapSnapshot s);
  // Abandons the drawing in progress and any waiting request.
  void Cancel();
  // True from a request until its drawing is finished or abandoned.
  bool Busy() const { return busy_.load(); }
  quint64 LastRequested() const { return lastId_.load(); }

 signals:
  // From the worker thread; connected receivers in other threads get them
  // queued. Progress comes for full drawings only, not for previews.
  void Progress(quint64 id, int max, int position);
  void Rendered(const TRenderedMap& map);

 protected:
  void run() override;

 private:
  mutable QMutex mutex_;
  QWaitCondition condition_;
  std::optional<TMapSnapshot> pending_;
  quint64 pendingId_ = 0;
  std::atomic<quint64> lastId_{0};
  std::atomic<bool> restart_{false};
  std::atomic<bool> busy_{false};
  bool quit_ = false;
  std::unique_ptr<TPictureCache> cache_;  // the worker's own
};

Q_DECLARE_METATYPE(TRenderedMap)
