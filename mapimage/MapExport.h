// Maps for print and the web: a map drawn at any size up to 8192 x 8192 and
// written as PNG, JPEG or BMP, or as SVG or PDF with the graticule, the
// coastlines and the labels as vector paths over one raster image of what
// lies beneath them (the Earth picture). The window's export dialog and
// weltnetz-render both go through here; every file carries the map's recipe
// (mapimage/MapRecipe.h) where its format has room for text.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QSize>
#include <QString>

#include <atomic>
#include <functional>
#include <optional>
#include <vector>

#include "mapimage/MapLayer.h"
#include "mapimage/MapRenderer.h"

class QPainter;
class TGxProjectionL;

enum class TMapFileKind { Raster, Svg, Pdf };

// The kind of file a name's extension asks for: .png, .jpg, .jpeg, .bmp
// (raster), .svg, .pdf, in any case; none for any other name.
std::optional<TMapFileKind> MapFileKindOf(const QString& fileName);

// The same map on a map of another size: the radius grows by
// s = min(W'/W, H'/H), so that everything the W x H map shows stays on the
// W' x H' one whatever its shape, and the centre keeps its relative place
// (X0 * W'/W, Y0 * H'/H). A map of the same size is left exactly as it is.
void ScaleMapTo(TGxProjectionL& p, QSize from, QSize to);

// A drawing made for a file.
struct TExportDrawing {
  TRenderedMap map;               // the raster map, or what lies beneath the vectors
  std::vector<TMapTrace> traces;  // the vectors, for SVG and PDF, in drawing order
  bool vector = false;
  bool finished = false;  // false when it was stopped
  // True when nothing but the background was drawn.
  bool Blank(const QColor& background) const;
};

// Draws the snapshot as a file of this kind needs it, on the calling thread,
// polling stop and reporting progress as RenderSnapshot does.
TExportDrawing DrawForFile(const TMapSnapshot& s, TMapFileKind kind,
                           const std::atomic<bool>& stop,
                           const std::function<void(int max, int position)>& progress = {});

// Paints a vector drawing onto any painter covering its size: the raster
// beneath (a plain fill of `background` where it holds nothing else), then
// each trace's lines through the pixel centres the raster map lights, then
// its labels as filled outlines.
void PaintVectors(QPainter& painter, const TExportDrawing& d, const QColor& background);

// The file's bytes. SVG: size and view box in pixels at 96 per inch (a CSS
// pixel), the recipe in <metadata>. PDF: one page, one point a pixel, the
// recipe in the document information. Empty with why set on failure.
QByteArray SvgBytes(const TExportDrawing& d, const QColor& background, const QString& title,
                    const QString& recipe, QString& why);
QByteArray PdfBytes(const TExportDrawing& d, const QColor& background, const QString& title,
                    const QString& recipe, QString& why);

// Writes the drawing under the name, in the format its extension names, the
// recipe inside (BMP has no room for it), beside the target and then renamed
// over it. Returns an empty string or "cannot write FILE: REASON".
QString WriteMapFile(const TExportDrawing& d, const QString& fileName, const QColor& background,
                     const QString& title, const QString& recipe);

// What an export came to.
struct TExportResult {
  bool written = false;
  bool cancelled = false;
  QString message;  // the reason when not written
};

// Draws and writes in one go (the window's export, on its worker thread):
// nothing is written once stop is set, nor for a map with nothing on it.
TExportResult ExportSnapshot(const TMapSnapshot& s, const QString& fileName, const QString& title,
                             const QString& recipe, const std::atomic<bool>& stop,
                             const std::function<void(int max, int position)>& progress = {});
