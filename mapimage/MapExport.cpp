#include "mapimage/MapExport.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSvgGenerator>

#include <algorithm>
#include <cstring>
#include <new>

#include "mapimage/ImageFile.h"
#include "mapimage/MapRecipe.h"
#include "projection/GxProjectionL.h"
#include "weltnetz/Version.h"

namespace {

// The context of its messages in the translations: weltnetz-render prints
// them as written here, the window in its language.
struct MapExport {
  Q_DECLARE_TR_FUNCTIONS(MapExport)
};

constexpr const char* kProgram = "Weltnetz " WELTNETZ_VERSION;

// SVG lengths are CSS pixels, 96 to the inch; a PDF page is measured in
// points, 72 to the inch, one to a map pixel, so that the page is as many
// points as the map is pixels and a renderer at 72 dpi gives the map back.
constexpr int kSvgPixelsPerInch = 96;
constexpr int kPdfPointsPerInch = 72;

// True when every pixel of the image has the background colour.
bool OnlyBackground(const QImage& image, const QColor& background) {
  if (image.format() != QImage::Format_BGR888) return false;
  QImage row(image.width(), 1, image.format());
  if (row.isNull()) return false;  // no memory to look: count it as drawn
  row.fill(background);
  const auto bytes = static_cast<std::size_t>(image.width()) * 3;
  for (int y = 0; y < image.height(); ++y)
    if (std::memcmp(image.constScanLine(y), row.constScanLine(0), bytes) != 0) return false;
  return true;
}

bool TraceEmpty(const TMapTrace& t) { return t.lines.Segments().empty() && t.labels.empty(); }

// The SVG as the web takes it: the size in CSS pixels (Qt writes
// millimetres, rounded so that a renderer makes 507.0009 pixels 508), and
// the recipe as an element of <metadata> right after the <svg> element
// opens, where a reader finds it without reading the picture.
bool FinishSvg(QByteArray& svg, QSize size, const QString& recipe) {
  const qsizetype open = svg.indexOf("<svg");
  const qsizetype end = open < 0 ? -1 : svg.indexOf('>', open);
  if (end < 0) return false;
  QString head = QString::fromUtf8(svg.mid(open, end - open));
  static const QRegularExpression width(QStringLiteral("\\bwidth=\"[^\"]*\""));
  static const QRegularExpression height(QStringLiteral("\\bheight=\"[^\"]*\""));
  head.replace(width, QStringLiteral("width=\"%1\"").arg(size.width()));
  head.replace(height, QStringLiteral("height=\"%1\"").arg(size.height()));
  const QByteArray metadata =
      "\n<metadata>\n<weltnetz:recipe xmlns:weltnetz=\"urn:x-weltnetz:recipe\">" +
      recipe.toHtmlEscaped().toUtf8() + "</weltnetz:recipe>\n</metadata>";
  svg.replace(open, end + 1 - open, head.toUtf8() + '>' + metadata);
  return true;
}

// A PDF text string in UTF-16 with its byte-order mark, as hexadecimal.
QByteArray PdfText(const QString& text) {
  QByteArray bytes("\xFE\xFF", 2);
  for (QChar c : text) {
    bytes.append(static_cast<char>(c.unicode() >> 8));
    bytes.append(static_cast<char>(c.unicode() & 0xFF));
  }
  return '<' + bytes.toHex().toUpper() + '>';
}

// Adds an entry to the document information of a PDF as the format adds
// anything to a finished file: an update appended at its end, with the
// information dictionary written anew (its old entries and the new one), a
// cross-reference section for it and a trailer pointing back to the
// previous one. Qt writes no entries of its own choosing there.
bool AddPdfInformation(QByteArray& pdf, const QString& key, const QString& value) {
  const qsizetype trailerAt = pdf.lastIndexOf("trailer");
  const qsizetype startxrefAt = pdf.lastIndexOf("startxref");
  if (trailerAt < 0 || startxrefAt < trailerAt) return false;
  const QString trailer = QString::fromLatin1(pdf.mid(trailerAt, startxrefAt - trailerAt));
  static const QRegularExpression sizeRe(QStringLiteral("/Size\\s+(\\d+)"));
  static const QRegularExpression rootRe(QStringLiteral("/Root\\s+(\\d+\\s+\\d+\\s+R)"));
  static const QRegularExpression infoRe(QStringLiteral("/Info\\s+(\\d+)\\s+0\\s+R"));
  static const QRegularExpression prevRe(QStringLiteral("startxref\\s+(\\d+)"));
  const auto size = sizeRe.match(trailer), root = rootRe.match(trailer),
             info = infoRe.match(trailer);
  const auto prev = prevRe.match(QString::fromLatin1(pdf.mid(startxrefAt)));
  if (!size.hasMatch() || !root.hasMatch() || !info.hasMatch() || !prev.hasMatch()) return false;

  // The old dictionary's entries are kept.
  const QByteArray objectHead = '\n' + info.captured(1).toLatin1() + " 0 obj";
  const qsizetype objectAt = pdf.indexOf(objectHead);
  const qsizetype open = objectAt < 0 ? -1 : pdf.indexOf("<<", objectAt);
  const qsizetype close = open < 0 ? -1 : pdf.indexOf(">>", open);
  if (close < 0) return false;
  const QByteArray entries = pdf.mid(open + 2, close - open - 2);

  if (!pdf.endsWith('\n')) pdf.append('\n');
  const qsizetype at = pdf.size();
  pdf += info.captured(1).toLatin1() + " 0 obj\n<<" + entries + "/" + key.toLatin1() + ' ' +
         PdfText(value) + "\n>>\nendobj\n";
  const qsizetype xrefAt = pdf.size();
  pdf += "xref\n" + info.captured(1).toLatin1() + " 1\n" +
         QByteArray::number(at).rightJustified(10, '0') + " 00000 n \n";
  pdf += "trailer\n<< /Size " + size.captured(1).toLatin1() + " /Root " +
         root.captured(1).toLatin1() + " /Info " + info.captured(1).toLatin1() + " 0 R /Prev " +
         prev.captured(1).toLatin1() + " >>\nstartxref\n" + QByteArray::number(xrefAt) +
         "\n%%EOF\n";
  return true;
}

// A painter on a vector device, with the reason when it could not start.
bool Paint(QPaintDevice& device, const TExportDrawing& d, const QColor& background, QString& why) {
  QPainter painter;
  if (!painter.begin(&device)) {
    why = MapExport::tr("the vector drawing could not start");
    return false;
  }
  PaintVectors(painter, d, background);
  return painter.end();
}

}  // namespace

