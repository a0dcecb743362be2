// The one image writer: formats, metadata, replaced files, and failures that
// must name their reason and leave nothing behind.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <optional>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "mapimage/ImageFile.h"
#include "tests/map/MapFixture.h"
#include "tests/map/TinyDisk.h"

namespace {

QString Reason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

unsigned ModeOf(const QString& file) {
  struct stat st {};
  return ::stat(QFile::encodeName(file).constData(), &st) == 0 ? st.st_mode & 07777 : ~0u;
}

}  // namespace

// Only a known extension, in any case, names a format (the window's export test has the rest).
TEST(ImageFile, FormatFollowsTheExtension) {
  const std::pair<const char*, std::optional<ImageFormat>> cases[] = {
      {"d/a.JpG", ImageFormat::Jpeg}, {"a.gif", std::nullopt}, {"png", std::nullopt}, {"a.", std::nullopt}};
  for (const auto& [name, format] : cases) EXPECT_EQ(FormatOfFileName(name), format) << name;
}

// Text reads back from PNG and JPEG; what a format cannot hold is refused before writing.
TEST(ImageFile, MetadataReadsBackOrIsRefused) {
  QTemporaryDir dir;
  ImageFileOptions o;
  o.text = {{"Software", "Weltnetz"}, {"Recipe", "--kind 42 --radius 100\nLänge 30°"}};
  for (const char* name : {"m.png", "m.jpg", "m.bmp"}) {
    SCOPED_TRACE(name);
    ASSERT_EQ(WriteImageFile(Filled(40, 30, QColor(10, 120, 200)), dir.filePath(name), o), "");
    const QImage back(dir.filePath(name));
    ASSERT_EQ(back.size(), QSize(40, 30));
    if (QByteArray(name).endsWith(".bmp")) continue;  // a bitmap has no place for text
    for (const auto& [key, value] : o.text) EXPECT_EQ(back.text(key), value) << key.toStdString();
  }

  const QString tooLong(70000, QLatin1Char('x'));
  for (const auto& [key, value] : {std::pair<QString, QString>{"", "v"}, {"two words", "v"},
                                   {"a:b", "v"}, {QString(80, 'k'), "v"}, {"Länge", "v"},
                                   {"Recipe", tooLong}}) {
    o.text = {{key, value}};
    EXPECT_TRUE(WriteImageFile(Filled(8, 8, Qt::red), dir.filePath("bad.png"), o).contains("metadata"))
        << key.left(20).toStdString();
  }
  EXPECT_EQ(Entries(dir.path()), (QStringList{"m.bmp", "m.jpg", "m.png"}));
}

// A read-only file is replaced only by the superuser; a replaced file keeps its mode, a new
// one takes the umask, and a link is written through.
TEST(ImageFile, ReplacedFileKeepsItsModeAndLinksAreFollowed) {
  QTemporaryDir dir;
  const bool root = ::geteuid() == 0;
  for (const unsigned mode : {0444u, 0640u, 0604u}) {
    SCOPED_TRACE(mode);
    const QString file = dir.filePath("old.png");
    QFile::remove(file);
    QFile old(file);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
    old.close();
    ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), mode), 0);
    const QString why = WriteImageFile(Filled(16, 12, Qt::blue), file);
    if (root || (mode & 0200)) {
      EXPECT_EQ(why, "");
      EXPECT_EQ(QImage(file).size(), QSize(16, 12));
    } else {
      EXPECT_TRUE(why.contains(Reason(EACCES))) << why.toStdString();
      EXPECT_EQ(FileBytes(file), "old");
    }
    EXPECT_EQ(ModeOf(file), mode);
    EXPECT_EQ(Entries(dir.path()), QStringList{"old.png"});
  }
  const mode_t mask = ::umask(022);
  ::umask(mask);  // read back, as it was
  ASSERT_EQ(WriteImageFile(Filled(4, 4, Qt::blue), dir.filePath("new.bmp")), "");
  EXPECT_EQ(ModeOf(dir.filePath("new.bmp")), 0666u & ~mask);
  ASSERT_TRUE(QFile::link(dir.filePath("new.bmp"), dir.filePath("link.bmp")));
  ASSERT_EQ(WriteImageFile(Filled(9, 7, Qt::blue), dir.filePath("link.bmp")), "");
  EXPECT_TRUE(QFileInfo(dir.filePath("link.bmp")).isSymLink());
  EXPECT_EQ(QImage(dir.filePath("new.bmp")).size(), QSize(9, 7));
  EXPECT_EQ(Entries(dir.path()), (QStringList{"link.bmp", "new.bmp", "old.png"}));
}

