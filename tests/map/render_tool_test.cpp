// The command-line renderer as a user runs it: refusals exit 2, failures 1, with the reason
// and no file; it draws the library's own map, and a recipe draws that map again.
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
#include <string>

#include <sys/resource.h>

#include "mapimage/DistortionLayer.h"
#include "mapimage/MapRecipe.h"
#include "projection/Catalogue.h"
#include "tests/map/MapFixture.h"
#include "tests/map/TinyDisk.h"

namespace {

struct ToolRun { int code; QString out, err; };

// The tool with args; with a script, started by sh, which sees the tool as
// "$0" and args as "$1"... (for names that are not UTF-8, and for ulimit).
ToolRun Render(const QStringList& args, const QString& script = {}) {
  const QString tool = QStringLiteral(WELTNETZ_TOOLS_DIR "/weltnetz-render");
  QProcess proc;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  proc.setProcessEnvironment(env);
  script.isEmpty() ? proc.start(tool, args) : proc.start("sh", QStringList{"-c", script, tool} + args);
  if (!proc.waitForFinished(120000)) return {-1, {}, "did not finish"};
  return {proc.exitStatus() == QProcess::NormalExit ? proc.exitCode() : -2,
          QString::fromLocal8Bit(proc.readAllStandardOutput()),
          QString::fromLocal8Bit(proc.readAllStandardError())};
}

// A failed run: the exit status, a reason on stderr holding every one of
// says, and nothing on stdout (not even the time asked for).
testing::AssertionResult Failed(const ToolRun& r, int code, const QStringList& says) {
  bool ok = r.code == code && !r.err.isEmpty() && r.out.isEmpty();
  for (const QString& s : says) ok = ok && r.err.contains(s);
  if (ok) return testing::AssertionSuccess();
  return testing::AssertionFailure() << "exit " << r.code << " (not " << code << "), stderr: "
                                     << r.err.toStdString() << ", stdout: " << r.out.toStdString();
}

}  // namespace

