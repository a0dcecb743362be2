// mkdata: makes the program's data sets from Natural Earth.
//
//   mkdata --land land-50m.json --picture 50-natural-earth-1-downsampled.png
//          --out resources [--preview check.png]
//
// The coastline file (kuesten.bin) is the land outline of world-atlas's
// TopoJSON, cut free of the edges that are no coast, thinned, and laid out so
// that the 1-degree run rule of the drawing splits it exactly between two
// coastlines. The Earth picture (earth.png) is the shaded-relief picture
// reduced to 300 x 150 by area averaging; the detailed one (earth_detail.png)
// is that picture at its full size. The same inputs give the same bytes:
// all choices below are fixed, and the picture is averaged in integers.
// tools/mkdata/fetch.sh obtains the inputs; resources/README.md has the story.
#include "mapimage/Coastlines.h"

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QPen>
#include <QtEndian>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Spacing of the thinned coastline, in degrees: the density of the data the
// program was first shipped with (about 30,000 points for the whole Earth).
constexpr double kStep = 0.15;
// Longest straight edge left as it is; see Densify.
constexpr double kMaxEdge = 0.5;
// Size of the Earth picture the program carries (1.2 degrees per pixel).
constexpr int kPictureWidth = 300;
constexpr int kPictureHeight = 150;

struct TLonLat { double Lon; double Lat; };
using TLine = std::vector<TLonLat>;

struct TPiece {
  TLine Points;
  bool Closed = false;  // first and last point are the same (an island, a lake)
};

[[noreturn]] void Fail(const std::string& what) { throw std::runtime_error(what); }

double Distance(const TLonLat& a, const TLonLat& b) { return std::hypot(a.Lon - b.Lon, a.Lat - b.Lat); }

bool Same(const TLonLat& a, const TLonLat& b) { return a.Lon == b.Lon && a.Lat == b.Lat; }

// ---------------------------------------------------------------- TopoJSON --

QJsonDocument ReadJson(const QString& path)
{
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    Fail("cannot open " + path.toStdString() + ": " + file.errorString().toStdString());
  QJsonParseError error;
  const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
  if (doc.isNull())
    Fail(path.toStdString() + " is no JSON: " + error.errorString().toStdString());
  return doc;
}

// The arcs of a quantised topology: integer positions, each after the first
// stored as the difference to its predecessor, mapped by scale and translate.
std::vector<TLine> DecodeArcs(const QJsonObject& topology)
{
  const QJsonObject transform = topology.value("transform").toObject();
  const QJsonArray scale = transform.value("scale").toArray();
  const QJsonArray translate = transform.value("translate").toArray();
  if (scale.size() != 2 || translate.size() != 2)
    Fail("the topology is not quantised (no transform)");
  const double sx = scale[0].toDouble(), sy = scale[1].toDouble();
  const double tx = translate[0].toDouble(), ty = translate[1].toDouble();

  std::vector<TLine> arcs;
  for (const QJsonValue& arcValue : topology.value("arcs").toArray()) {
    TLine arc;
    qint64 x = 0, y = 0;
    for (const QJsonValue& position : arcValue.toArray()) {
      const QJsonArray delta = position.toArray();
      if (delta.size() < 2)
        Fail("an arc position has fewer than two numbers");
      x += delta[0].toInteger();
      y += delta[1].toInteger();
      TLonLat p{x * sx + tx, y * sy + ty};
      // The quantisation leaves the cut meridian a hair off +-180; it has to
      // be exact, both for the cut tests below and in the stored data.
      if (std::fabs(std::fabs(p.Lon) - 180.0) < 1e-9)
        p.Lon = std::copysign(180.0, p.Lon);
      arc.push_back(p);
    }
    if (arc.empty())
      Fail("the topology holds an empty arc");
    arcs.push_back(std::move(arc));
  }
  return arcs;
}

// A ring is a list of arc indices; ~i stands for arc i walked backwards.
// Consecutive arcs share their joining point, which is taken once.
TLine StitchRing(const QJsonArray& indices, const std::vector<TLine>& arcs)
{
  TLine ring;
  for (const QJsonValue& value : indices) {
    const qint64 index = value.toInteger();
    const qint64 arcIndex = index >= 0 ? index : ~index;
    if (arcIndex >= static_cast<qint64>(arcs.size()))
      Fail("a ring refers to arc " + std::to_string(arcIndex) + ", which does not exist");
    TLine arc = arcs[static_cast<std::size_t>(arcIndex)];
    if (index < 0)
      std::reverse(arc.begin(), arc.end());
    ring.insert(ring.end(), arc.begin() + (ring.empty() ? 0 : 1), arc.end());
  }
  if (ring.size() < 2 || !Same(ring.front(), ring.back()))
    Fail("a ring of the topology is not closed");
  return ring;
}

