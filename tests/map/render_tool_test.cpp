#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>

#include <sys/resource.h>
#include <unistd.h>

#include "mapimage/DistortionLayer.h"
#include "mapimage/MapRecipe.h"
#include "projection/Catalogue.h"
#include "tests/map/MapFixture.h"
#include "tests/map/TinyDisk.h"

namespace {

struct ToolRun {
  int code;
  QString out, err;
};

const QString kTool = QStringLiteral(WELTNETZ_TOOLS_DIR "/weltnetz-render");

ToolRun Run(const QString& program, const QStringList& args) {
  QProcess proc;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  proc.setProcessEnvironment(env);
  proc.start(program, args);
  if (!proc.waitForFinished(120000)) return {-1, {}, "did not finish"};
  return {proc.exitStatus() == QProcess::NormalExit ? proc.exitCode() : -2,
          QString::fromLocal8Bit(proc.readAllStandardOutput()),
          QString::fromLocal8Bit(proc.readAllStandardError())};
}

ToolRun Render(const QStringList& args) { return Run(kTool, args); }

// The tool started by a shell script, which sees it as "$0" and args as "$1"...:
// for names that are not valid UTF-8, and for limits set with ulimit.
ToolRun RenderFromShell(const QString& script, const QStringList& args) {
  return Run(QStringLiteral("sh"), QStringList{"-c", script, kTool} + args);
}

QStringList Entries(const QString& dir) {
  return QDir(dir).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden, QDir::Name);
}

}  // namespace

TEST(RenderTool, BadOptionsExitTwo) {
  for (const QStringList& args :
       {QStringList{"--frobnicate"}, QStringList{"--layers", "color,sea", "-o", "a.png"},
        QStringList{"-o", "map.gif"}, QStringList{"--line-width", "thick", "-o", "a.png"},
        QStringList{"-o", "map.svgz"}, QStringList{"--earth", "blue", "-o", "a.png"},
        QStringList{"--recipe"}, QStringList{"--picture"},
        QStringList{"--kind", "99", "-o", "a.png"}, QStringList{"--size", "0x5", "-o", "a.png"},
        QStringList{"--all", "d", "--kind", "5"}, QStringList{}}) {
    const ToolRun r = Render(args);
    EXPECT_EQ(r.code, 2) << args.join(' ').toStdString();
    EXPECT_FALSE(r.err.isEmpty());
  }
}

// Sizes beyond 8192 once took gigabytes and minutes; now they, like any
// size that is not two whole numbers from 1 to 8192, are refused up front.
TEST(RenderTool, SizeOutsideTheLimitIsRefused) {
  QTemporaryDir dir;
  for (const char* size : {"0x5", "5x0", "-3x10", "8193x10", "10x8193", "65535x65535", "axb", "10x",
                           "x10", "10x10x10", " 10x10", "+5x5", "1e3x10", "10X10"}) {
    const ToolRun r = Render({"--size", size, "--time", "-o", dir.filePath("a.png")});
    EXPECT_EQ(r.code, 2) << size;
    EXPECT_TRUE(r.err.contains("--size") && r.err.contains("8192")) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
  }
  EXPECT_TRUE(Entries(dir.path()).isEmpty());
  for (const char* size : {"8192x2", "2x8192"}) {
    const ToolRun r =
        Render({"--size", size, "--radius", "1000", "--layers", "color", "-o", dir.filePath("a.png")});
    ASSERT_EQ(r.code, 0) << size << r.err.toStdString();
    const QImage written(dir.filePath("a.png"));
    EXPECT_EQ(QStringLiteral("%1x%2").arg(written.width()).arg(written.height()), size);
  }
}

// A map whose image cannot be allocated is a failure that names its size,
// with neither a file nor a time. The address-space limit lets Qt start
// (about 150 MB) but cannot hold the 192 MiB of an 8192 x 8192 map.
TEST(RenderTool, FailedAllocationNamesTheSize) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "address-space limits do not work under the sanitizers";
#else
  QTemporaryDir dir;
  const ToolRun r = RenderFromShell("ulimit -v 200000 && exec \"$0\" \"$@\"",
                                    {"--size", "8192x8192", "--layers", "grid", "--time", "-o",
                                     dir.filePath("big.png")});
  EXPECT_EQ(r.code, 1) << r.err.toStdString();
  EXPECT_TRUE(r.err.contains("8192x8192")) << r.err.toStdString();
  EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
  EXPECT_TRUE(Entries(dir.path()).isEmpty());
