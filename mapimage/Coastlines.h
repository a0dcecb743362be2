#pragma once
// The two data sets that travel inside the program: the coastline points and
// the colour picture of the Earth (both made by tools/mkdata from Natural
// Earth, see resources/README.md).
#include <QImage>
#include <QString>
#include <vector>

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

// The run rule of the coastline data: a new run begins where two consecutive
// points are 1 degree or more apart, measured as the plane distance
// sqrt(dLon^2 + dLat^2) in degrees with the stored values taken to double.
// The test is written as the drawing's join test (joined while the distance
// is < 1), so anything not comparable, a NaN included, starts a new run.
bool StartsNewRun(const TCoastPoint& previous, const TCoastPoint& next);
