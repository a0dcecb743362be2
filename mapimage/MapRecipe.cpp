#include "mapimage/MapRecipe.h"

#include <QFile>
#include <QLocale>
#include <QtEndian>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>
#include <limits>

#include "mapimage/ImageLimits.h"
#include "mapimage/MapPasses.h"
#include "projection/GxProjectionL.h"
#include "weltnetz/Version.h"

namespace {

constexpr int kRecipeForm = 1;

// The numbers of a recipe and the ranges they must lie in. The ranges hold
// every map the window and weltnetz-render draw; what lies beyond is a
// damaged or mistyped recipe.
struct TNumberKey {
  const char* key;
  std::optional<double> TRecipe::*field;
  double lo, hi;
  bool degrees;  // written from the component's radians
};
constexpr TNumberKey kNumbers[] = {
    {"radius", &TRecipe::radius, 0.01, 1e7, false},
    {"longitude", &TRecipe::longitude, -360, 360, true},
    {"latitude", &TRecipe::latitude, -90, 90, true},
    {"latitude1", &TRecipe::latitude1, -90, 90, true},
    {"latitude2", &TRecipe::latitude2, -90, 90, true},
    {"tilt", &TRecipe::tilt, -180, 180, true},
    {"other", &TRecipe::other, -1e6, 1e6, false},
};
constexpr double kMaxCentre = 1e7;

struct TFlagKey {
  const char* key;
  bool TRecipe::*field;
};
constexpr TFlagKey kFlags[] = {
    {"cutoff", &TRecipe::cutoff},
    {"antialias", &TRecipe::antiAlias},
    {"grid-values", &TRecipe::gridValues},
};

struct TLayerName {
  const char* name;
  bool TRecipe::*field;
};
constexpr TLayerName kLayers[] = {{"color", &TRecipe::color},
                                  {"grid", &TRecipe::grid},
                                  {"coast", &TRecipe::coast},
                                  {"tissot", &TRecipe::tissot}};
// The picture layer's names: the Earth picture, or a distortion map.
struct TBackgroundName {
  const char* name;
  TBackground background;
};
constexpr TBackgroundName kBackgrounds[] = {{"color", TBackground::EarthPicture},
                                            {"area", TBackground::AreaDistortion},
                                            {"angle", TBackground::AngleDistortion}};

// Where each kind of file keeps the recipe: SVG near its start, PDF in the
// document information appended at its end.
constexpr qint64 kSvgHead = 4 << 20;
constexpr qint64 kPdfTail = 1 << 20;

QString Number(double v) { return QString::number(v, 'g', QLocale::FloatingPointShortest); }

QString KindName(TProjection kind) {
  const std::string_view name = EnumName(kind);
  return QString::fromUtf8(name.data(), qsizetype(name.size()));
}

bool ParseNumber(const QString& text, double& v) {
  bool ok = false;
  v = text.toDouble(&ok);
  return ok && std::isfinite(v);
}

QString OutOfRange(const char* key, double lo, double hi, const QString& value) {
  return QStringLiteral("%1: %2 is not a number from %3 to %4")
      .arg(QLatin1String(key), value, Number(lo), Number(hi));
}

}  // namespace

QString TakeLayers(const QString& list, TRecipe& r) {
  for (const TLayerName& l : kLayers) r.*l.field = false;
  r.background = TBackground::EarthPicture;
  int pictures = 0;
  for (const QString& name : list.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
    const TLayerName* found = nullptr;
    for (const TLayerName& l : kLayers)
      if (name.trimmed() == QLatin1String(l.name)) found = &l;
    const TBackgroundName* picture = nullptr;
    for (const TBackgroundName& b : kBackgrounds)
      if (name.trimmed() == QLatin1String(b.name)) picture = &b;
    if (!found && !picture)
      return QStringLiteral("layers: color, area, angle, grid, coast or tissot expected, not %1")
          .arg(name);
    if (picture) {
      if (++pictures > 1)
        return QStringLiteral("layers: at most one of color, area and angle, not %1").arg(list);
      r.color = true;
      r.background = picture->background;
    } else {
      r.*found->field = true;
    }
  }
  return {};
}