#endif
}

// A grid kind, a refused radius, a projection switched off: nothing can be
// drawn, and a blank picture must not pass for a map.
TEST(RenderTool, MapWithNothingDrawnIsAFailure) {
  QTemporaryDir dir;
  const std::pair<QStringList, const char*> cases[] = {
      {{"--kind", "0"}, "the projection is not ready"},
      {{"--not-ready", "--kind", "42"}, "the projection is not ready"},
      {{"--radius", "-5"}, "nothing could be drawn"},
      {{"--radius", "nan", "--layers", "coast"}, "nothing could be drawn"},
  };
  const QRegularExpression engineCode(QStringLiteral("engine code [1-9][0-9]* at the map centre"));
  for (const auto& [args, reason] : cases) {
    const ToolRun r = Render(args + QStringList{"--time", "-o", dir.filePath("m.png")});
    EXPECT_EQ(r.code, 1) << args.join(' ').toStdString();
    EXPECT_TRUE(r.err.contains(reason)) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(engineCode)) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
  }
  EXPECT_TRUE(Render({"--kind", "0", "-o", dir.filePath("m.png")}).err.contains("map error codes: 3"));
  EXPECT_TRUE(Entries(dir.path()).isEmpty());
  // With no layer asked for, the blank picture is what was asked.
  EXPECT_EQ(Render({"--layers", "", "-o", dir.filePath("m.png")}).code, 0);
}

TEST(RenderTool, WritesEachFormatAndEveryKind) {
  QTemporaryDir dir;
  for (const char* name : {"m.png", "m.jpg", "m.bmp"}) {
    const ToolRun r = Render({"--kind", "42", "--size", "200x150", "--layers", "color,grid,coast",
                              "--time", "-o", dir.filePath(name)});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QStringList fields = r.out.trimmed().split(' ');
    ASSERT_EQ(fields.size(), 4) << r.out.toStdString();
    EXPECT_EQ(fields[0], "render_ms");
    EXPECT_GT(fields[1].toDouble(), 0);
    EXPECT_EQ(fields.mid(2), (QStringList{"42", "mpMollweide"}));
    const QImage written(dir.filePath(name));
    EXPECT_EQ(written.size(), QSize(200, 150)) << name;
    EXPECT_EQ(written.pixelColor(0, 0), QColor(Qt::white));  // outside Mollweide's ellipse
  }
  const ToolRun r = Render({"--size", "66x63", "--time", "--all", dir.filePath("all")});
  ASSERT_EQ(r.code, 0) << r.err.toStdString();
  const QStringList files = Entries(dir.filePath("all"));
  ASSERT_EQ(files.size(), 62);
  EXPECT_EQ(files.front(), "03.png");
  EXPECT_EQ(files.back(), "64.png");
  // Each time line names its kind, in catalogue order.
  const QStringList lines = r.out.trimmed().split('\n');
  ASSERT_EQ(lines.size(), 62);
  for (int position = kFirstListedPosition; position < kListCount; ++position) {
    const QStringList fields = lines[position - kFirstListedPosition].split(' ');
    ASSERT_EQ(fields.size(), 4) << lines[position - kFirstListedPosition].toStdString();
    EXPECT_EQ(fields[2].toInt(), position);
    EXPECT_EQ(fields[3].toStdString(), EnumName(CatalogueAt(position).Kind));
  }
}

// A write that fails says why, exits 1 and leaves nothing behind.
TEST(RenderTool, FailedWriteLeavesNoFile) {
  QTemporaryDir dir;
  for (const char* name : {"taken.png", "taken.jpg"}) {
    ASSERT_TRUE(QDir(dir.path()).mkpath(name));  // a folder holds the name
    const ToolRun r = Render({"--size", "60x40", "-o", dir.filePath(name)});
    EXPECT_EQ(r.code, 1) << name;
    EXPECT_TRUE(r.err.contains(name)) << r.err.toStdString();
  }
  EXPECT_EQ(Entries(dir.path()), (QStringList{"taken.jpg", "taken.png"}));
  EXPECT_EQ(Render({"--size", "60x40", "-o", dir.filePath("no/such/folder/m.png")}).code, 1);

  // A read-only file is replaced only by the superuser, and keeps its mode.
  const QString file = dir.filePath("old.png");
  ASSERT_TRUE(QFile(file).open(QIODevice::WriteOnly));
  const QFile::Permissions readOnly = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
  ASSERT_TRUE(QFile::setPermissions(file, readOnly));
  EXPECT_EQ(Render({"--size", "60x40", "-o", file}).code, ::geteuid() == 0 ? 0 : 1);
  EXPECT_EQ(QFile::permissions(file) & 0x7077, readOnly);  // owner, group, other
}

