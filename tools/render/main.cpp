// weltnetz-render: draws a map with the window's map control and settings,
// without a window, and writes it as PNG, JPEG or BMP, or as SVG or PDF with
// the lines as vectors; every file carries the map's recipe, from which
// --recipe draws the same map again.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "mapimage/Coastlines.h"
#include "mapimage/GxMapImageL.h"
#include "mapimage/ImageFile.h"
#include "mapimage/ImageLimits.h"
#include "mapimage/MapExport.h"
#include "mapimage/MapRecipe.h"
#include "projection/Catalogue.h"
#include "tools/common/ProjectionSetup.h"
#include "weltnetz/Version.h"

namespace {

void Usage(const char* message) {
  if (message) std::fprintf(stderr, "weltnetz-render: %s\n", message);
  std::fprintf(stderr,
               "usage: weltnetz-render [options] -o FILE\n"
               "       weltnetz-render --recipe MAP [--picture FILE] [--time] -o FILE\n"
               "       weltnetz-render [options] --all DIR\n"
               "%s"
               "  --layers LIST   comma-separated of color, grid, coast, tissot, and area or\n"
               "                  angle (the distortion map) in place of color (default color,grid)\n"
               "  --antialias     anti-aliased graticule\n"
               "  --grid-values   graticule labels\n"
               "  --line-width W  line width in pixels (default 1)\n"
               "  --earth PIC     the Earth picture: standard (300 x 150, nearest pixel,\n"
               "                  the default) or detail (720 x 360, bilinear)\n"
               "  --picture FILE  an Earth picture of your own: an equirectangular PNG or\n"
               "                  JPEG of the whole Earth, twice as wide as high, at most\n"
               "                  %d x %d (bilinear)\n"
               "  -o FILE         output; .png, .jpg/.jpeg (quality 100), .bmp, or .svg and\n"
               "                  .pdf with graticule, coastlines and labels as vectors\n"
               "  --recipe MAP    draw the map whose recipe the file MAP (PNG, JPEG, SVG or\n"
               "                  PDF written by Weltnetz) carries, exactly as it was drawn;\n"
               "                  takes no other set-up, layer or picture option (--picture\n"
               "                  only for a map of an own picture)\n"
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
               "PNG, JPEG, SVG and PDF files carry the map's recipe (text metadata\n"
               "\"Weltnetz-Recipe\"). Bad options, a picture that cannot be taken, and a\n"
               "file without a recipe or with a broken one exit with 2.\n",
               kSetupUsage, kMaxPictureWidth, kMaxPictureHeight, kMaxMapSide);
}

struct RenderOptions {
  // The layers, line width and picture, as a recipe holds them (its set-up
  // fields are not used here: the set-up is a ProjectionSetup).
  TRecipe look;
  QString output, allDir, recipe, pictureFile;
  bool time = false;
};

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
  s.AntiAlias = o.look.antiAlias;
  UseWindowColours(s);
  s.GridValues = o.look.gridValues;
  s.LineWidth = o.look.lineWidth;
  s.DrawColorMap = o.look.color;
  s.DrawGrid = o.look.grid;
  s.DrawCoast = o.look.coast;
  s.Background = o.look.background;
  s.Tissot = o.look.tissot;
  s.Sampling = SamplingOf(o.look.picture);
  map.SetGridRange(180, -180, 90, -90, 30, 1);
}

// The Earth picture the options ask for into the map's settings; false with
// the reason printed when the file cannot be taken.
bool ChoosePicture(TGxMapImageL& map, const RenderOptions& o) {
  switch (o.look.picture) {
    case TEarthPicture::Standard:
      return true;  // the control starts with it
    case TEarthPicture::Detail:
      map.MapSettings.SetColorMap(LoadEarthPicture(kDetailEarthPicture));
      return true;
    case TEarthPicture::Own: {
      QImage picture;
      QString why;
      if (!LoadPictureFile(o.pictureFile, picture, why)) {
        std::fprintf(stderr, "weltnetz-render: --picture %s\n", why.toLocal8Bit().constData());
        return false;
      }
      map.MapSettings.SetColorMap(picture);
      return true;
    }
  }
  return false;
}

