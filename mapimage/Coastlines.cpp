#include "mapimage/Coastlines.h"

#include <QFile>
#include <QtEndian>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace {

constexpr qint64 kRecordBytes = 8;  // two IEEE-754 singles, longitude then latitude

[[noreturn]] void Fail(const QString& resource, const QString& what)
{
  throw std::runtime_error(
      QStringLiteral("coastline resource '%1': %2").arg(resource, what).toStdString());
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
    Fail(resource, QStringLiteral("cannot be opened (%1)").arg(file.errorString()));
  const QByteArray bytes = file.readAll();
  // readAll cannot tell a short read from the end of the data; the size the
  // stream announced can.
  if (file.error() != QFileDevice::NoError || bytes.size() != file.size())
    Fail(resource, QStringLiteral("read failed after %1 bytes (%2)")
                       .arg(bytes.size()).arg(file.errorString()));

  // Missing bytes must not turn into points at (0, 0): a torn record is a
  // damaged data set, and nothing is drawn from half a data set.
  if (bytes.isEmpty())
    Fail(resource, QStringLiteral("holds no points"));
  if (bytes.size() % kRecordBytes != 0)
    Fail(resource, QStringLiteral("%1 bytes are not a whole number of %2-byte records")
                       .arg(bytes.size()).arg(kRecordBytes));

  const qint64 count = bytes.size() / kRecordBytes;
  std::vector<TCoastPoint> points(static_cast<std::size_t>(count));
  for (qint64 i = 0; i < count; ++i) {
    const char* record = bytes.constData() + i * kRecordBytes;
    const TCoastPoint p{LittleEndianFloat(record), LittleEndianFloat(record + 4)};
    if (!std::isfinite(p.Lon) || !std::isfinite(p.Lat))
      Fail(resource, QStringLiteral("record %1 holds a value that is not a finite number").arg(i));
    // Longitudes outside +-180 are left to the projection's wrap; a latitude
    // beyond the poles has no place on any map.
    if (std::fabs(p.Lat) > 90.0f)
      Fail(resource, QStringLiteral("record %1 has latitude %2, beyond +-90")
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
        QStringLiteral("Earth picture resource '%1' cannot be read").arg(resource).toStdString());
  // Three bytes per pixel in blue, green, red order: the layout of a Windows
  // 24-bit bitmap row, which the colour pass copies pixel by pixel.
  return picture.convertToFormat(QImage::Format_BGR888);
}

bool StartsNewRun(const TCoastPoint& previous, const TCoastPoint& next)
{
  const double dLon = static_cast<double>(previous.Lon) - static_cast<double>(next.Lon);
  const double dLat = static_cast<double>(previous.Lat) - static_cast<double>(next.Lat);
  return !(std::sqrt(dLon * dLon + dLat * dLat) < 1.0);
}
