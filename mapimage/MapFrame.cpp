#include "mapimage/MapFrame.h"

#include "mapimage/ColourLayer.h"
#include "mapimage/DistortionLayer.h"
#include "mapimage/TissotLayer.h"

void ChooseLayers(TMapLayers& layers, const TMapLook& look) {
  bool distortion = false;
  switch (look.Background) {
    case TBackground::EarthPicture:
      if (!dynamic_cast<TColourLayer*>(layers.picture.get()))
        layers.picture = std::make_unique<TColourLayer>();
      break;
    case TBackground::AreaDistortion:
    case TBackground::AngleDistortion: {
      const auto* kept = dynamic_cast<TDistortionLayer*>(layers.picture.get());
      if (!kept || kept->Shows() != look.Background)
        layers.picture = std::make_unique<TDistortionLayer>(look.Background);
      distortion = true;
      break;
    }
  }
  // The indicatrices, then the legend above everything.
  layers.overlays.clear();
  if (look.Tissot) layers.overlays.push_back(std::make_unique<TTissotLayer>());
  if (distortion) layers.overlays.push_back(std::make_unique<TDistortionLegend>(look.Background));
}

namespace {

// The picture layer draws the Earth picture only when there is one to draw.
bool PictureWanted(const TFrameInput& in) {
  if (!in.look.DrawColorMap) return false;
  if (in.look.Background != TBackground::EarthPicture) return true;
  return in.colorMap && !in.colorMap->isNull() && in.colorMap->width() > 0 &&
         in.colorMap->height() > 0;
}

// What the frame does with each layer: draw it into the target, or take its
// traces where it has them.
class TLayerSink {
 public:
  virtual ~TLayerSink() = default;
  virtual int Put(TMapLayer& layer, TLayerInput& in, QImage& target, TDrawProgress& progress) = 0;
};

class TRasterSink : public TLayerSink {
 public:
  int Put(TMapLayer& layer, TLayerInput& in, QImage& target, TDrawProgress& progress) override {
    return layer.Draw(in, target, progress);
  }
};

class TTraceSink : public TLayerSink {
 public:
  explicit TTraceSink(std::vector<TMapTrace>& traces) : traces_(traces) {}
  int Put(TMapLayer& layer, TLayerInput& in, QImage& target, TDrawProgress& progress) override {
    int error = 0;
    if (layer.Trace(in, target, progress, traces_, error)) return error;
    return layer.Draw(in, target, progress);
  }

 private:
  std::vector<TMapTrace>& traces_;
};

// The one description of a drawing's layers and their order.
bool RunMapFrame(const TFrameInput& in, TMapLayers& layers, QImage& target, TFrameOutput& out,
                 TLayerSink& sink) {
  static const QImage kNoPicture;
  const QImage& picture = in.colorMap ? *in.colorMap : kNoPicture;

  // The colour-and-coast part.
  if (!in.p) {
    out.Error(kMapErrorNoProjection);
  } else {
    TGxProjectionL& p = *in.p;
    TLayerInput layer{p, in.look, in.coast, picture, in.threadsAllowed};
    const bool drawPicture = PictureWanted(in) && layers.picture;
    const bool drawCoast = in.look.DrawCoast && in.coastLoaded;
    // The coast layer counts every point of the data; the total counts the
    // same points, so a finished drawing ends exactly at (T, T).
    const std::int64_t total = (drawPicture ? layers.picture->Steps(layer, target) : 0) +
                               (drawCoast ? layers.coast.Steps(layer, target) : 0);
    out.Begin(total);
    if (out.Stopped()) return false;
    if (drawPicture) {
      const int e = sink.Put(*layers.picture, layer, target, out);
      if (e) out.Error(e);
    }
    if (out.Stopped()) return false;
    if (!in.colorMap) out.Error(kMapErrorNoColorMap);
    if (p.ListIndex() <= 2) {
      out.Error(kMapErrorGridKind);
    } else if (drawCoast && p.Radius > 0.0001) {
      const int e = sink.Put(layers.coast, layer, target, out);
      if (e) out.Error(e);
    }
    if (out.Stopped()) return false;
    out.End(total);
    if (out.Stopped()) return false;
    out.ColourAndCoastDrawn();
  }

  // The graticule and its labels, then whatever lies on top.
  if (!in.p || !in.look.DrawGrid) {
    out.Error(kMapErrorNoProjection);
  } else {
    TLayerInput layer{*in.p, in.look, in.coast, picture, in.threadsAllowed};
    if (const int e = sink.Put(layers.graticule, layer, target, out)) out.Error(e);
  }
  if (in.p) {
    TLayerInput layer{*in.p, in.look, in.coast, picture, in.threadsAllowed};
    for (auto& overlay : layers.overlays) {
      if (out.Stopped()) return false;
      if (const int e = sink.Put(*overlay, layer, target, out)) out.Error(e);
    }
  }
  return !out.Stopped();
}

}  // namespace

bool DrawMapFrame(const TFrameInput& in, TMapLayers& layers, QImage& target, TFrameOutput& out) {
  TRasterSink sink;
  return RunMapFrame(in, layers, target, out, sink);
}

bool TraceMapFrame(const TFrameInput& in, TMapLayers& layers, QImage& target, TFrameOutput& out,
                   std::vector<TMapTrace>& traces) {
  TTraceSink sink(traces);
  return RunMapFrame(in, layers, target, out, sink);
}