// The set-up and the options a recipe asks for.
void TakeRecipe(const TRecipe& r, ProjectionSetup& s, RenderOptions& o) {
  s.enumOrdinal = static_cast<int>(r.kind);
  s.width = r.size.width();
  s.height = r.size.height();
  s.radius = r.radius;
  s.theta = r.longitude;
  s.phi0 = r.latitude;
  s.phi1 = r.latitude1;
  s.phi2 = r.latitude2;
  s.other = r.other;
  s.oblique = r.tilt;
  s.x0 = r.x0;
  s.y0 = r.y0;
  if (r.ellipsoid) s.mapInput = *r.ellipsoid;
  s.cutoff = r.cutoff;
  o.look = r;
}

// Reads the recipe of the file named by --recipe into the set-up and the
// options; false with the reason printed (unknown keys only warn).
bool ReadRecipe(ProjectionSetup& s, RenderOptions& o) {
  const QByteArray name = o.recipe.toLocal8Bit();
  QString text, why;
  TRecipe recipe;
  QStringList warnings;
  if (!ReadRecipeText(o.recipe, text, why)) {
    std::fprintf(stderr, "weltnetz-render: --recipe: %s\n", why.toLocal8Bit().constData());
    return false;
  }
  const bool ok = ParseRecipe(text, recipe, warnings, why);
  for (const QString& w : warnings)
    std::fprintf(stderr, "weltnetz-render: recipe of %s: warning: %s\n", name.constData(),
                 w.toLocal8Bit().constData());
  if (!ok) {
    std::fprintf(stderr, "weltnetz-render: recipe of %s refused: %s\n", name.constData(),
                 why.toLocal8Bit().constData());
    return false;
  }
  if (recipe.picture == TEarthPicture::Own && o.pictureFile.isEmpty()) {
    std::fprintf(stderr,
                 "weltnetz-render: the map of %s shows an Earth picture of its own (%s): give "
                 "it with --picture FILE\n",
                 name.constData(), recipe.pictureFile.toLocal8Bit().constData());
    return false;
  }
  if (recipe.picture != TEarthPicture::Own && !o.pictureFile.isEmpty()) {
    std::fprintf(stderr,
                 "weltnetz-render: the map of %s shows the program's Earth picture: --picture "
                 "does not apply\n",
                 name.constData());
    return false;
  }
  TakeRecipe(recipe, s, o);
  return true;
}

