// weltnetz-render: draws a map with the window's map control and settings,
// without a window, and writes it as PNG, JPEG or BMP.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFont>

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "mapimage/GxMapImageL.h"
#include "mapimage/ImageFile.h"
#include "mapimage/ImageLimits.h"
#include "projection/Catalogue.h"
#include "tools/common/ProjectionSetup.h"
#include "weltnetz/Version.h"

namespace {

void Usage(const char* message) {
  if (message) std::fprintf(stderr, "weltnetz-render: %s\n", message);
  std::fprintf(stderr,
               "usage: weltnetz-render [options] -o FILE\n"
               "       weltnetz-render [options] --all DIR\n"
               "%s"
               "  --layers LIST   comma-separated of color, grid, coast, tissot, and area or\n"
               "                  angle (the distortion map) in place of color (default color,grid)\n"
               "  --antialias     anti-aliased graticule\n"
               "  --grid-values   graticule labels\n"
               "  --line-width W  line width in pixels (default 1)\n"
               "  -o FILE         output; .png, .jpg/.jpeg (quality 100) or .bmp\n"
               "  --all DIR       every listed kind with its defaults into DIR/NN.png\n"
               "                  (NN the catalogue position; other set-up options apply)\n"
               "  --time          print render_ms <milliseconds> <position> <enum name>\n"
               "                  for each map (position - for a kind outside the list)\n"
               "  -h, --help      this text\n"
               "  --version       the program's version\n"
               "\n"
               "Each side of --size is at most %d pixels. A map counts as drawn only when\n"
               "the map control made an image of the asked size, the projection is Ready,\n"
               "and - when any layer is asked for - at least one pixel differs from the\n"
               "white background (a radius the engine refuses draws nothing). Otherwise\n"
               "the reason is printed with the engine's code for the map centre and the\n"
               "map control's error codes, nothing is written, no render_ms is printed and\n"
               "the exit status is 1 (--all stops at the first such kind). A file is written\n"
               "beside its target and renamed over it; a replaced file keeps its mode.\n"
               "Bad options exit with 2.\n",
               kSetupUsage, kMaxMapSide);
}

struct RenderOptions {
  bool color = true, grid = true, coast = false, tissot = false;
  TBackground background = TBackground::EarthPicture;
  bool antiAlias = false, gridValues = false;
  double lineWidth = 1.0;
  QString output, allDir;
  bool time = false;
};

// One picture at most: the Earth, or the distortion map of areas or angles.
bool ParseLayers(const std::string& list, RenderOptions& o) {
  o.grid = o.coast = o.tissot = false;
  o.background = TBackground::EarthPicture;
  int pictures = 0;
  std::size_t start = 0;
  while (start <= list.size()) {
    const std::size_t comma = list.find(',', start);
    const std::string name =
        list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    if (name == "color" || name == "area" || name == "angle") {
      ++pictures;
      if (name == "area") o.background = TBackground::AreaDistortion;
      if (name == "angle") o.background = TBackground::AngleDistortion;
    } else if (name == "grid") o.grid = true;
    else if (name == "coast") o.coast = true;
    else if (name == "tissot") o.tissot = true;
    else if (!(name.empty() && list.empty())) return false;
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  o.color = pictures > 0;
  return pictures <= 1;
}

// A name that does not survive the trip through Qt's file names (not valid
// UTF-8) would be written under another name, with U+FFFD in place of the
// bad bytes, and reported as written; it is refused instead.
bool FileNameOf(const char* given, QString& name) {
  name = QFile::decodeName(given);
  return QFile::encodeName(name) == QByteArray(given);
}

// The window's map settings.
void ConfigureLikeWindow(TGxMapImageL& map, TGxProjectionL& p, const RenderOptions& o) {
  QFont font(QStringLiteral("Verdana"));
  font.setPixelSize(13);
  map.setFont(font);
  TMapSettings& s = map.MapSettings;
  s.GxProjection = &p;
  s.AntiAlias = o.antiAlias;
  UseWindowColours(s);
  s.GridValues = o.gridValues;
  s.LineWidth = o.lineWidth;
  s.DrawColorMap = o.color;
  s.DrawGrid = o.grid;
  s.DrawCoast = o.coast;
  s.Background = o.background;
  s.Tissot = o.tissot;
  map.SetGridRange(180, -180, 90, -90, 30, 1);
}

// True when every pixel of the image has the background colour.
bool OnlyBackground(const QImage& image, const QColor& background) {
  QImage row(image.width(), 1, image.format());
  if (row.isNull()) return false;  // no memory to look: the map stays
  row.fill(background);
  const auto bytes = static_cast<std::size_t>(row.bytesPerLine());
  for (int y = 0; y < image.height(); ++y)
    if (std::memcmp(image.constScanLine(y), row.constScanLine(0), bytes) != 0) return false;
  return true;
}

// Why the drawing cannot count as a map, empty when it can (the rule is in
// the usage text). mapErrors holds the map control's codes of the drawing.
QString WhyNotDrawn(const TGxMapImageL& map, TGxProjectionL& p, const ProjectionSetup& setup,
                    const RenderOptions& o, const std::vector<int>& mapErrors) {
  const QSize asked(setup.width, setup.height);
  if (map.MainMap().size() != asked)
    return QStringLiteral("the map control could not make the map's image: %1")
        .arg(NotEnoughMemoryFor(asked));
  const bool anyLayer = o.color || o.grid || o.coast;
  if (p.Ready && !(anyLayer && OnlyBackground(map.MainMap(), map.MapSettings.ColorEmpty)))
    return {};
  // The engine answers for the centre with its not-ready code when it
  // refuses to work at all, which is the usual reason for a blank map.
  p.Forward(p.Theta * gx::kRadToDeg, p.Phi0 * gx::kRadToDeg);
  QStringList codes;
  for (int code : mapErrors) codes << QString::number(code);
  return QStringLiteral("%1 (engine code %2 at the map centre; map error codes: %3)")
      .arg(p.Ready ? QStringLiteral("nothing could be drawn")
                   : QStringLiteral("the projection is not ready"))
      .arg(p.ErrorCode)
      .arg(codes.isEmpty() ? QStringLiteral("none") : codes.join(QStringLiteral(", ")));
}

// "42 mpMollweide": the list position ("-" for a kind outside the list) and
// the enumeration name of the projection's kind.
std::string KindName(const TGxProjectionL& p) {
  const int position = p.ListIndex();
  const bool listed = CatalogueAt(position).Kind == p.Projection;
  return (listed ? std::to_string(position) : std::string("-")) + " " +
         std::string(EnumName(p.Projection));
}

// Draws one map and writes it when a file is given; false (with the reason
// printed) when the map failed or could not be written.
bool DrawOne(TGxMapImageL& map, TGxProjectionL& p, const ProjectionSetup& setup,
             const RenderOptions& o, const QString& file) {
  ApplySetup(setup, p);
  std::vector<int> mapErrors;
  map.OnError = [&mapErrors](TGxMapImageL*, int code) { mapErrors.push_back(code); };
  QElapsedTimer timer;
  timer.start();
  map.Render();
  const double ms = static_cast<double>(timer.nsecsElapsed()) / 1.0e6;
  map.OnError = nullptr;
  map.SaveMap();
  const std::string kind = KindName(p);
  if (const QString why = WhyNotDrawn(map, p, setup, o, mapErrors); !why.isEmpty()) {
    std::fprintf(stderr, "weltnetz-render: %dx%d map of %s: %s\n", setup.width, setup.height,
                 kind.c_str(), why.toLocal8Bit().constData());
    return false;
  }
  if (o.time) {
    std::printf("render_ms %.3f %s\n", ms, kind.c_str());
    std::fflush(stdout);
  }
  if (file.isEmpty()) return true;
  if (const QString why = WriteImageFile(map.MainMap(), file); !why.isEmpty()) {
    std::fprintf(stderr, "weltnetz-render: %s\n", why.toLocal8Bit().constData());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  ProjectionSetup setup;
  RenderOptions o;
  bool kindChosen = false;
  for (int i = 1; i < argc; ++i) {
    std::string error;
    const int used = ParseSetupOption(argc, argv, i, setup, error);
    if (used < 0) {
      Usage(error.c_str());
      return 2;
    }
    if (used > 0) {
      if (!std::strcmp(argv[i], "--kind") || !std::strcmp(argv[i], "--enum")) kindChosen = true;
      i += used - 1;
      continue;
    }
    const std::string opt = argv[i];
    const bool hasValue = i + 1 < argc;
    if (opt == "--antialias") {
      o.antiAlias = true;
    } else if (opt == "--grid-values") {
      o.gridValues = true;
    } else if (opt == "--time") {
      o.time = true;
    } else if (opt == "--version") {
      std::printf("weltnetz-render %s\n", WELTNETZ_VERSION);
      return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
    } else if (opt == "--help" || opt == "-h") {
      Usage(nullptr);
      return 0;
    } else if (opt == "--layers" || opt == "--line-width" || opt == "-o" || opt == "--all") {
      if (!hasValue) {
        Usage((opt + " needs a value").c_str());
        return 2;
      }
      const std::string value = argv[++i];
      if (opt == "--layers") {
        if (!ParseLayers(value, o)) {
          Usage(("--layers: color, grid, coast, tissot, area or angle expected, one of color,"
                 " area and angle at most: " + value).c_str());
          return 2;
        }
      } else if (opt == "--line-width") {
        char* end = nullptr;
        o.lineWidth = std::strtod(value.c_str(), &end);
        if (end == value.c_str() || *end) {
          Usage(("--line-width: not a number: " + value).c_str());
          return 2;
        }
      } else {
        QString& name = opt == "-o" ? o.output : o.allDir;
        if (!FileNameOf(value.c_str(), name)) {
          Usage((opt + ": the name is not valid UTF-8, which is how file names are taken").c_str());
          return 2;
        }
        if (opt == "-o" && !FormatOfFileName(name)) {
          Usage(("-o: the file must end in .png, .jpg, .jpeg or .bmp: " + value).c_str());
          return 2;
        }
      }
    } else {
      Usage(("unknown option " + opt).c_str());
      return 2;
    }
  }
  if (!o.allDir.isEmpty() && (kindChosen || !o.output.isEmpty())) {
    Usage("--all draws every kind: it takes neither --kind, --enum nor -o");
    return 2;
  }
  if (o.allDir.isEmpty() && o.output.isEmpty() && !o.time) {
    Usage("nothing to do: give -o FILE, --all DIR or --time");
    return 2;
  }

  // Without a display the map is drawn off screen.
  if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
      qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  // Qt sees no arguments: ours are not its options.
  int qtArgc = 1;
  char* qtArgv[] = {argv[0], nullptr};
  QApplication app(qtArgc, qtArgv);

  try {
    TGxProjectionL p;
    TGxMapImageL map;
    map.resize(setup.width, setup.height);
    ConfigureLikeWindow(map, p, o);

    if (o.allDir.isEmpty()) return DrawOne(map, p, setup, o, o.output) ? 0 : 1;

    if (!QDir().mkpath(o.allDir)) {
      std::fprintf(stderr, "weltnetz-render: cannot create the folder %s\n",
                   o.allDir.toLocal8Bit().constData());
      return 1;
    }
    for (int position = kFirstListedPosition; position < kListCount; ++position) {
      setup.position = position;
      setup.enumOrdinal.reset();
      const QString file =
          QDir(o.allDir).filePath(QStringLiteral("%1.png").arg(position, 2, 10, QLatin1Char('0')));
      if (!DrawOne(map, p, setup, o, file)) return 1;
    }
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "weltnetz-render: %s\n", e.what());
    return 1;
  }
}