TEST(RenderTool, FullDiskIsNamed) {
  QString tiny;
  OnTinyDisk(tiny);
  if (tiny.isEmpty()) return;
  for (const char* name : {"m.bmp", "m.svg", "m.pdf"}) {
    const ToolRun r = Render({"--size", "200x150", "-o", QDir(tiny).filePath(name)});
    EXPECT_EQ(r.code, 1) << name;
    EXPECT_TRUE(r.err.contains(QString::fromLocal8Bit(std::strerror(ENOSPC)))) << r.err.toStdString();
    EXPECT_TRUE(Entries(tiny).isEmpty()) << name;
  }
}

// Such a name used to be written with U+FFFD in place of the bad bytes and
// reported as written.
TEST(RenderTool, NameThatIsNotUtf8IsRefused) {
  QTemporaryDir dir;
  for (const char* option : {"-o", "--all"}) {
    const ToolRun r = RenderFromShell(
        QStringLiteral("exec \"$0\" --size 60x40 %1 \"$1/$(printf 'x\\377\\376.png')\"").arg(option),
        {dir.path()});
    EXPECT_EQ(r.code, 2) << option;
    EXPECT_TRUE(r.err.contains("UTF-8")) << r.err.toStdString();
  }
  EXPECT_TRUE(Entries(dir.path()).isEmpty());
}

// Every set-up option reaches the drawing: the tool's map equals the map
// drawn here with that one field set as the option names it (on a kind
// that reads the field), and differs from the map without the option.
TEST(RenderTool, EverySetUpOptionReachesTheDrawing) {
  struct Case {
    QStringList args;
    int position;
    void (*set)(TGxProjectionL&);
  };
  const Case cases[] = {
      {{"--radius", "60"}, kMollweide, [](TGxProjectionL& p) { p.Radius = 60; }},
      {{"--theta", "40"}, kMollweide, [](TGxProjectionL& p) { p.SetTheta(40); }},
      {{"--phi0", "20"}, 4, [](TGxProjectionL& p) { p.SetPhi0(20); }},
      {{"--phi1", "10"}, 3, [](TGxProjectionL& p) { p.SetPhi1(10); }},
      {{"--phi2", "70"}, 3, [](TGxProjectionL& p) { p.Phi2 = 70 / kDeg; }},
      {{"--other", "0.5"}, 54, [](TGxProjectionL& p) { p.Other = 0.5; }},
      {{"--oblique", "30"}, kMollweide, [](TGxProjectionL& p) { p.SetOblique(30); }},
      {{"--x0", "90"}, kMollweide, [](TGxProjectionL& p) { p.X0 = 90; }},
      {{"--y0", "40"}, kMollweide, [](TGxProjectionL& p) { p.Y0 = 40; }},
      {{"--map-input", "5"}, 52, [](TGxProjectionL& p) { p.SetMapInput(5); }},
      {{"--cutoff"}, 52, [](TGxProjectionL& p) { p.ForwardCutOff = true; }},
  };
  QTemporaryDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.join(' ').toStdString());
    const QString file = dir.filePath("m.png");
    const ToolRun r = Render(QStringList{"--kind", QString::number(c.position), "--size",
                                         "240x180", "--layers", "color,grid,coast", "-o", file} +
                             c.args);
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    auto drawnHere = [&](bool withOption) {
      WindowMap w(c.position, 240, 180);
      if (withOption) c.set(w.p);
      w.p.AxisTheta = w.p.Theta;
      w.p.AxisPhi = w.p.Phi0;
      w.map.Render();
      return w.map.MainMap();
    };
    const QImage tool = QImage(file).convertToFormat(QImage::Format_BGR888);
    EXPECT_EQ(tool, drawnHere(true));
    EXPECT_NE(tool, drawnHere(false));
  }
}

// ---- Exports: SVG and PDF, recipes, pictures of one's own ------------------------------