std::optional<TMapFileKind> MapFileKindOf(const QString& fileName) {
  const QString suffix = QFileInfo(fileName).suffix();
  if (suffix.compare(QLatin1String("svg"), Qt::CaseInsensitive) == 0) return TMapFileKind::Svg;
  if (suffix.compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0) return TMapFileKind::Pdf;
  if (FormatOfFileName(fileName)) return TMapFileKind::Raster;
  return std::nullopt;
}

void ScaleMapTo(TGxProjectionL& p, QSize from, QSize to) {
  if (from == to || from.isEmpty() || to.isEmpty()) return;
  const double sx = double(to.width()) / from.width();
  const double sy = double(to.height()) / from.height();
  p.Radius *= std::min(sx, sy);
  p.X0 *= sx;
  p.Y0 *= sy;
}

bool TExportDrawing::Blank(const QColor& background) const {
  if (!std::all_of(traces.begin(), traces.end(), TraceEmpty)) return false;
  return OnlyBackground(map.image, background);
}

TExportDrawing DrawForFile(const TMapSnapshot& s, TMapFileKind kind,
                           const std::atomic<bool>& stop,
                           const std::function<void(int, int)>& progress) {
  TExportDrawing d;
  d.vector = kind != TMapFileKind::Raster;
  d.finished = RenderSnapshot(s, d.map, stop, progress, nullptr, d.vector ? &d.traces : nullptr);
  return d;
}

void PaintVectors(QPainter& painter, const TExportDrawing& d, const QColor& background) {
  const QRect all(QPoint(0, 0), d.map.size);
  // The PDF writer would store the picture as a JPEG, blurring the map's
  // colours; a map is kept as drawn.
  painter.setRenderHint(QPainter::LosslessImageRendering, true);
  if (!d.map.image.isNull() && !OnlyBackground(d.map.image, background))
    painter.drawImage(QPoint(0, 0), d.map.image);
  else
    painter.fillRect(all, background);
  for (const TMapTrace& t : d.traces) {
    // The raster map lights the pixel whose corner is at the segment's
    // integer end; its centre lies half a pixel further.
    painter.save();
    painter.translate(0.5, 0.5);
    t.lines.Stroke(painter, t.colour, true);
    painter.restore();
    if (t.labels.empty()) continue;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(t.colour);
    for (const TLabel& label : t.labels) {
      QPainterPath path;
      path.addText(QPointF(label.baseline), t.font, label.text);
      painter.drawPath(path);
    }
    painter.restore();
  }
}