std::vector<TLine> ReadLandRings(const QString& path)
{
  const QJsonObject topology = ReadJson(path).object();
  if (topology.value("type").toString() != QLatin1String("Topology"))
    Fail(path.toStdString() + " is no TopoJSON topology");
  const std::vector<TLine> arcs = DecodeArcs(topology);
  const QJsonObject land = topology.value("objects").toObject().value("land").toObject();
  if (land.isEmpty())
    Fail(path.toStdString() + " has no object 'land'");

  std::vector<TLine> rings;
  auto addPolygon = [&](const QJsonArray& polygon) {
    for (const QJsonValue& ring : polygon)
      rings.push_back(StitchRing(ring.toArray(), arcs));
  };
  const QJsonArray geometries = land.value("type").toString() == QLatin1String("GeometryCollection")
                                    ? land.value("geometries").toArray()
                                    : QJsonArray{land};
  for (const QJsonValue& g : geometries) {
    const QJsonObject geometry = g.toObject();
    const QString type = geometry.value("type").toString();
    if (type == QLatin1String("Polygon")) {
      addPolygon(geometry.value("arcs").toArray());
    } else if (type == QLatin1String("MultiPolygon")) {
      for (const QJsonValue& polygon : geometry.value("arcs").toArray())
        addPolygon(polygon.toArray());
    } else {
      Fail("unexpected geometry type " + type.toStdString() + " in 'land'");
    }
  }
  return rings;
}

// ------------------------------------------------------- cutting the rings --

bool OnCutMeridian(const TLonLat& p) { return std::fabs(p.Lon) == 180.0; }

// The land polygons are closed along the edges of the plate carree plane:
// Antarctica down the south edge (-89.999 in this data), and every landmass
// that the 180th meridian crosses along that meridian. Those edges are no
// coast and must not be drawn.
bool IsArtificialEdge(const TLonLat& a, const TLonLat& b)
{
  constexpr double kSouthEdge = -89.99;
  return (OnCutMeridian(a) && OnCutMeridian(b)) || (a.Lat < kSouthEdge && b.Lat < kSouthEdge);
}

// An edge from one side of the 180th meridian to the other is real coast, but
// on the plane it jumps by almost 360 degrees.
bool CrossesCutMeridian(const TLonLat& a, const TLonLat& b) { return std::fabs(a.Lon - b.Lon) > 180.0; }

// Splits a closed ring at its artificial edges and at its crossings of the
// 180th meridian. A crossing ends one piece on the meridian and starts the
// next at the same latitude on the meridian's other side, so both halves of
// the coast reach the map's edge.
std::vector<TPiece> CutRing(const TLine& ring)
{
  const std::size_t edges = ring.size() - 1;
  auto breaks = [&](std::size_t e) {
    return IsArtificialEdge(ring[e], ring[e + 1]) || CrossesCutMeridian(ring[e], ring[e + 1]);
  };
  std::size_t first = 0;
  while (first < edges && !breaks(first))
    ++first;
  if (first == edges)
    return {TPiece{ring, true}};

  std::vector<TPiece> pieces;
  TLine current;
  auto finish = [&] {
    if (current.size() >= 2)
      pieces.push_back(TPiece{current, false});
    current.clear();
  };
  // Walk all edges once, starting right after a break so that no piece
  // straddles the ring's nominal start.
  const std::size_t start = (first + 1) % edges;
  current.push_back(ring[start]);
  for (std::size_t k = 0; k < edges; ++k) {
    const std::size_t e = (start + k) % edges;
    const TLonLat& a = ring[e];
    const TLonLat& b = ring[e + 1];
    if (IsArtificialEdge(a, b)) {
      finish();
    } else if (CrossesCutMeridian(a, b)) {
      const double bLon = b.Lon + (b.Lon < a.Lon ? 360.0 : -360.0);
      const double meridian = a.Lon + bLon > 0.0 ? 180.0 : -180.0;
      const double lat = a.Lat + (meridian - a.Lon) / (bLon - a.Lon) * (b.Lat - a.Lat);
      if (a.Lon != meridian)
        current.push_back({meridian, lat});
      finish();
      if (b.Lon != -meridian)
        current.push_back({-meridian, lat});
    }
    current.push_back(b);
  }
  // The walk ended with the break it started after. After a crossing, what is
  // left is the twin point on the meridian, which belongs in front of the
  // first piece.
  if (current.size() == 2 && !pieces.empty() && Same(current.back(), pieces.front().Points.front()))
    pieces.front().Points.insert(pieces.front().Points.begin(), current.front());
  return pieces;
}