// Bad options, sizes beyond 1..8192 (once gigabytes and minutes), names not UTF-8 (once
// written with U+FFFD), broken recipes and pictures: refused up front with the reason.
TEST(RenderTool, RefusalsExitTwoNamingTheReasonAndWriteNothing) {
  QTemporaryDir dir;
  const QString out = dir.filePath("out.png");
  struct Case {
    QStringList args, says;
    QString script = {};  // run through sh, see Render
  };
  std::vector<Case> cases;
  // Recipes written by Qt (long texts go into compressed chunks), each refused naming why.
  const QString good = "kind=mpMollweide\nsize=120x60\n";
  for (const auto& [name, recipe, says] :
       {std::tuple<const char*, QString, QString>{"none.png", {}, "carries no recipe"},
        {"kind.png", "kind=mpFoo\nsize=120x60\n", "kind: no projection kind is named \"mpFoo\""},
        {"own.png", good + "picture=own\npicture-file=marble.jpg\n", "--picture"},
        {"unknown.png", good + "colour=red\n", {}}}) {
    QImage img = Filled(40, 20, Qt::white);
    if (!recipe.isNull()) img.setText("Weltnetz-Recipe", recipe);
    ASSERT_TRUE(img.save(dir.filePath(name)));
    if (!says.isEmpty()) cases.push_back({{"--recipe", dir.filePath(name), "-o", out}, {says}});
  }
  QFile text(dir.filePath("text.png"));
  ASSERT_TRUE(text.open(QIODevice::WriteOnly) && text.write("kind=mpMollweide\n") > 0);
  text.close();
  ASSERT_TRUE(Filled(300, 300, Qt::red).save(dir.filePath("square.jpg")));
  const QStringList before = Entries(dir.path());
  const QString badName = "exec \"$0\" --size 60x40 %1 \"$1/$(printf 'x\\377\\376.png')\"";
  cases.insert(cases.end(), {
      {{"--frobnicate"}, {}}, {{"--layers", "color,sea", "-o", out}, {}},
      {{"-o", dir.filePath("map.gif")}, {}},
      {{"--line-width", "thick", "-o", out}, {}}, {{"-o", dir.filePath("map.svgz")}, {}},
      {{"--earth", "blue", "-o", out}, {"--earth"}}, {{"--recipe"}, {}}, {{"--picture"}, {}},
      {{"--kind", "99", "-o", out}, {}}, {{"--all", dir.filePath("d"), "--kind", "5"}, {}}, {{}, {}},
      {{dir.path()}, {"UTF-8"}, badName.arg("-o")},
      {{dir.path()}, {"UTF-8"}, badName.arg("--all")},
      {{"--picture", dir.filePath("square.jpg"), "-o", out}, {"twice as wide"}},
      {{"--picture", dir.filePath("missing.png"), "-o", out}, {"cannot be read", "missing.png"}},
      {{"--earth", "detail", "--picture", dir.filePath("square.jpg"), "-o", out},
       {"--picture and --earth"}},
      {{"--recipe", dir.filePath("text.png"), "-o", out}, {"no PNG, JPEG, SVG or PDF"}},
      {{"--recipe", dir.filePath("missing.png"), "-o", out}, {"cannot read"}}});
  for (const char* size : {"0x5", "5x0", "-3x10", "8193x10", "10x8193", "65535x65535", "axb", "10x",
                           "x10", "10x10x10", " 10x10", "+5x5", "1e3x10", "10X10"})
    cases.push_back({{"--size", size, "--time", "-o", out}, {"--size", "8192"}});
  // A recipe fixes the set-up: options that would change it are refused.
  for (const QStringList& more : {QStringList{"--kind", "4"}, QStringList{"--earth", "detail"}})
    cases.push_back({QStringList{"--recipe", dir.filePath("unknown.png"), "-o", out} + more,
                     {"--recipe"}});
  cases.push_back({{"--recipe", dir.filePath("unknown.png"), "-o", out, "--picture", "x.png"},
                   {"--picture does not apply"}});

  for (const Case& c : cases)
    EXPECT_TRUE(Failed(Render(c.args, c.script), 2, c.says)) << c.args.join(' ').toStdString();
  EXPECT_EQ(Entries(dir.path()), before);

  // An unknown key only warns.
  const ToolRun r = Render({"--recipe", dir.filePath("unknown.png"), "-o", out});
  EXPECT_EQ(r.code, 0) << r.err.toStdString();
  EXPECT_TRUE(r.err.contains("warning: unknown key \"colour\" ignored")) << r.err.toStdString();
  EXPECT_EQ(QImage(out).size(), QSize(120, 60));
}

// Nothing drawn (grid kind, refused radius, projection off), a failed write or an image that
// cannot be allocated exit 1 with the reason and no file (Qt starts in the limit, 192 MiB not).
TEST(RenderTool, FailuresExitOneNamingTheReasonAndWriteNothing) {
  QTemporaryDir dir;
  const QString out = dir.filePath("m.png");
  ASSERT_TRUE(QDir(dir.path()).mkpath("taken.png"));
  const QStringList time = {"--time", "-o", out};
  struct Case {
    QStringList args, says;
    bool engineCode;  // the engine's code at the map centre is named
    QString script = {};
  };
  const Case cases[] = {
      {QStringList{"--kind", "0"} + time, {"the projection is not ready", "map error codes: 3"}, true},
      {QStringList{"--not-ready", "--kind", "42"} + time, {"the projection is not ready"}, true},
      {QStringList{"--radius", "-5"} + time, {"nothing could be drawn"}, true},
      {QStringList{"--radius", "nan", "--layers", "coast"} + time, {"nothing could be drawn"}, true},
      {{"--size", "60x40", "-o", dir.filePath("taken.png")}, {"taken.png"}, false},
      {{"--size", "60x40", "-o", dir.filePath("no/such/folder/m.png")}, {}, false},
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)  // their address space is vast
      {QStringList{"--size", "8192x8192", "--layers", "grid"} + time, {"8192x8192"}, false,
       "ulimit -v 200000 && exec \"$0\" \"$@\""},
#endif
  };
  const QRegularExpression engineCode(QStringLiteral("engine code [1-9][0-9]* at the map centre"));
  for (const Case& c : cases) {
    const ToolRun r = Render(c.args, c.script);
    EXPECT_TRUE(Failed(r, 1, c.says)) << c.args.join(' ').toStdString();
    EXPECT_TRUE(!c.engineCode || r.err.contains(engineCode)) << r.err.toStdString();
  }
  EXPECT_EQ(Entries(dir.path()), QStringList{"taken.png"});
  // With no layer asked for, the blank picture is what was asked.
  EXPECT_EQ(Render({"--layers", "", "-o", out}).code, 0);
}