namespace {

// One key's value into the recipe; an empty string or the reason.
QString TakeValue(const QString& key, const QString& value, TRecipe& r, bool& known) {
  known = true;
  for (const TNumberKey& n : kNumbers) {
    if (key != QLatin1String(n.key)) continue;
    double v;
    if (!ParseNumber(value, v) || v < n.lo || v > n.hi) return OutOfRange(n.key, n.lo, n.hi, value);
    r.*n.field = v;
    return {};
  }
  for (const TFlagKey& f : kFlags) {
    if (key != QLatin1String(f.key)) continue;
    if (value != QLatin1String("0") && value != QLatin1String("1"))
      return QStringLiteral("%1: 0 or 1 expected, not %2").arg(key, value);
    r.*f.field = value == QLatin1String("1");
    return {};
  }
  if (key == QLatin1String("kind")) {
    const std::optional<TProjection> kind = KindNamed(value.toStdString());
    if (!kind) return QStringLiteral("kind: no projection kind is named \"%1\"").arg(value);
    if (IsGridKind(*kind))
      return QStringLiteral("kind: %1 is a grid kind, which draws no map").arg(value);
    r.kind = *kind;
  } else if (key == QLatin1String("size")) {
    int w = 0, h = 0;
    if (!ParseMapSize(value.toStdString(), w, h))
      return QStringLiteral("size: WxH expected, each side a whole number of pixels from 1 to "
                            "%1, not %2")
          .arg(kMaxMapSide)
          .arg(value);
    r.size = QSize(w, h);
  } else if (key == QLatin1String("centre")) {
    const QStringList xy = value.split(QLatin1Char(','));
    double x, y;
    if (xy.size() != 2 || !ParseNumber(xy[0], x) || !ParseNumber(xy[1], y) ||
        std::fabs(x) > kMaxCentre || std::fabs(y) > kMaxCentre)
      return QStringLiteral("centre: X,Y expected, two numbers from %1 to %2, not %3")
          .arg(Number(-kMaxCentre), Number(kMaxCentre), value);
    r.x0 = x;
    r.y0 = y;
  } else if (key == QLatin1String("ellipsoid")) {
    bool ok = false;
    const qlonglong m = value.toLongLong(&ok);
    if (!ok || m < std::numeric_limits<std::int32_t>::min() ||
        m > std::numeric_limits<std::int32_t>::max())
      return QStringLiteral("ellipsoid: a whole number expected, not %1").arg(value);
    r.ellipsoid = static_cast<std::int32_t>(m);
  } else if (key == QLatin1String("layers")) {
    return TakeLayers(value, r);
  } else if (key == QLatin1String("line-width")) {
    double v;
    if (!ParseNumber(value, v) || v < 0 || v > kMaxLineWidth)
      return OutOfRange("line-width", 0, kMaxLineWidth, value);
    r.lineWidth = v;
  } else if (key == QLatin1String("picture")) {
    const std::optional<TEarthPicture> picture = PictureNamed(value.toStdString());
    if (!picture)
      return QStringLiteral("picture: standard, detail or own expected, not %1").arg(value);
    r.picture = *picture;
  } else if (key == QLatin1String("picture-file")) {
    r.pictureFile = value;
  } else if (key == QLatin1String("program")) {
    r.program = value;
  } else if (key == QLatin1String("recipe") || key == QLatin1String("name")) {
    // Checked by the caller.
  } else {
    known = false;
  }
  return {};
}

// ---- The files --------------------------------------------------------------------

QString Unreadable(const QString& fileName, const QString& why) {
  return QStringLiteral("cannot read %1: %2").arg(fileName, why);
}

bool FromSvg(QFile& file, QString& text) {
  QXmlStreamReader xml(&file);
  bool inMetadata = false;
  while (!xml.atEnd() && file.pos() <= kSvgHead) {
    switch (xml.readNext()) {
      case QXmlStreamReader::StartElement:
        if (xml.name() == QLatin1String("metadata")) {
          inMetadata = true;
        } else if (inMetadata && xml.name() == QLatin1String("recipe")) {
          text = xml.readElementText();
          return true;
        }
        break;
      case QXmlStreamReader::EndElement:
        if (xml.name() == QLatin1String("metadata")) inMetadata = false;
        break;
      default:
        break;
    }
  }
  return false;
}

// zlib data of a PNG text chunk, inflated; empty beyond a size no recipe has.
QByteArray Inflate(const QByteArray& compressed) {
  constexpr qsizetype kMaxText = 1 << 20;
  QByteArray sized(4, '\0');
  qToBigEndian<quint32>(static_cast<quint32>(std::min<qsizetype>(compressed.size() * 8, kMaxText)),
                        sized.data());
  const QByteArray text = qUncompress(sized + compressed);
  return text.size() > kMaxText ? QByteArray() : text;
}

// The text of a PNG chunk under the key (tEXt and zTXt in Latin-1, iTXt in
// UTF-8, compressed or not), read chunk by chunk up to the pixels. Qt's
// reader would hand back the text with its line breaks folded into blanks
// unless it decoded the whole picture.
bool FromPng(QFile& file, QString& text) {
  file.seek(8);
  for (;;) {
    const QByteArray head = file.read(8);
    if (head.size() < 8) return false;
    const quint32 length = qFromBigEndian<quint32>(head.constData());
    const QByteArray type = head.mid(4);
    if (type == "IDAT" || type == "IEND" || length > (1u << 24)) return false;
    if (type != "tEXt" && type != "zTXt" && type != "iTXt") {
      if (!file.seek(file.pos() + qint64{length} + 4)) return false;
      continue;
    }
    const QByteArray data = file.read(length);
    file.read(4);  // the CRC
    const qsizetype zero = data.indexOf('\0');
    if (zero < 0 || QString::fromLatin1(data.left(zero)) != kRecipeKey) continue;
    if (type == "tEXt") {
      text = QString::fromLatin1(data.mid(zero + 1));
    } else if (type == "zTXt") {
      text = QString::fromLatin1(Inflate(data.mid(zero + 2)));
    } else {
      // Compression flag and method, language, translated keyword.
      const qsizetype language = data.indexOf('\0', zero + 3);
      const qsizetype translated = language < 0 ? -1 : data.indexOf('\0', language + 1);
      if (data.size() < zero + 3 || translated < 0) return false;
      const QByteArray body = data.mid(translated + 1);
      text = QString::fromUtf8(data[zero + 1] ? Inflate(body) : body);
    }
    return !text.isEmpty();
  }
}

// A JPEG comment "Weltnetz-Recipe: ..." among the markers before the scan.
bool FromJpeg(QFile& file, QString& text) {
  const QByteArray prefix = (kRecipeKey + QStringLiteral(": ")).toUtf8();
  file.seek(2);
  for (;;) {
    const QByteArray marker = file.read(4);
    if (marker.size() < 4 || quint8(marker[0]) != 0xFF) return false;
    const int type = quint8(marker[1]);
    const int length = quint8(marker[2]) << 8 | quint8(marker[3]);
    if (type == 0xDA || type == 0xD9 || length < 2) return false;  // the scan, or the end
    const QByteArray data = file.read(length - 2);
    if (type == 0xFE && data.startsWith(prefix)) {
      text = QString::fromUtf8(data.mid(prefix.size()));
      return true;
    }
  }
}

bool FromPdf(QFile& file, QString& text) {
  if (file.size() > kPdfTail) file.seek(file.size() - kPdfTail);
  const QByteArray tail = file.readAll();
  // The last entry wins, as the last update of a PDF does.
  static const QRegularExpression entry(QStringLiteral("/%1\\s*<([0-9A-Fa-f\\s]*)>").arg(kRecipeKey));
  QRegularExpressionMatch last;
  for (const QRegularExpressionMatch& m : entry.globalMatch(QString::fromLatin1(tail))) last = m;
  if (!last.hasMatch()) return false;
  QByteArray bytes = QByteArray::fromHex(last.captured(1).toLatin1());
  if (!bytes.startsWith("\xFE\xFF")) return false;
  bytes.remove(0, 2);
  QString decoded(bytes.size() / 2, Qt::Uninitialized);
  for (qsizetype i = 0; i < decoded.size(); ++i)
    decoded[i] = QChar(static_cast<char16_t>(quint8(bytes[2 * i]) << 8 | quint8(bytes[2 * i + 1])));
  text = decoded;
  return true;
}

}  // namespace

