// The geometry of moving the map with the mouse, apart from the window: where
// the globe must turn so that a point stays under the cursor, and what the
// cursor's position reads as. Everything works on a copy of the window's
// projection component, so that none of the window's handlers fire.
#pragma once

#include <QString>

#include "projection/GxProjectionL.h"

// A copy of p to look things up with: no handlers, no converter.
TGxProjectionL ProbeOf(const TGxProjectionL& p);

// The longitude and latitude (degrees) under map pixel (x, y), or false
// outside the map.
bool PointUnder(TGxProjectionL& probe, double x, double y, double& lon, double& lat);

// The cursor read-out in the window's language: "52,52° N  13,40° O" or
// "außerhalb der Karte" in German, "52.52° N  13.40° E" or "off the map" in
// English.
QString ReadoutText(TGxProjectionL& probe, double x, double y);

// The centre that puts (lon, lat) nearest pixel (x, y): the central
// longitude theta and, when phi0Free, the centre latitude phi0, in whole
// degrees (in: the centre now; out: the one found; the tilt axis follows the
// centre as the window sets it). The probe holds the map as it is. False
// when no centre shows the point at all.
bool CentreKeepingPoint(TGxProjectionL& probe, double lon, double lat, double x, double y,
                        bool phi0Free, double& theta, double& phi0);

// theta wrapped into [-180, 180].
double WrapLongitude(double theta);