// ------------------------------------------------------------------ thinning --

// Long straight edges (Antarctica's ice fronts have some of several degrees)
// are split into equal parts of at most kMaxEdge first: then no step of the
// thinned line reaches the run break (a kept point's successor lies less than
// kStep + kMaxEdge from it), and long lines bend with the projection like the
// rest of the coast.
TLine Densify(const TLine& line)
{
  TLine out{line.front()};
  for (std::size_t i = 1; i < line.size(); ++i) {
    const TLonLat& a = line[i - 1];
    const TLonLat& b = line[i];
    const int parts = static_cast<int>(std::ceil(Distance(a, b) / kMaxEdge));
    for (int k = 1; k < parts; ++k) {
      const double t = static_cast<double>(k) / parts;
      out.push_back({a.Lon + t * (b.Lon - a.Lon), a.Lat + t * (b.Lat - a.Lat)});
    }
    out.push_back(b);
  }
  return out;
}

// Keeps a point once it lies a step or more from the last kept one; the ends
// always stay, so closed rings stay closed and cut ends stay on the cut.
std::optional<TPiece> Thin(const TPiece& piece, std::size_t& triangles)
{
  const TLine line = Densify(piece.Points);
  TLine kept{line.front()};
  for (std::size_t i = 1; i + 1 < line.size(); ++i)
    if (Distance(line[i], kept.back()) >= kStep)
      kept.push_back(line[i]);
  kept.push_back(line.back());

  if (!piece.Closed) {
    // A piece shorter than the step would shrink to the chord between its
    // ends; where both ends lie on the cut meridian (small islands that the
    // 180th meridian cuts in two), that chord is the very edge cut away.
    if (kept.size() == 2 && line.size() > 2)
      kept.insert(kept.begin() + 1, line[(line.size() - 1) / 2]);
    return TPiece{kept, false};
  }
  if (kept.size() >= 4)
    return TPiece{kept, true};
  // An island smaller than the step would shrink to a point; it keeps three
  // of its own points, a triangle, so that it still shows when drawn large.
  const std::size_t corners = line.size() - 1;
  if (corners < 3)
    return std::nullopt;
  TLine triangle{line[0], line[corners / 3], line[2 * corners / 3], line[0]};
  if (Same(triangle[0], triangle[1]) || Same(triangle[1], triangle[2]) || Same(triangle[0], triangle[2]))
    return std::nullopt;
  ++triangles;
  return TPiece{triangle, true};
}

// -------------------------------------------------------- laying out the data --

TCoastPoint Stored(const TLonLat& p) { return {static_cast<float>(p.Lon), static_cast<float>(p.Lat)}; }

struct TLayout {
  std::vector<TCoastPoint> Points;
  std::vector<std::size_t> RunStarts;  // index of the first point of every run, separators included
  std::size_t Separators = 0;
  std::size_t Rotated = 0;
};

// A point at least a degree away from both neighbours: a run of its own that
// draws nothing, between two coastlines whose ends lie too close together.
TCoastPoint Separator(const TCoastPoint& previous, const TCoastPoint& next)
{
  constexpr float kOffset = 2.0f;
  const TCoastPoint candidates[] = {{previous.Lon, previous.Lat - kOffset},
                                    {previous.Lon, previous.Lat + kOffset},
                                    {previous.Lon - kOffset, previous.Lat},
                                    {previous.Lon + kOffset, previous.Lat}};
  for (const TCoastPoint& c : candidates)
    if (std::fabs(c.Lat) <= 90.0f && std::fabs(c.Lon) <= 180.0f && StartsNewRun(previous, c) &&
        StartsNewRun(c, next))
      return c;
  Fail("no separator point fits between two coastlines");
}

std::vector<TCoastPoint> StoredLine(const TPiece& piece)
{
  std::vector<TCoastPoint> line;
  for (const TLonLat& p : piece.Points)
    line.push_back(Stored(p));
  return line;
}