// A full disk is named in the system's words and leaves no partial file.
TEST(RenderTool, FullDiskIsNamed) {
  QString tiny;
  OnTinyDisk(tiny);
  if (tiny.isEmpty()) return;
  for (const char* name : {"m.bmp", "m.svg", "m.pdf"}) {
    const ToolRun r = Render({"--size", "200x150", "-o", QDir(tiny).filePath(name)});
    EXPECT_TRUE(Failed(r, 1, {QString::fromLocal8Bit(std::strerror(ENOSPC))})) << name;
    EXPECT_TRUE(Entries(tiny).isEmpty()) << name;
  }
}

// Each raster format and the largest sizes as asked, every kind with its time line in
// catalogue order, and the distortion layers by name.
TEST(RenderTool, WritesEachFormatAndEveryKind) {
  QTemporaryDir dir;
  for (const char* name : {"m.png", "m.jpg", "m.bmp"}) {
    ASSERT_EQ(Render({"--kind", "42", "--size", "200x150", "--layers", "color,grid,coast", "-o",
                      dir.filePath(name)}).code, 0);
    const QImage written(dir.filePath(name));
    EXPECT_EQ(written.size(), QSize(200, 150)) << name;
    EXPECT_EQ(written.pixelColor(0, 0), QColor(Qt::white)) << name;  // outside Mollweide's ellipse
  }
  for (const char* size : {"8192x2", "2x8192"}) {
    const ToolRun r =
        Render({"--size", size, "--radius", "1000", "--layers", "color", "-o", dir.filePath("a.png")});
    ASSERT_EQ(r.code, 0) << size << r.err.toStdString();
    const QImage written(dir.filePath("a.png"));
    EXPECT_EQ(QStringLiteral("%1x%2").arg(written.width()).arg(written.height()), size);
  }
  const ToolRun r = Render({"--size", "66x63", "--time", "--all", dir.filePath("all")});
  ASSERT_EQ(r.code, 0) << r.err.toStdString();
  const QStringList files = Entries(dir.filePath("all"));
  ASSERT_EQ(files.size(), 62);
  EXPECT_EQ(files.front(), "03.png");
  EXPECT_EQ(files.back(), "64.png");
  const QStringList lines = r.out.trimmed().split('\n');
  ASSERT_EQ(lines.size(), 62);
  for (int position = kFirstListedPosition; position < kListCount; ++position) {
    const QString& line = lines[position - kFirstListedPosition];
    const QString ms = line.section(' ', 1, 1);
    EXPECT_GT(ms.toDouble(), 0) << line.toStdString();
    const std::string kind(EnumName(CatalogueAt(position).Kind));
    const std::string expected = "render_ms " + ms.toStdString() + " " + std::to_string(position);
    EXPECT_EQ(line.toStdString(), expected + " " + kind);
  }
  // Mercator near its equator, between the lines, shows no angular distortion.
  const QString file = dir.filePath("d.png");
  const QStringList angle = {"--kind", "40", "--size", "300x250", "--layers", "angle,grid,tissot"};
  ASSERT_EQ(Render(angle + QStringList{"-o", file}).code, 0);
  EXPECT_EQ(QImage(file).pixelColor(160, 118).rgb(),
            DistortionScale(TBackground::AngleDistortion).ColourAt(0).rgb());
}