QString DisplayNameOf(TProjection kind) {
  const CatalogueEntry& entry = CatalogueAt(ListPositionOf(kind));
  if (entry.Kind != kind || IsGridKind(kind)) return {};
  return QString::fromUtf8(entry.DisplayName.data(), qsizetype(entry.DisplayName.size()));
}

QString DegreesText(double radians) {
  if (!std::isfinite(radians)) return Number(radians);
  const double guess = radians * gx::kRadToDeg;
  // The degrees the user gave lie within an ulp or two of the guess; of
  // those that give the radians back, the shortest text wins (25, not
  // 25.000000000000004).
  QString best;
  double d = guess;
  for (int i = 0; i < 4; ++i) d = std::nextafter(d, -INFINITY);
  for (int i = 0; i <= 8; ++i, d = std::nextafter(d, INFINITY)) {
    if (d * gx::kDegToRad != radians) continue;
    const QString t = Number(d);
    if (best.isEmpty() || t.size() < best.size()) best = t;
  }
  return best.isEmpty() ? Number(guess) : best;
}

TRecipe RecipeOf(const TGxProjectionL& p, const TMapLook& look, QSize size, TEarthPicture picture,
                 const QString& pictureFile) {
  TRecipe r;
  r.kind = p.Projection;
  r.size = size;
  r.radius = p.Radius;
  r.other = p.Other;
  r.x0 = p.X0;
  r.y0 = p.Y0;
  r.ellipsoid = p.MapInput;
  r.cutoff = p.ForwardCutOff;
  r.color = look.DrawColorMap;
  r.grid = look.DrawGrid;
  r.coast = look.DrawCoast;
  r.tissot = look.Tissot;
  r.background = look.Background;
  r.antiAlias = look.AntiAlias;
  r.gridValues = look.GridValues;
  r.lineWidth = look.LineWidth;
  r.picture = picture;
  r.pictureFile = picture == TEarthPicture::Own ? pictureFile : QString();
  r.program = QStringLiteral("weltnetz " WELTNETZ_VERSION);
  // The degrees that give the component's radians exactly.
  struct Exact {
    std::optional<double> TRecipe::*field;
    double radians;
  };
  for (const Exact& e : {Exact{&TRecipe::longitude, p.Theta}, Exact{&TRecipe::latitude, p.Phi0},
                         Exact{&TRecipe::latitude1, p.Phi1}, Exact{&TRecipe::latitude2, p.Phi2},
                         Exact{&TRecipe::tilt, p.Oblique}})
    r.*e.field = DegreesText(e.radians).toDouble();
  return r;
}

