// The frame of one drawing, shared by the control's own drawing and the
// background renderer: which layers, in which order, with which progress
// total and which map errors. The caller prepares the target image (its size
// and background) and says what to do with reports.
#pragma once

#include <memory>
#include <vector>

#include "mapimage/LineLayers.h"
#include "mapimage/MapLayer.h"

// The layers of a drawing. The picture slot holds the layer that paints the
// background pixel by pixel; the overlays come after the graticule.
struct TMapLayers {
  std::unique_ptr<TMapLayer> picture;
  TCoastLayer coast;
  TGraticuleLayer graticule;
  std::vector<std::unique_ptr<TMapLayer>> overlays;
};

// Sets up the picture layer and the overlays that the look asks for; keeps
// those that are already of the right kind. A new layer is a new file and a
// line here.
void ChooseLayers(TMapLayers& layers, const TMapLook& look);

// Where a drawing's reports go.
class TFrameOutput : public TDrawProgress {
 public:
  // The progress total of the colour-and-coast part, reported with
  // position 0 before it and with position total after it.
  virtual void Begin(std::int64_t total) = 0;
  virtual void End(std::int64_t total) = 0;
  virtual void Error(int code) = 0;
  // The colour and coastline layers are drawn (the control keeps a copy of
  // its map here).
  virtual void ColourAndCoastDrawn() {}
};

// What one drawing draws with. `p` may be null (nothing but the errors then);
// `colorMap` is null when the settings hold no picture at all.
struct TFrameInput {
  TGxProjectionL* p;
  const TMapLook& look;
  const std::vector<TCoastPoint>& coast;
  bool coastLoaded;
  const QImage* colorMap;
  bool threadsAllowed;
};

// Draws the layers into target (24-bit, sized and filled by the caller):
// the picture, the coastlines, the graticule with its labels, the overlays.
// Returns false when the output said stop (the target is then half drawn).
bool DrawMapFrame(const TFrameInput& in, TMapLayers& layers, QImage& target, TFrameOutput& out);

// The same drawing for a vector file: the layers that are pictures draw into
// target, which becomes the raster beneath the vectors; the line layers give
// their traces instead, appended to `traces` in drawing order. Same layers,
// order, progress and errors as DrawMapFrame.
bool TraceMapFrame(const TFrameInput& in, TMapLayers& layers, QImage& target, TFrameOutput& out,
                   std::vector<TMapTrace>& traces);