// Every set-up option reaches the drawing and nothing resets it: the map equals the one drawn
// here with that field set, and differs from the one without.
TEST(RenderTool, EverySetUpOptionReachesTheDrawing) {
  struct Case { QStringList args; int position; void (*set)(TGxProjectionL&); };
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
  const QString file = dir.filePath("m.png");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.join(' ').toStdString());
    const ToolRun r = Render(QStringList{"--kind", QString::number(c.position), "--size", "240x180",
                                         "--layers", "color,grid,coast", "-o", file} +
                             c.args);
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    auto drawnHere = [&](bool withOption) {
      return DrawnAtOnce(c.position, 240, 180, [&](WindowMap& w) {
        if (withOption) c.set(w.p);
        w.p.AxisTheta = w.p.Theta;
        w.p.AxisPhi = w.p.Phi0;
      });
    };
    const QImage tool = QImage(file).convertToFormat(QImage::Format_BGR888);
    EXPECT_EQ(tool, drawnHere(true));
    EXPECT_NE(tool, drawnHere(false));
  }
}

// The recipe in any format draws its map again byte for byte, an own picture given again too.
TEST(RenderTool, RecipeDrawsTheSameMapAgain) {
  QTemporaryDir dir;
  ASSERT_TRUE(Filled(720, 360, QColor(220, 20, 30)).save(dir.filePath("red.png")));
  const QStringList own = {"--picture", dir.filePath("red.png")};
  struct Case { QStringList setup, again; std::vector<const char*> files, lines; };
  const Case cases[] = {
      {{"--kind", "42", "--theta", "33.3", "--oblique", "20", "--size", "600x300", "--layers",
        "color,grid,coast", "--earth", "detail", "--cutoff", "--antialias"},
       {},
       {"a.png", "a.jpg", "a.svg", "a.pdf"},
       {"\nkind=mpMollweide\n", "\nlongitude=33.3\n", "\ntilt=20\n", "\nsize=600x300\n",
        "\ncutoff=1\n", "\nantialias=1\n", "\npicture=detail\n"}},
      {QStringList{"--kind", "42", "--layers", "color"} + own, own, {"own.png"},
       {"\npicture=own\npicture-file=red.png\n"}},
  };
  for (const Case& c : cases) {
    QString first;
    for (const char* name : c.files) {
      SCOPED_TRACE(name);
      ASSERT_EQ(Render(c.setup + QStringList{"-o", dir.filePath(name)}).code, 0);
      QString text, why;
      ASSERT_TRUE(ReadRecipeText(dir.filePath(name), text, why)) << why.toStdString();
      if (first.isEmpty()) first = text;
      EXPECT_EQ(text, first);
      const QString again = dir.filePath(QString(name) + ".png");
      const ToolRun r = Render(QStringList{"--recipe", dir.filePath(name), "-o", again} + c.again);
      ASSERT_EQ(r.code, 0) << r.err.toStdString();
      EXPECT_FALSE(r.err.contains("weltnetz-render")) << r.err.toStdString();  // no warning
      EXPECT_EQ(FileBytes(again), FileBytes(dir.filePath(c.files[0])));
    }
    for (const char* line : c.lines) EXPECT_TRUE(first.contains(line)) << first.toStdString();
  }
  EXPECT_EQ(QImage(dir.filePath("own.png")).pixelColor(264, 253), QColor(220, 20, 30));
  // The JPEG from the recipe of the JPEG is the JPEG.
  ASSERT_EQ(Render({"--recipe", dir.filePath("a.jpg"), "-o", dir.filePath("b.jpg")}).code, 0);
  EXPECT_EQ(FileBytes(dir.filePath("b.jpg")), FileBytes(dir.filePath("a.jpg")));
}

// A 4096 x 4096 map of each format stays well below 1 GiB of resident memory.
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