QString RecipeText(const TRecipe& r) {
  QStringList lines;
  auto add = [&lines](const char* key, const QString& value) {
    lines << QLatin1String(key) + QLatin1Char('=') + value;
  };
  add("recipe", QString::number(kRecipeForm));
  add("program", r.program);
  add("kind", KindName(r.kind));
  add("name", DisplayNameOf(r.kind));
  add("size", QStringLiteral("%1x%2").arg(r.size.width()).arg(r.size.height()));
  for (const TNumberKey& n : kNumbers)
    if (r.*n.field) add(n.key, Number(*(r.*n.field)));
  if (r.ellipsoid) add("ellipsoid", QString::number(*r.ellipsoid));
  if (r.x0 && r.y0) add("centre", Number(*r.x0) + QLatin1Char(',') + Number(*r.y0));
  add("cutoff", r.cutoff ? QStringLiteral("1") : QStringLiteral("0"));
  QStringList layers;
  for (const TLayerName& l : kLayers) {
    if (!(r.*l.field)) continue;
    if (l.field != &TRecipe::color) {
      layers << QLatin1String(l.name);
      continue;
    }
    for (const TBackgroundName& b : kBackgrounds)
      if (b.background == r.background) layers << QLatin1String(b.name);
  }
  add("layers", layers.join(QLatin1Char(',')));
  add("antialias", r.antiAlias ? QStringLiteral("1") : QStringLiteral("0"));
  add("grid-values", r.gridValues ? QStringLiteral("1") : QStringLiteral("0"));
  add("line-width", Number(r.lineWidth));
  add("picture", QLatin1String(PictureName(r.picture)));
  if (r.picture == TEarthPicture::Own) add("picture-file", r.pictureFile);
  return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

bool ParseRecipe(const QString& text, TRecipe& recipe, QStringList& warnings, QString& error) {
  TRecipe r;
  bool haveKind = false, haveSize = false;
  QString name;
  const QStringList lines = text.split(QLatin1Char('\n'));
  for (qsizetype i = 0; i < lines.size(); ++i) {
    const QString line = lines[i].trimmed();
    if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq <= 0) {
      error = QStringLiteral("line %1 is not key=value: %2").arg(i + 1).arg(line);
      return false;
    }
    const QString key = line.left(eq).trimmed();
    const QString value = line.mid(eq + 1).trimmed();
    bool known = true;
    if (const QString why = TakeValue(key, value, r, known); !why.isEmpty()) {
      error = why;
      return false;
    }
    if (!known) warnings << QStringLiteral("unknown key \"%1\" ignored").arg(key);
    if (key == QLatin1String("kind")) haveKind = true;
    if (key == QLatin1String("size")) haveSize = true;
    if (key == QLatin1String("name")) name = value;
    if (key == QLatin1String("recipe") && value != QString::number(kRecipeForm))
      warnings << QStringLiteral("recipe form %1 read as form %2").arg(value).arg(kRecipeForm);
  }
  if (!haveKind || !haveSize) {
    error = QStringLiteral("%1: the recipe does not say it")
                .arg(haveKind ? QStringLiteral("size") : QStringLiteral("kind"));
    return false;
  }
  if (!name.isEmpty() && name != DisplayNameOf(r.kind))
    warnings << QStringLiteral("name \"%1\" is not the name of %2; the kind counts")
                    .arg(name, KindName(r.kind));
  recipe = r;
  return true;
}

bool ReadRecipeText(const QString& fileName, QString& text, QString& why) {
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly)) {
    why = Unreadable(fileName, file.errorString());
    return false;
  }
  const QByteArray head = file.peek(256);
  bool found = false;
  if (head.startsWith("%PDF-")) {
    found = FromPdf(file, text);
  } else if (head.trimmed().startsWith("<?xml") || head.trimmed().startsWith("<svg")) {
    found = FromSvg(file, text);
  } else if (head.startsWith("\x89PNG\r\n\x1A\n")) {
    found = FromPng(file, text);
  } else if (head.startsWith("\xFF\xD8")) {
    found = FromJpeg(file, text);
  } else {
    why = Unreadable(fileName, QStringLiteral("it is no PNG, JPEG, SVG or PDF file"));
    return false;
  }
  if (!found) why = QStringLiteral("%1 carries no recipe (no %2 in it)").arg(fileName, kRecipeKey);
  return found;
}