// The piece as it can follow `previous` in a new run: as it is, or, for a
// closed ring, turned to start at its first point a degree or more away.
std::optional<std::vector<TCoastPoint>> Fitted(const TPiece& piece, const TCoastPoint& previous)
{
  std::vector<TCoastPoint> line = StoredLine(piece);
  if (StartsNewRun(previous, line.front()))
    return line;
  if (!piece.Closed)
    return std::nullopt;
  for (std::size_t k = 1; k + 1 < line.size(); ++k)
    if (StartsNewRun(previous, line[k])) {
      std::vector<TCoastPoint> turned(line.begin() + static_cast<std::ptrdiff_t>(k), line.end() - 1);
      turned.insert(turned.end(), line.begin(), line.begin() + static_cast<std::ptrdiff_t>(k) + 1);
      return turned;
    }
  return std::nullopt;
}

// Pieces go in the order of the source, except that a piece whose start lies
// too close to the previous end waits for the first later one that fits;
// only when none does is a separator point spent.
TLayout LayOut(const std::vector<TPiece>& pieces)
{
  TLayout layout;
  // The drawing's previous point starts at (0, 0), so the first coastline
  // must start a degree or more away from there, like every later one from
  // its predecessor's end.
  TCoastPoint previous{0.0f, 0.0f};
  std::vector<bool> placed(pieces.size(), false);
  std::size_t firstOpen = 0;
  for (std::size_t count = 0; count < pieces.size(); ++count) {
    std::optional<std::vector<TCoastPoint>> line;
    std::size_t chosen = firstOpen;
    for (std::size_t i = firstOpen; i < pieces.size() && !line; ++i)
      if (!placed[i] && (line = Fitted(pieces[i], previous)))
        chosen = i;
    if (!line) {
      line = StoredLine(pieces[chosen]);
      layout.RunStarts.push_back(layout.Points.size());
      layout.Points.push_back(Separator(previous, line->front()));
      ++layout.Separators;
    } else if (!StartsNewRun(previous, Stored(pieces[chosen].Points.front()))) {
      ++layout.Rotated;
    }
    placed[chosen] = true;
    while (firstOpen < pieces.size() && placed[firstOpen])
      ++firstOpen;
    layout.RunStarts.push_back(layout.Points.size());
    layout.Points.insert(layout.Points.end(), line->begin(), line->end());
    previous = line->back();
  }
  return layout;
}

// The promise the layout makes: the run rule, applied as the drawing applies
// it, finds exactly the planned runs, so every coastline is one run and no
// run joins two of them.
void CheckRuns(const std::vector<TCoastPoint>& points, const std::vector<std::size_t>& planned)
{
  std::vector<std::size_t> found;
  TCoastPoint previous{0.0f, 0.0f};
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (StartsNewRun(previous, points[i]))
      found.push_back(i);
    previous = points[i];
  }
  if (found != planned) {
    std::size_t i = 0;
    while (i < found.size() && i < planned.size() && found[i] == planned[i])
      ++i;
    Fail("the run rule does not split the data as laid out (first difference at run " +
         std::to_string(i) + ")");
  }
}

struct TFigures {
  std::size_t Points = 0, Runs = 0, ClosedRings = 0, LonePoints = 0;
  float MinLon = 0, MaxLon = 0, MinLat = 0, MaxLat = 0;
};

TFigures Figures(const std::vector<TCoastPoint>& points)
{
  TFigures f;
  f.Points = points.size();
  f.MinLon = f.MinLat = INFINITY;
  f.MaxLon = f.MaxLat = -INFINITY;
  std::size_t runStart = 0;
  auto closeRun = [&](std::size_t end) {
    if (end - runStart == 1)
      ++f.LonePoints;
    else if (points[runStart].Lon == points[end - 1].Lon && points[runStart].Lat == points[end - 1].Lat)
      ++f.ClosedRings;
  };
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (StartsNewRun(i == 0 ? TCoastPoint{0, 0} : points[i - 1], points[i])) {
      if (i > 0)
        closeRun(i);
      runStart = i;
      ++f.Runs;
    }
    f.MinLon = std::min(f.MinLon, points[i].Lon);
    f.MaxLon = std::max(f.MaxLon, points[i].Lon);
    f.MinLat = std::min(f.MinLat, points[i].Lat);
    f.MaxLat = std::max(f.MaxLat, points[i].Lat);
  }
  if (!points.empty())
    closeRun(points.size());
  return f;
}