// Why the drawing cannot count as a map, empty when it can (the rule is in
// the usage text).
QString WhyNotDrawn(const TExportDrawing& d, TGxProjectionL& p, const QColor& background,
                    const RenderOptions& o) {
  if (d.map.image.isNull() || d.map.image.size() != d.map.size)
    return QStringLiteral("the map's image could not be made: %1").arg(NotEnoughMemoryFor(d.map.size));
  const bool anyLayer = o.look.color || o.look.grid || o.look.coast;
  if (p.Ready && !(anyLayer && d.Blank(background))) return {};
  // The engine answers for the centre with its not-ready code when it
  // refuses to work at all, which is the usual reason for a blank map.
  p.Forward(p.Theta * gx::kRadToDeg, p.Phi0 * gx::kRadToDeg);
  QStringList codes;
  for (int code : d.map.errors) codes << QString::number(code);
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
  const QSize size(setup.width, setup.height);
  const TMapSnapshot snapshot = TMapSnapshot::Of(
      &p, map.Look(), map.MapSettings.ColorMap(),
      map.SharedCoastline(), map.CoastLoaded(), size);
  const std::atomic<bool> stop{false};
  const TExportDrawing d =
      DrawForFile(snapshot, file.isEmpty() ? TMapFileKind::Raster : *MapFileKindOf(file), stop);
  const std::string kind = KindName(p);
  if (const QString why = WhyNotDrawn(d, p, snapshot.look.ColorEmpty, o); !why.isEmpty()) {
    std::fprintf(stderr, "weltnetz-render: %dx%d map of %s: %s\n", setup.width, setup.height,
                 kind.c_str(), why.toLocal8Bit().constData());
    return false;
  }
  if (o.time) {
    std::printf("render_ms %.3f %s\n", d.map.milliseconds, kind.c_str());
    std::fflush(stdout);
  }
  if (file.isEmpty()) return true;

  const QString recipe = RecipeText(
      RecipeOf(snapshot.projection, snapshot.look, size, o.look.picture,
               QFileInfo(o.pictureFile).fileName()));
  // What the options drew may lie beyond what a recipe holds (a latitude of
  // 120 degrees): the file still tells how it was drawn, but not in a form
  // that --recipe takes.
  TRecipe check;
  QStringList warnings;
  QString why;
  if (!ParseRecipe(recipe, check, warnings, why))
    std::fprintf(stderr, "weltnetz-render: warning: the recipe in %s will not be taken back: %s\n",
                 file.toLocal8Bit().constData(), why.toLocal8Bit().constData());
  const QString title = QStringLiteral("Weltnetz: %1").arg(DisplayNameOf(p.Projection));
  if (const QString failed = WriteMapFile(d, file, snapshot.look.ColorEmpty, title, recipe);
      !failed.isEmpty()) {
    std::fprintf(stderr, "weltnetz-render: %s\n", failed.toLocal8Bit().constData());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  ProjectionSetup setup;
  RenderOptions o;
  bool kindChosen = false;
  // Options that the recipe of a map decides when --recipe is given.
  std::string setBySetup, setByLook;
  bool earthGiven = false;
  for (int i = 1; i < argc; ++i) {
    std::string error;
    const int used = ParseSetupOption(argc, argv, i, setup, error);
    if (used < 0) {
      Usage(error.c_str());
      return 2;
    }
    if (used > 0) {
      if (!std::strcmp(argv[i], "--kind") || !std::strcmp(argv[i], "--enum")) kindChosen = true;
      setBySetup = argv[i];
      i += used - 1;
      continue;
    }
    const std::string opt = argv[i];
    const bool hasValue = i + 1 < argc;
    if (opt == "--antialias" || opt == "--grid-values" || opt == "--layers" ||
        opt == "--line-width" || opt == "--earth")
      setByLook = opt;
    if (opt == "--antialias") {
      o.look.antiAlias = true;
    } else if (opt == "--grid-values") {
      o.look.gridValues = true;
    } else if (opt == "--time") {
      o.time = true;
    } else if (opt == "--version") {
      std::printf("weltnetz-render %s\n", WELTNETZ_VERSION);
      return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
    } else if (opt == "--help" || opt == "-h") {
      Usage(nullptr);
      return 0;
    } else if (opt == "--layers" || opt == "--line-width" || opt == "-o" || opt == "--all" ||
               opt == "--earth" || opt == "--picture" || opt == "--recipe") {
      if (!hasValue) {
        Usage((opt + " needs a value").c_str());
        return 2;
      }
      const std::string value = argv[++i];
      if (opt == "--layers") {
        const QString why = TakeLayers(QString::fromStdString(value), o.look);
        if (!why.isEmpty()) {
          Usage(("--" + why.toStdString()).c_str());
          return 2;
        }
      } else if (opt == "--line-width") {
        char* end = nullptr;
        o.look.lineWidth = std::strtod(value.c_str(), &end);
        if (end == value.c_str() || *end) {
          Usage(("--line-width: not a number: " + value).c_str());
          return 2;
        }
      } else if (opt == "--earth") {
        earthGiven = true;
        // An own picture is chosen by --picture, with its file.
        const std::optional<TEarthPicture> earth = PictureNamed(value);
        if (!earth || *earth == TEarthPicture::Own) {
          Usage(("--earth: standard or detail expected: " + value).c_str());
          return 2;
        }
        o.look.picture = *earth;
      } else {
        QString& name = opt == "-o"        ? o.output
                        : opt == "--all"   ? o.allDir
                        : opt == "--recipe" ? o.recipe
                                            : o.pictureFile;
        if (!FileNameOf(value.c_str(), name)) {
          Usage((opt + ": the name is not valid UTF-8, which is how file names are taken").c_str());
          return 2;
        }
        if (opt == "-o" && !MapFileKindOf(name)) {
          Usage(("-o: the file must end in .png, .jpg, .jpeg, .bmp, .svg or .pdf: " + value).c_str());
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
  if (!o.recipe.isEmpty() && (!setBySetup.empty() || !setByLook.empty() || !o.allDir.isEmpty())) {
    Usage(("--recipe draws the map as its recipe says: it takes no " +
           (o.allDir.isEmpty() ? setBySetup.empty() ? setByLook : setBySetup : std::string("--all")))
              .c_str());
    return 2;
  }
  if (!o.pictureFile.isEmpty()) {
    if (earthGiven) {
      Usage("--picture and --earth choose the same thing: give one of them");
      return 2;
    }
    o.look.picture = TEarthPicture::Own;
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
    if (!o.recipe.isEmpty() && !ReadRecipe(setup, o)) return 2;
    TGxProjectionL p;
    TGxMapImageL map;
    ConfigureLikeWindow(map, p, o);
    if (!ChoosePicture(map, o)) return 2;

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