// The file and the system's reason are named; no temporary file is left.
TEST(ImageFile, FailedWriteNamesTheReasonAndLeavesNothing) {
  QTemporaryDir dir;
  ASSERT_TRUE(QDir(dir.path()).mkdir("taken.png"));
  ASSERT_TRUE(QFile(dir.filePath("plain.txt")).open(QIODevice::WriteOnly));
  const std::pair<const char*, int> cases[] = {
      {"taken.png", EISDIR}, {"missing/m.png", ENOENT}, {"plain.txt/m.jpg", ENOTDIR}};
  for (const auto& [name, error] : cases) {
    const QString why = WriteImageFile(Filled(8, 8, Qt::red), dir.filePath(name));
    EXPECT_TRUE(why.startsWith("cannot write " + dir.filePath(name) + ": ")) << why.toStdString();
    EXPECT_TRUE(why.contains(Reason(error))) << why.toStdString();
  }
  EXPECT_TRUE(WriteImageFile(QImage(), dir.filePath("none.png")).contains("no picture"));
  EXPECT_EQ(Entries(dir.path()), (QStringList{"plain.txt", "taken.png"}));
}

// A full disk is named in the system's words for every format, and the older file stays untouched.
TEST(ImageFile, FullDiskSaysSoAndKeepsTheOlderFile) {
  QString tiny;
  OnTinyDisk(tiny);
  if (tiny.isEmpty()) return;
  const QString file = QDir(tiny).filePath("map.png");
  ASSERT_EQ(WriteImageFile(Filled(8, 8, Qt::red), file), "");
  const QByteArray before = FileBytes(file);
  QImage noise(200, 150, QImage::Format_RGB32);  // beyond 16 KiB in every format
  for (int y = 0; y < noise.height(); ++y)
    for (int x = 0; x < noise.width(); ++x) noise.setPixel(x, y, qRgb(x * 7 ^ y * 13, x * y, y));
  for (const ImageFormat format : {ImageFormat::Png, ImageFormat::Jpeg, ImageFormat::Bitmap}) {
    ImageFileOptions o;
    o.format = format;
    const QString why = WriteImageFile(noise, file, o);
    EXPECT_TRUE(why.contains(Reason(ENOSPC))) << int(format) << ": " << why.toStdString();
  }
  EXPECT_EQ(FileBytes(file), before);
  EXPECT_EQ(Entries(tiny), QStringList{"map.png"});
}

// A failed allocation names the map's size (the sanitizers reserve too much for the limit).
TEST(ImageFile, FailedAllocationNamesTheSize) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "address-space limits do not work under the sanitizers";
#else
  QTemporaryDir dir;
  // Not 24-bit: the conversion (128 MiB for PNG, 96 MiB for JPEG) is what fails.
  QImage big(8192, 4096, QImage::Format_ARGB32);  // 128 MiB
  ASSERT_FALSE(big.isNull());
  big.fill(Qt::green);
  rlimit saved {};
  ASSERT_EQ(::getrlimit(RLIMIT_AS, &saved), 0);
  // The process's address space in bytes: the first field of statm, in pages.
  const rlim_t inUse =
      FileBytes("/proc/self/statm").split(' ').front().toULongLong() * ::sysconf(_SC_PAGESIZE);
  ASSERT_GT(inUse, 0u);
  rlimit tight = saved;
  tight.rlim_cur = inUse + (64u << 20);
  ASSERT_EQ(::setrlimit(RLIMIT_AS, &tight), 0);
  const QString why[] = {WriteImageFile(big, dir.filePath("big.png")),
                         WriteImageFile(big, dir.filePath("big.jpg"))};
  ::setrlimit(RLIMIT_AS, &saved);
  for (const QString& w : why) EXPECT_TRUE(w.contains("8192x4096")) << w.toStdString();
  EXPECT_TRUE(Entries(dir.path()).isEmpty());
#endif
}
