#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

namespace {

struct ToolRun {
  int code;
  QString out, err;
};

ToolRun Render(const QStringList& args) {
  QProcess proc;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  proc.setProcessEnvironment(env);
  proc.start(QStringLiteral(WELTNETZ_TOOLS_DIR "/weltnetz-render"), args);
  if (!proc.waitForFinished(120000)) return {-1, {}, "did not finish"};
  return {proc.exitStatus() == QProcess::NormalExit ? proc.exitCode() : -2,
          QString::fromLocal8Bit(proc.readAllStandardOutput()),
          QString::fromLocal8Bit(proc.readAllStandardError())};
}

QStringList Entries(const QString& dir) {
  return QDir(dir).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden, QDir::Name);
}

}  // namespace

TEST(RenderTool, BadOptionsExitTwo) {
  for (const QStringList& args :
       {QStringList{"--frobnicate"}, QStringList{"--layers", "color,sea", "-o", "a.png"},
        QStringList{"-o", "map.gif"}, QStringList{"--line-width", "thick", "-o", "a.png"},
        QStringList{"--kind", "99", "-o", "a.png"}, QStringList{"--size", "0x5", "-o", "a.png"},
        QStringList{"--all", "d", "--kind", "5"}, QStringList{}}) {
    const ToolRun r = Render(args);
    EXPECT_EQ(r.code, 2) << args.join(' ').toStdString();
    EXPECT_FALSE(r.err.isEmpty());
  }
}

TEST(RenderTool, WritesEachFormatAndEveryKind) {
  QTemporaryDir dir;
  for (const char* name : {"m.png", "m.jpg", "m.bmp"}) {
    const ToolRun r = Render({"--kind", "42", "--size", "200x150", "--layers", "color,grid,coast",
                              "--time", "-o", dir.filePath(name)});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith("render_ms ") && r.out.mid(10).trimmed().toDouble() > 0)
        << r.out.toStdString();
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
  EXPECT_EQ(r.out.count("render_ms "), 62);
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
}
