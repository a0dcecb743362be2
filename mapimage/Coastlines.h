#pragma once
// The data sets that travel inside the program: the coastline points and the
// colour picture of the Earth in two sizes (made by tools/mkdata from Natural
// Earth, see resources/README.md), and the loader of a picture of the user's.
#include <QImage>
#include <QString>
#include <optional>
#include <string_view>
#include <vector>

#include "mapimage/MapLayer.h"

struct TCoastPoint { float Lon; float Lat; };  // degrees, single precision, as stored

// Reads the coastline resource (default the program's own, opened by name) and
// validates it; throws std::runtime_error with a message naming the resource on
// a size that is not a whole number of 8-byte records, a NaN/infinite value, or
// a latitude beyond +-90 (nothing is drawn from half a data set).
// The resource is a packed array of little-endian single-precision
// (longitude, latitude) pairs without header; the point count is its size / 8.
// A missing or empty resource throws as well.
std::vector<TCoastPoint> LoadCoastlines(const QString& resource = QStringLiteral(":/KUESTEN"));

// The 300 x 150 plate carree Earth picture, as QImage::Format_BGR888 (24-bit).
// Row 0 is the northern edge (+90), column 0 the western edge (-180).
// Throws std::runtime_error naming the resource when it cannot be read: the
// picture is part of the program, so its absence is a broken build.
QImage LoadEarthPicture(const QString& resource = QStringLiteral(":/earth.png"));

// The same picture at the full size of its source (720 x 360), for maps
// drawn larger than the window's; read with LoadEarthPicture.
inline const QString kDetailEarthPicture = QStringLiteral(":/earth_detail.png");

// Which Earth picture a map shows: the window's own (nearest pixel, as it
// always was drawn), the detailed one, or a picture the user loaded (both
// read bilinearly).
enum class TEarthPicture { Standard, Detail, Own };
TSampling SamplingOf(TEarthPicture picture);
// The picture's name in recipes, in the remembered settings and on the
// command line ("standard", "detail", "own"), and back.
const char* PictureName(TEarthPicture picture);
std::optional<TEarthPicture> PictureNamed(std::string_view name);

// The largest picture of the user's that is taken: 21600 x 10800 is the
// largest whole-Earth picture commonly offered (a minute of arc a pixel),
// and holds 667 MiB of 24-bit pixels.
inline constexpr int kMaxPictureWidth = 21600;
inline constexpr int kMaxPictureHeight = 10800;

// Reads a plate carree picture of the whole Earth from a PNG or JPEG file
// (any size up to the limit, twice as wide as high, a pixel of slack
// allowed) as QImage::Format_BGR888. The size is checked before the pixels
// are decoded. False with why set (in the user's terms) when the file
// cannot be read, is no picture, has the wrong shape or is too large.
bool LoadPictureFile(const QString& fileName, QImage& picture, QString& why);

// The run rule of the coastline data: a new run begins where two consecutive
// points are 1 degree or more apart, measured as the plane distance
// sqrt(dLon^2 + dLat^2) in degrees with the stored values taken to double.
// The test is written as the drawing's join test (joined while the distance
// is < 1), so anything not comparable, a NaN included, starts a new run.
bool StartsNewRun(const TCoastPoint& previous, const TCoastPoint& next);
