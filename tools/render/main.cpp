// weltnetz-render: draws a map with the window's map control and settings,
// without a window, and writes it as PNG, JPEG or BMP.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFont>
#include <QImageWriter>
#include <QSaveFile>

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "mapimage/GxMapImageL.h"
#include "mapimage/JpegExport.h"
#include "tools/common/ProjectionSetup.h"

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
               "  --time          print render_ms <milliseconds> for each map\n",
               kSetupUsage);
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

enum class FileKind { Png, Jpeg, Bmp, Unknown };

FileKind KindOf(const QString& file) {
  const QString ext = QFileInfo(file).suffix().toLower();
  if (ext == "png") return FileKind::Png;
  if (ext == "jpg" || ext == "jpeg") return FileKind::Jpeg;
  if (ext == "bmp") return FileKind::Bmp;
  return FileKind::Unknown;
}

// Writes through a temporary file beside the target, renamed on success, so
// that a failed write never leaves a partial file under the requested name.
bool Save(const QImage& image, const QString& file, QString& error) {
  const FileKind kind = KindOf(file);
  if (kind == FileKind::Jpeg) return SaveAsJpeg(image, file, 100, false, &error);
  QSaveFile out(file);
  if (!out.open(QIODevice::WriteOnly)) {
    error = QStringLiteral("cannot write %1: %2").arg(file, out.errorString());
    return false;
  }
  QImageWriter writer(&out, kind == FileKind::Png ? "png" : "bmp");
  if (!writer.write(image)) {
    error = QStringLiteral("cannot write %1: %2").arg(file, writer.errorString());
    out.cancelWriting();
    return false;
  }
  if (!out.commit()) {
    error = QStringLiteral("cannot write %1: %2").arg(file, out.errorString());
    return false;
  }
  return true;
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

// Draws one map; false (with the reason printed) when it cannot be written.
bool DrawOne(TGxMapImageL& map, TGxProjectionL& p, const ProjectionSetup& setup,
             const RenderOptions& o, const QString& file) {
  ApplySetup(setup, p);
  QElapsedTimer timer;
  timer.start();
  map.Render();
  const double ms = static_cast<double>(timer.nsecsElapsed()) / 1.0e6;
  map.SaveMap();
  if (o.time) {
    std::printf("render_ms %.3f\n", ms);
    std::fflush(stdout);
  }
  if (file.isEmpty()) return true;
  QString error;
  if (!Save(map.MainMap(), file, error)) {
    std::fprintf(stderr, "weltnetz-render: %s\n", error.toLocal8Bit().constData());
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
      } else if (opt == "-o") {
        o.output = QString::fromLocal8Bit(value.c_str());
        if (KindOf(o.output) == FileKind::Unknown) {
          Usage(("-o: the file must end in .png, .jpg, .jpeg or .bmp: " + value).c_str());
          return 2;
        }
      } else {
        o.allDir = QString::fromLocal8Bit(value.c_str());
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