QByteArray SvgBytes(const TExportDrawing& d, const QColor& background, const QString& title,
                    const QString& recipe, QString& why) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  {
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(d.map.size);
    svg.setViewBox(QRect(QPoint(0, 0), d.map.size));
    svg.setResolution(kSvgPixelsPerInch);
    svg.setTitle(title);
    svg.setDescription(QStringLiteral("%1; the map's recipe is in the metadata").arg(kProgram));
    if (!Paint(svg, d, background, why)) return {};
  }
  buffer.close();
  if (!FinishSvg(bytes, d.map.size, recipe)) {
    why = MapExport::tr("the SVG writer gave no <svg> element");
    return {};
  }
  return bytes;
}

QByteArray PdfBytes(const TExportDrawing& d, const QColor& background, const QString& title,
                    const QString& recipe, QString& why) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter pdf(&buffer);
    pdf.setResolution(kPdfPointsPerInch);
    pdf.setPageLayout(QPageLayout(QPageSize(QSizeF(d.map.size), QPageSize::Point, QString(),
                                            QPageSize::ExactMatch),
                                  QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                                  QPageLayout::Point));
    pdf.setTitle(title);
    pdf.setCreator(QString::fromLatin1(kProgram));
    if (!Paint(pdf, d, background, why)) return {};
  }
  buffer.close();
  if (!AddPdfInformation(bytes, kRecipeKey, recipe)) {
    why = MapExport::tr("the PDF writer gave no document information to put the recipe in");
    return {};
  }
  return bytes;
}

QString WriteMapFile(const TExportDrawing& d, const QString& fileName, const QColor& background,
                     const QString& title, const QString& recipe) {
  const std::optional<TMapFileKind> kind = MapFileKindOf(fileName);
  auto fail = [&fileName](const QString& why) { return CannotWrite(fileName, why); };
  if (!kind)
    return fail(MapExport::tr("the name ends in none of .png, .jpg, .jpeg, .bmp, .svg and .pdf"));
  if (d.map.image.isNull()) return fail(NotEnoughMemoryFor(d.map.size));
  if (*kind == TMapFileKind::Raster) {
    if (d.vector) return fail(MapExport::tr("the map was drawn for a vector file"));
    ImageFileOptions options;
    options.text.append({kRecipeKey, recipe});
    return WriteImageFile(d.map.image, fileName, options);
  }
  if (!d.vector) return fail(MapExport::tr("the map was drawn for a raster file"));
  QString why;
  QByteArray bytes;
  try {
    bytes = *kind == TMapFileKind::Svg ? SvgBytes(d, background, title, recipe, why)
                                       : PdfBytes(d, background, title, recipe, why);
  } catch (const std::bad_alloc&) {
    why = NotEnoughMemoryFor(d.map.size);
  }
  if (!why.isEmpty()) return fail(why);
  return WriteFileBytes(bytes, fileName);
}

TExportResult ExportSnapshot(const TMapSnapshot& s, const QString& fileName, const QString& title,
                             const QString& recipe, const std::atomic<bool>& stop,
                             const std::function<void(int, int)>& progress) {
  TExportResult result;
  const std::optional<TMapFileKind> kind = MapFileKindOf(fileName);
  if (!kind) {
    result.message = WriteMapFile({}, fileName, s.look.ColorEmpty, title, recipe);
    return result;
  }
  const TExportDrawing d = DrawForFile(s, *kind, stop, progress);
  if (!d.finished || stop.load()) {
    result.cancelled = true;
    return result;
  }
  if (d.map.image.isNull()) {
    result.message = MapExport::tr("cannot draw the map: %1").arg(NotEnoughMemoryFor(s.size));
    return result;
  }
  if (d.Blank(s.look.ColorEmpty)) {
    result.message = MapExport::tr("nothing could be drawn: the map is empty");
    return result;
  }
  result.message = WriteMapFile(d, fileName, s.look.ColorEmpty, title, recipe);
  result.written = result.message.isEmpty();
  return result;
}
