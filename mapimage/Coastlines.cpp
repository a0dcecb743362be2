#include "mapimage/Coastlines.h"

#include <QCoreApplication>
#include <QFile>
#include <QImageReader>
#include <QtEndian>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <stdexcept>

namespace {

// The context of its messages in the translations: weltnetz-render prints
// them as written here, the window in its language.
struct EarthData {
  Q_DECLARE_TR_FUNCTIONS(EarthData)
};

constexpr qint64 kRecordBytes = 8;  // two IEEE-754 singles, longitude then latitude

[[noreturn]] void Fail(const QString& resource, const QString& what)
{
  throw std::runtime_error(
      EarthData::tr("coastline resource '%1': %2").arg(resource, what).toStdString());
}

float LittleEndianFloat(const char* bytes)
{
  std::uint32_t raw;
  std::memcpy(&raw, bytes, sizeof raw);
  return std::bit_cast<float>(qFromLittleEndian(raw));
}

}  // namespace

std::vector<TCoastPoint> LoadCoastlines(const QString& resource)
{
  QFile file(resource);
  if (!file.open(QIODevice::ReadOnly))
    Fail(resource, EarthData::tr("cannot be opened (%1)").arg(file.errorString()));
  const QByteArray bytes = file.readAll();
  // readAll cannot tell a short read from the end of the data; the size the
  // stream announced can.
  if (file.error() != QFileDevice::NoError || bytes.size() != file.size())
    Fail(resource, EarthData::tr("read failed after %1 bytes (%2)")
                       .arg(bytes.size()).arg(file.errorString()));

  // Missing bytes must not turn into points at (0, 0): a torn record is a
  // damaged data set, and nothing is drawn from half a data set.
  if (bytes.isEmpty())
    Fail(resource, EarthData::tr("holds no points"));
  if (bytes.size() % kRecordBytes != 0)
    Fail(resource, EarthData::tr("%1 bytes are not a whole number of %2-byte records")
                       .arg(bytes.size()).arg(kRecordBytes));

  const qint64 count = bytes.size() / kRecordBytes;
  std::vector<TCoastPoint> points(static_cast<std::size_t>(count));
  for (qint64 i = 0; i < count; ++i) {
    const char* record = bytes.constData() + i * kRecordBytes;
    const TCoastPoint p{LittleEndianFloat(record), LittleEndianFloat(record + 4)};
    if (!std::isfinite(p.Lon) || !std::isfinite(p.Lat))
      Fail(resource, EarthData::tr("record %1 holds a value that is not a finite number").arg(i));
    // Longitudes outside +-180 are left to the projection's wrap; a latitude
    // beyond the poles has no place on any map.
    if (std::fabs(p.Lat) > 90.0f)
      Fail(resource, EarthData::tr("record %1 has latitude %2, beyond +-90")
                         .arg(i).arg(static_cast<double>(p.Lat)));
    points[static_cast<std::size_t>(i)] = p;
  }
  return points;
}

QImage LoadEarthPicture(const QString& resource)
{
  QImage picture(resource);
  if (picture.isNull())
    throw std::runtime_error(
        EarthData::tr("Earth picture resource '%1' cannot be read").arg(resource).toStdString());
  // Three bytes per pixel in blue, green, red order: the layout of a Windows
  // 24-bit bitmap row, which the colour pass copies pixel by pixel.
  return picture.convertToFormat(QImage::Format_BGR888);
}

TSampling SamplingOf(TEarthPicture picture)
{
  return picture == TEarthPicture::Standard ? TSampling::Nearest : TSampling::Bilinear;
}

namespace {
constexpr const char* kPictureNames[] = {"standard", "detail", "own"};
}

const char* PictureName(TEarthPicture picture) {
  return kPictureNames[static_cast<int>(picture)];
}

std::optional<TEarthPicture> PictureNamed(std::string_view name) {
  for (std::size_t i = 0; i < std::size(kPictureNames); ++i)
    if (name == kPictureNames[i]) return static_cast<TEarthPicture>(i);
  return std::nullopt;
}

bool LoadPictureFile(const QString& fileName, QImage& picture, QString& why)
{
  auto fail = [&](const QString& reason) {
    why = QStringLiteral("%1: %2").arg(fileName, reason);
    return false;
  };
  auto shapeOk = [&](QSize size) -> bool {
    if (size.width() > kMaxPictureWidth || size.height() > kMaxPictureHeight)
      return fail(EarthData::tr("the picture is %1 x %2 pixels, larger than the %3 x %4 "
                                "taken")
                      .arg(size.width()).arg(size.height())
                      .arg(kMaxPictureWidth).arg(kMaxPictureHeight));
    // A whole-Earth plate carree picture spans 360 by 180 degrees.
    const qint64 slack = qint64{size.width()} - 2 * qint64{size.height()};
    if (size.height() < 1 || slack < -1 || slack > 1)
      return fail(EarthData::tr("the picture is %1 x %2 pixels; a picture of the whole Earth "
                                "is twice as wide as high (e.g. 5400 x 2700)")
                      .arg(size.width()).arg(size.height()));
    return true;
  };

  QImageReader reader(fileName);
  reader.setDecideFormatFromContent(true);
  const QByteArray format = reader.format();
  if (format != "png" && format != "jpeg")
    return fail(reader.canRead() || format.size()
                    ? EarthData::tr("only PNG and JPEG pictures are taken")
                    : EarthData::tr("cannot be read (%1)").arg(reader.errorString()));
  // The size from the header, before a single pixel is decoded.
  const QSize announced = reader.size();
  if (announced.isValid() && !shapeOk(announced)) return false;

  // Qt refuses images above its allocation limit (256 MiB); the largest
  // picture taken needs more while it is decoded (4 bytes a pixel).
  const int limit = QImageReader::allocationLimit();
  QImageReader::setAllocationLimit(std::max(limit, 1024));
  QImage read;
  const bool ok = reader.read(&read);
  QImageReader::setAllocationLimit(limit);
  if (!ok || read.isNull())
    return fail(EarthData::tr("cannot be read (%1)").arg(reader.errorString()));
  if (!shapeOk(read.size())) return false;
  // Converted in place where Qt can: a second full copy of a large picture
  // would double the memory it takes.
  const QSize size = read.size();
  QImage converted = std::move(read).convertToFormat(QImage::Format_BGR888);
  if (converted.isNull())
    return fail(EarthData::tr("not enough memory for a %1 x %2 picture")
                    .arg(size.width()).arg(size.height()));
  picture = std::move(converted);
  return true;
}

bool StartsNewRun(const TCoastPoint& previous, const TCoastPoint& next)
{
  const double dLon = static_cast<double>(previous.Lon) - static_cast<double>(next.Lon);
  const double dLat = static_cast<double>(previous.Lat) - static_cast<double>(next.Lat);
  return !(std::sqrt(dLon * dLon + dLat * dLat) < 1.0);
}