void WriteCoastlines(const QString& path, const std::vector<TCoastPoint>& points)
{
  QByteArray bytes;
  bytes.reserve(static_cast<qsizetype>(points.size() * 8));
  for (const TCoastPoint& p : points)
    for (float v : {p.Lon, p.Lat}) {
      const quint32 le = qToLittleEndian(std::bit_cast<quint32>(v));
      bytes.append(reinterpret_cast<const char*>(&le), 4);
    }
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size() ||
      !file.flush())
    Fail("cannot write " + path.toStdString() + ": " + file.errorString().toStdString());
}

// ------------------------------------------------------------ Earth picture --

// Each target pixel is the mean of the source area it covers, partly covered
// source pixels weighted by their share. Positions are measured in units of
// 1/(target size) source pixels, so every overlap is a whole number and the
// result does not depend on floating-point rounding.
QImage AreaAverage(const QImage& source, int width, int height)
{
  const QImage rgb = source.convertToFormat(QImage::Format_RGB888);
  const qint64 sw = rgb.width(), sh = rgb.height();
  QImage target(width, height, QImage::Format_RGB888);
  auto overlap = [](qint64 lo1, qint64 hi1, qint64 lo2, qint64 hi2) {
    return std::max<qint64>(0, std::min(hi1, hi2) - std::max(lo1, lo2));
  };
  const qint64 total = sw * sh;  // the area of one target pixel in these units
  for (int ty = 0; ty < height; ++ty) {
    const qint64 y0 = ty * sh, y1 = (ty + 1) * sh;  // in 1/height source rows
    uchar* out = target.scanLine(ty);
    for (int tx = 0; tx < width; ++tx) {
      const qint64 x0 = tx * sw, x1 = (tx + 1) * sw;  // in 1/width source columns
      qint64 sum[3] = {0, 0, 0};
      for (qint64 sy = y0 / height; sy * height < y1; ++sy) {
        const qint64 wy = overlap(y0, y1, sy * height, (sy + 1) * height);
        const uchar* row = rgb.constScanLine(static_cast<int>(sy));
        for (qint64 sx = x0 / width; sx * width < x1; ++sx) {
          const qint64 w = wy * overlap(x0, x1, sx * width, (sx + 1) * width);
          for (int c = 0; c < 3; ++c)
            sum[c] += w * row[3 * sx + c];
        }
      }
      for (int c = 0; c < 3; ++c)
        out[3 * tx + c] = static_cast<uchar>((sum[c] + total / 2) / total);
    }
  }
  return target;
}

QImage ReadSourcePicture(const QString& path)
{
  const QImage source(path);
  if (source.isNull())
    Fail("cannot read the picture " + path.toStdString());
  // A whole-Earth plate carree picture is twice as wide as it is high.
  if (source.width() != 2 * source.height())
    Fail(path.toStdString() + " is " + std::to_string(source.width()) + " x " +
         std::to_string(source.height()) + ", not a whole-Earth plate carree picture");
  return source;
}

// Writes a picture and reads it back through the program's own loader:
// what it rejects, the program would reject too.
void WritePicture(const QString& path, const QImage& picture)
{
  if (!picture.save(path, "PNG"))
    Fail("cannot write " + path.toStdString());
  const QImage loaded = LoadEarthPicture(path);
  if (loaded.size() != picture.size() || loaded != picture.convertToFormat(QImage::Format_BGR888))
    Fail("the written picture " + path.toStdString() + " does not read back as written");
}

// ------------------------------------------------------------------- preview --

// The coastlines over the picture, four times enlarged, drawn by the run
// rule: what the plate carree map of the program will show, for a look by eye.
void WritePreview(const QString& path, const QImage& picture, const std::vector<TCoastPoint>& points)
{
  constexpr int kScale = 4;
  QImage canvas = picture.scaled(picture.width() * kScale, picture.height() * kScale)
                      .convertToFormat(QImage::Format_RGB32);
  QPainter painter(&canvas);
  painter.setPen(QPen(Qt::red, 1));
  const double sx = canvas.width() / 360.0, sy = canvas.height() / 180.0;
  auto at = [&](const TCoastPoint& p) { return QPointF((p.Lon + 180.0) * sx, (90.0 - p.Lat) * sy); };
  for (std::size_t i = 1; i < points.size(); ++i)
    if (!StartsNewRun(points[i - 1], points[i]))
      painter.drawLine(at(points[i - 1]), at(points[i]));
  painter.end();
  if (!canvas.save(path, "PNG"))
    Fail("cannot write " + path.toStdString());
}