namespace {

QByteArray Bytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

// A map drawn from the recipe in any of its files is the map the recipe
// came from, byte for byte; the recipe reads the same from every format.
TEST(RenderTool, RecipeDrawsTheSameMapAgain) {
  QTemporaryDir dir;
  const QStringList setup = {"--kind", "42", "--theta", "33.3", "--oblique", "20", "--size",
                             "600x300", "--layers", "color,grid,coast", "--earth", "detail",
                             "--cutoff", "--antialias"};
  for (const char* name : {"a.png", "a.jpg", "a.svg", "a.pdf"}) {
    const ToolRun r = Render(setup + QStringList{"-o", dir.filePath(name)});
    ASSERT_EQ(r.code, 0) << name << r.err.toStdString();
  }
  QString first;
  for (const char* name : {"a.png", "a.jpg", "a.svg", "a.pdf"}) {
    SCOPED_TRACE(name);
    QString text, why;
    ASSERT_TRUE(ReadRecipeText(dir.filePath(name), text, why)) << why.toStdString();
    if (first.isEmpty()) first = text;
    EXPECT_EQ(text, first);
    const QString again = dir.filePath(QString(name) + ".png");
    const ToolRun r = Render({"--recipe", dir.filePath(name), "-o", again});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains("weltnetz-render")) << r.err.toStdString();  // no warning
    EXPECT_EQ(Bytes(again), Bytes(dir.filePath("a.png")));
  }
  EXPECT_TRUE(first.contains("\nkind=mpMollweide\n") && first.contains("\nlongitude=33.3\n") &&
              first.contains("\ntilt=20\n") && first.contains("\nsize=600x300\n") &&
              first.contains("\ncutoff=1\n") && first.contains("\nantialias=1\n") &&
              first.contains("\npicture=detail\n"))
      << first.toStdString();
  // The JPEG from the recipe of the JPEG is the JPEG.
  ASSERT_EQ(Render({"--recipe", dir.filePath("a.jpg"), "-o", dir.filePath("b.jpg")}).code, 0);
  EXPECT_EQ(Bytes(dir.filePath("b.jpg")), Bytes(dir.filePath("a.jpg")));
}

// A file without a recipe or with a broken one is refused with exit status 2
// and the reason, and nothing is written; unknown keys only warn.
TEST(RenderTool, MissingOrBrokenRecipeExitsTwo) {
  QTemporaryDir dir;
  // Written by Qt: long texts go into compressed chunks.
  auto withText = [&](const QString& name, const QString& recipe) {
    QImage img(40, 20, QImage::Format_RGB888);
    img.fill(Qt::white);
    if (!recipe.isNull()) img.setText("Weltnetz-Recipe", recipe);
    EXPECT_TRUE(img.save(dir.filePath(name)));
  };
  const QString good = "kind=mpMollweide\nsize=120x60\n";
  withText("none.png", QString());
  withText("kind.png", "kind=mpFoo\nsize=120x60\n");
  withText("size.png", "kind=mpMollweide\nsize=9000x60\n");
  withText("radius.png", good + "radius=-4\n");
  withText("own.png", good + "picture=own\npicture-file=marble.jpg\n");
  withText("unknown.png", good + "colour=red\n");
  QFile text(dir.filePath("text.png"));
  ASSERT_TRUE(text.open(QIODevice::WriteOnly) && text.write("kind=mpMollweide\n") > 0);
  text.close();
  struct Case {
    const char* file;
    QStringList more;
    const char* says;
  };
  const Case cases[] = {
      {"none.png", {}, "carries no recipe"},
      {"kind.png", {}, "kind: no projection kind is named \"mpFoo\""},
      {"size.png", {}, "size:"},
      {"radius.png", {}, "radius:"},
      {"own.png", {}, "--picture"},
      {"text.png", {}, "no PNG, JPEG, SVG or PDF"},
      {"missing.png", {}, "cannot read"},
      {"unknown.png", {"--kind", "4"}, "--recipe"},
      {"unknown.png", {"--earth", "detail"}, "--recipe"},
      {"unknown.png", {"--picture", "x.png"}, "--picture does not apply"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const ToolRun r =
        Render(QStringList{"--recipe", dir.filePath(c.file), "-o", dir.filePath("out.png")} + c.more);
    EXPECT_EQ(r.code, 2) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(c.says)) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("out.png")));
  }
  const ToolRun r = Render({"--recipe", dir.filePath("unknown.png"), "-o", dir.filePath("out.png")});
  EXPECT_EQ(r.code, 0) << r.err.toStdString();
  EXPECT_TRUE(r.err.contains("warning: unknown key \"colour\" ignored")) << r.err.toStdString();
  EXPECT_EQ(QImage(dir.filePath("out.png")).size(), QSize(120, 60));
}

