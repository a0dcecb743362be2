#include "mapimage/ImageFile.h"

#include <QBuffer>
#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QRandomGenerator>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "mapimage/JpegExport.h"

namespace {

// The context of its messages in the translations: weltnetz-render prints
// them as written here, the window in its language.
struct ImageFile {
  Q_DECLARE_TR_FUNCTIONS(ImageFile)
};

struct Suffix {
  const char* text;
  ImageFormat format;
};

// The first suffix of a format is the one it is written with.
constexpr Suffix kSuffixes[] = {{"jpg", ImageFormat::Jpeg},
                                {"jpeg", ImageFormat::Jpeg},
                                {"bmp", ImageFormat::Bitmap},
                                {"png", ImageFormat::Png}};

// JPEG allows 65535 bytes in a marker segment, two of them its length.
constexpr qsizetype kMaxJpegComment = 65533;
// PNG keywords are 1 to 79 characters.
constexpr qsizetype kMaxTextKey = 79;

// A failed system call, in the system's words and the user's language.
QString SystemReason(int error) { return QString::fromLocal8Bit(std::strerror(error)).trimmed(); }

bool IsValidKey(const QString& key) {
  if (key.isEmpty() || key.size() > kMaxTextKey) return false;
  return std::all_of(key.begin(), key.end(), [](QChar c) {
    return c.unicode() > 0x20 && c.unicode() < 0x7F && c != QLatin1Char(':');
  });
}

// The metadata checked against both formats' limits, so that a text that
// one format would take and the other not is refused the same way.
QString CheckText(const ImageFileOptions& o) {
  for (const auto& [key, value] : o.text) {
    if (!IsValidKey(key))
      return ImageFile::tr("the metadata key \"%1\" is not 1 to 79 printable ASCII characters "
                           "without blanks and colons")
          .arg(key);
    if (key.toUtf8().size() + 2 + value.toUtf8().size() > kMaxJpegComment)
      return ImageFile::tr("the metadata \"%1\" is longer than the 65533 bytes a JPEG comment "
                           "holds")
          .arg(key);
  }
  return {};
}

// CRC-32 of PNG chunks (ISO 3309, reflected, polynomial 0xEDB88320).
quint32 Crc32(const QByteArray& bytes) {
  static const auto table = [] {
    std::array<quint32, 256> t{};
    for (quint32 n = 0; n < 256; ++n) {
      quint32 c = n;
      for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  quint32 c = 0xFFFFFFFFu;
  for (char b : bytes) c = table[(c ^ static_cast<quint8>(b)) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

QByteArray BigEndian32(quint32 v) {
  const char b[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
  return QByteArray(b, 4);
}

// Text chunks right after the PNG's header chunk: international text
// (iTXt), UTF-8, uncompressed, which Qt reads back into QImage::text. Put in
// the encoded bytes rather than through QImage::setText, which copies the
// pixels of an image it shares (192 MiB for an 8192 x 8192 map), and rather
// than through QImageWriter::setText, which folds line breaks into blanks.
bool InsertPngText(QByteArray& png, const QList<QPair<QString, QString>>& text) {
  constexpr qsizetype kHeaderEnd = 8 + 4 + 4 + 13 + 4;  // signature, IHDR with its CRC
  if (png.size() < kHeaderEnd || png.mid(12, 4) != "IHDR") return false;
  QByteArray chunks;
  for (const auto& [key, value] : text) {
    const QByteArray body = "iTXt" + key.toLatin1() + QByteArray("\0\0\0\0\0", 5) + value.toUtf8();
    chunks += BigEndian32(static_cast<quint32>(body.size() - 4)) + body + BigEndian32(Crc32(body));
  }
  png.insert(kHeaderEnd, chunks);
  return true;
}

QByteArray EncodeWithQt(const QImage& image, ImageFormat format, const ImageFileOptions& o,
                        QString& why) {
  // Qt's PNG writer takes the map's 24-bit rows as they are; a conversion to
  // 32 bits would cost a copy a third larger than the map (256 MiB at
  // 8192 x 8192) for the same file.
  const bool asIs = format == ImageFormat::Png && (image.format() == QImage::Format_BGR888 ||
                                                   image.format() == QImage::Format_RGB888);
  const QImage rgb = asIs ? image : image.convertToFormat(QImage::Format_RGB32);
  if (rgb.isNull()) {
    why = NotEnoughMemoryFor(image.size());
    return {};
  }
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format == ImageFormat::Png ? "png" : "bmp");
  if (!writer.write(rgb)) {
    why = ImageFile::tr("the image could not be encoded: %1").arg(writer.errorString());
    return {};
  }
  if (format == ImageFormat::Png && !InsertPngText(bytes, o.text))
    why = ImageFile::tr("the PNG writer gave no header to put the text after");
  return bytes;
}

QByteArray Encode(const QImage& image, ImageFormat format, const ImageFileOptions& o,
                  QString& why) {
  if (format != ImageFormat::Jpeg) return EncodeWithQt(image, format, o, why);
  QList<QByteArray> comments;
  for (const auto& [key, value] : o.text) comments.append((key + QStringLiteral(": ") + value).toUtf8());
  return EncodeJpeg(image, std::clamp(o.jpegQuality, 0, 100), o.jpegProgressive, comments, why);
}

// Writes all bytes, going on after a short write or an interrupted call.
// 0 on success, else the errno of the failed call.
int WriteAll(int fd, const char* data, qsizetype size) {
  while (size > 0) {
    const std::size_t chunk = static_cast<std::size_t>(std::min<qsizetype>(size, 1 << 30));
    const ssize_t written = ::write(fd, data, chunk);
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (written == 0) return EIO;  // a device that takes nothing must not spin here
    data += written;
    size -= written;
  }
  return 0;
}

// A temporary file in the target's folder (a rename only replaces within one
// file system), hidden and with a random part; -1 and errno on failure. Made
// with open(O_EXCL) rather than mkstemp so that a new file gets the usual
// 0666 less the umask without the umask being read.
int CreateTemporaryBeside(const QByteArray& target, QByteArray& temporary) {
  const qsizetype slash = target.lastIndexOf('/');
  const QByteArray folder = slash < 0 ? QByteArray() : target.left(slash + 1);
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = folder + ".weltnetz-" +
                QByteArray::number(QRandomGenerator::global()->generate64(), 36) + ".tmp";
    const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// Puts bytes under the name as the header describes. 0 on success, else
// the errno of the step that failed (nothing is left behind then).
int ReplaceFile(QByteArray target, const QByteArray& bytes) {
  struct stat old {};
  if (::lstat(target.constData(), &old) == 0 && S_ISLNK(old.st_mode)) {
    char resolved[PATH_MAX];
    if (::realpath(target.constData(), resolved)) target = resolved;
  }
  const bool replacing = ::stat(target.constData(), &old) == 0;
  if (replacing) {
    if (S_ISDIR(old.st_mode)) return EISDIR;
    if (::access(target.constData(), W_OK) != 0) return errno;
  }

  QByteArray temporary;
  const int fd = CreateTemporaryBeside(target, temporary);
  if (fd < 0) return errno;
  int error = 0;
  if (replacing) {
    // The superuser gives the file back to its owner. Anyone else may not
    // (EPERM) and ends up owning the new file, the price of replacing it.
    if (::fchown(fd, old.st_uid, old.st_gid) != 0 && errno != EPERM) error = errno;
    if (!error && ::fchmod(fd, old.st_mode & 0777) != 0) error = errno;
  }
  if (!error) error = WriteAll(fd, bytes.constData(), bytes.size());
  // A full disk or a failing device may show only here, on a file system
  // that accepts the writes into its cache.
  if (!error && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && !error) error = errno;
  if (!error && ::rename(temporary.constData(), target.constData()) != 0) error = errno;
  if (error) ::unlink(temporary.constData());
  return error;
}

}  // namespace

std::optional<ImageFormat> FormatOfFileName(const QString& fileName) {
  const QString suffix = QFileInfo(fileName).suffix();
  for (const Suffix& s : kSuffixes)
    if (suffix.compare(QLatin1String(s.text), Qt::CaseInsensitive) == 0) return s.format;
  return std::nullopt;
}

QString SuffixOf(ImageFormat format) {
  const auto* s = std::find_if(std::begin(kSuffixes), std::end(kSuffixes),
                               [format](const Suffix& x) { return x.format == format; });
  return QLatin1String(s->text);
}

QString NotEnoughMemoryFor(QSize size) {
  return ImageFile::tr("not enough memory for a %1x%2 image").arg(size.width()).arg(size.height());
}

QString WriteImageFile(const QImage& image, const QString& fileName,
                       const ImageFileOptions& options) {
  auto fail = [&fileName](const QString& why) { return CannotWrite(fileName, why); };
  if (fileName.isEmpty()) return fail(ImageFile::tr("no file name was given"));
  const std::optional<ImageFormat> format =
      options.format ? options.format : FormatOfFileName(fileName);
  if (!format) return fail(ImageFile::tr("the name ends in none of .jpg, .jpeg, .bmp and .png"));
  if (image.isNull()) return fail(ImageFile::tr("there is no picture"));
  if (const QString why = CheckText(options); !why.isEmpty()) return fail(why);

  QString why;
  QByteArray bytes;
  try {
    bytes = Encode(image, *format, options, why);
  } catch (const std::bad_alloc&) {
    why = NotEnoughMemoryFor(image.size());
  }
  if (!why.isEmpty()) return fail(why);
  return WriteFileBytes(bytes, fileName);
}

QString WriteFileBytes(const QByteArray& bytes, const QString& fileName) {
  if (fileName.isEmpty()) return CannotWrite(fileName, ImageFile::tr("no file name was given"));
  if (const int error = ReplaceFile(QFile::encodeName(fileName), bytes))
    return CannotWrite(fileName, SystemReason(error));
  return {};
}

QString CannotWrite(const QString& fileName, const QString& why) {
  return ImageFile::tr("cannot write %1: %2").arg(fileName, why);
}