// ---------------------------------------------------------------------- main --

struct TOptions { QString Land, Picture, Out, Preview; };

TOptions ParseOptions(const QStringList& args)
{
  TOptions o;
  for (qsizetype i = 1; i < args.size(); ++i) {
    const QString& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == QLatin1String("--land") && hasValue) o.Land = args[++i];
    else if (a == QLatin1String("--picture") && hasValue) o.Picture = args[++i];
    else if (a == QLatin1String("--out") && hasValue) o.Out = args[++i];
    else if (a == QLatin1String("--preview") && hasValue) o.Preview = args[++i];
    else Fail("unknown or incomplete option " + a.toStdString());
  }
  if (o.Land.isEmpty() || o.Picture.isEmpty() || o.Out.isEmpty())
    Fail("usage: mkdata --land land-50m.json --picture natural-earth.png --out DIR [--preview PNG]");
  return o;
}

int Run(const TOptions& options)
{
  const std::vector<TLine> rings = ReadLandRings(options.Land);
  std::vector<TPiece> pieces;
  std::size_t sourcePoints = 0, dropped = 0, triangles = 0;
  for (const TLine& ring : rings) {
    sourcePoints += ring.size();
    for (const TPiece& piece : CutRing(ring)) {
      if (std::optional<TPiece> thinned = Thin(piece, triangles))
        pieces.push_back(std::move(*thinned));
      else
        ++dropped;
    }
  }
  const TLayout layout = LayOut(pieces);
  CheckRuns(layout.Points, layout.RunStarts);

  const QString coastPath = options.Out + QStringLiteral("/kuesten.bin");
  WriteCoastlines(coastPath, layout.Points);
  const QImage source = ReadSourcePicture(options.Picture);
  const QImage picture = AreaAverage(source, kPictureWidth, kPictureHeight);
  WritePicture(options.Out + QStringLiteral("/earth.png"), picture);
  // The detailed picture is the source itself, as 24-bit RGB: maps drawn
  // larger than the window's read it bilinearly.
  const QImage detail = source.convertToFormat(QImage::Format_RGB888);
  WritePicture(options.Out + QStringLiteral("/earth_detail.png"), detail);

  // Read both back through the program's own loaders: what they reject, the
  // program would reject too.
  const std::vector<TCoastPoint> loaded = LoadCoastlines(coastPath);
  if (loaded.size() != layout.Points.size() ||
      !std::equal(loaded.begin(), loaded.end(), layout.Points.begin(), [](auto& a, auto& b) {
        return std::bit_cast<quint32>(a.Lon) == std::bit_cast<quint32>(b.Lon) &&
               std::bit_cast<quint32>(a.Lat) == std::bit_cast<quint32>(b.Lat);
      }))
    Fail("the written coastline file does not read back as written");

  const TFigures f = Figures(loaded);
  std::printf("source: %zu rings, %zu points\n", rings.size(), sourcePoints);
  std::printf("coastlines: %zu pieces kept (%zu small islands as triangles), %zu dropped, "
              "%zu rings turned, %zu separators\n",
              pieces.size(), triangles, dropped, layout.Rotated, layout.Separators);
  std::printf("points      %zu (%zu bytes)\n", f.Points, f.Points * 8);
  std::printf("runs        %zu\n", f.Runs);
  std::printf("closed      %zu\n", f.ClosedRings);
  std::printf("lone points %zu\n", f.LonePoints);
  std::printf("longitude   %.6g to %.6g\n", f.MinLon, f.MaxLon);
  std::printf("latitude    %.6g to %.6g\n", f.MinLat, f.MaxLat);
  std::printf("first       (%.9g, %.9g)\n", loaded.front().Lon, loaded.front().Lat);
  std::printf("last        (%.9g, %.9g)\n", loaded.back().Lon, loaded.back().Lat);
  std::printf("picture     %d x %d, 24-bit\n", picture.width(), picture.height());
  std::printf("detail      %d x %d, 24-bit\n", detail.width(), detail.height());

  if (!options.Preview.isEmpty())
    WritePreview(options.Preview, picture, loaded);
  return 0;
}

}  // namespace

int main(int argc, char** argv)
{
  QCoreApplication app(argc, argv);
  try {
    return Run(ParseOptions(app.arguments()));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "mkdata: %s\n", e.what());
    return 1;
  }
}