// An Earth picture of one's own colours the map; one that cannot be taken is
// refused with the reason and exit status 2.
TEST(RenderTool, OwnPictureColoursTheMap) {
  QTemporaryDir dir;
  QImage red(720, 360, QImage::Format_RGB888);
  red.fill(QColor(220, 20, 30));
  ASSERT_TRUE(red.save(dir.filePath("red.png")));
  ASSERT_TRUE(red.copy(0, 0, 300, 300).save(dir.filePath("square.png")));
  const ToolRun r = Render({"--kind", "42", "--layers", "color", "--picture", dir.filePath("red.png"),
                            "-o", dir.filePath("m.png")});
  ASSERT_EQ(r.code, 0) << r.err.toStdString();
  const QImage map(dir.filePath("m.png"));
  EXPECT_EQ(map.pixelColor(264, 253), QColor(220, 20, 30));
  QString text, why;
  ASSERT_TRUE(ReadRecipeText(dir.filePath("m.png"), text, why));
  EXPECT_TRUE(text.contains("\npicture=own\npicture-file=red.png\n")) << text.toStdString();
  // Drawn again from its recipe with the picture given.
  ASSERT_EQ(Render({"--recipe", dir.filePath("m.png"), "--picture", dir.filePath("red.png"), "-o",
                    dir.filePath("again.png")})
                .code,
            0);
  EXPECT_EQ(Bytes(dir.filePath("again.png")), Bytes(dir.filePath("m.png")));

  for (const auto& [args, says] :
       {std::pair<QStringList, const char*>{{"--picture", dir.filePath("square.png")}, "twice as wide"},
        {{"--picture", dir.filePath("none.png")}, "cannot be read"},
        {{"--earth", "marble"}, "--earth"},
        {{"--earth", "detail", "--picture", dir.filePath("red.png")}, "--picture and --earth"}}) {
    const ToolRun bad = Render(args + QStringList{"-o", dir.filePath("bad.png")});
    EXPECT_EQ(bad.code, 2) << args.join(' ').toStdString();
    EXPECT_TRUE(bad.err.contains(says)) << bad.err.toStdString();
  }
  EXPECT_FALSE(QFile::exists(dir.filePath("bad.png")));
}

// A 4096 x 4096 map of each format stays well below 1 GiB of memory: the
// largest resident size of the runs so far, as the kernel counts it.
TEST(RenderTool, LargeExportsStayBelowOneGibibyte) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "the sanitizers' shadow memory and quarantine are no measure of the program's";
#else
  QTemporaryDir dir;
  for (const char* name : {"big.png", "big.svg", "big.pdf"}) {
    const ToolRun r = Render({"--kind", "42", "--size", "4096x4096", "--radius", "640", "--earth",
                              "detail", "--layers", "color,grid,coast", "-o", dir.filePath(name)});
    ASSERT_EQ(r.code, 0) << name << r.err.toStdString();
    EXPECT_GT(QFileInfo(dir.filePath(name)).size(), 100000) << name;
  }
  rusage usage{};
  ASSERT_EQ(::getrusage(RUSAGE_CHILDREN, &usage), 0);
  RecordProperty("peak_rss_kib", static_cast<int>(usage.ru_maxrss));
  EXPECT_LT(usage.ru_maxrss, 1024L * 1024L);  // KiB
#endif
}

// The distortion map and the indicatrices by name (the list is read as a
// recipe's layers, whose refusals the recipe tests cover).
TEST(RenderTool, DrawsTheDistortionLayers) {
  QTemporaryDir dir;
  const QString file = dir.filePath("m.png");
  ASSERT_EQ(Render({"--kind", "40", "--size", "300x250", "--layers", "angle,grid,tissot", "-o",
                    file})
                .code,
            0);
  const QImage img(file);
  ASSERT_FALSE(img.isNull());
  // Mercator near its equator, between the lines: no angular distortion.
  EXPECT_EQ(img.pixelColor(160, 118).rgb(),
            DistortionScale(TBackground::AngleDistortion).ColourAt(0).rgb());
}
