// The recipe of a map: the parameters that drew it, written into every
// exported file, so that weltnetz-render --recipe draws the same map again.
//
// The text is UTF-8, one "key=value" per line, in this order:
//
//   recipe=1                      the form of the text
//   program=weltnetz 0.1.0        who wrote it (for the reader)
//   kind=mpMollweide              the projection kind by its enumeration name
//   name=Mollweide-Projektion     its display name (for the reader)
//   size=4096x4096                the map in pixels, each side 1 to 8192
//   radius=592.3                  Radius, pixels
//   longitude=25                  Theta, the central longitude, degrees
//   latitude=50                   Phi0, degrees
//   latitude1=0  latitude2=0      Phi1 and Phi2, degrees
//   tilt=0                        Oblique, degrees (about the centre longitude
//                                 and latitude, as the window tilts)
//   other=0                       Other
//   ellipsoid=250                 MapInput
//   centre=2048,2048              X0,Y0, pixels
//   cutoff=1                      ForwardCutOff, 0 or 1
//   layers=color,grid,coast       the layers drawn: color (the Earth picture) or
//                                 area or angle (a distortion map) beneath,
//                                 grid, coast and tissot above
//   antialias=0  grid-values=0    0 or 1
//   line-width=1                  pixels, 0 to 64
//   picture=standard              the Earth picture: standard, detail or own
//   picture-file=marble.jpg       the own picture's file name (for the reader)
//
// Numbers are written in their shortest form that reads back to the very
// same value (the degrees: that gives the very same radians), so a map drawn
// from a recipe is the map the recipe was taken from, bit for bit.
//
// Reading is strict: a line that is not key=value, a missing kind or size, a
// kind no projection has, a number that is not one or lies outside its range
// refuse the recipe, naming the key. Unknown keys are ignored with a warning
// (a newer program may know more). Blank lines and lines starting with '#'
// are skipped. Keys other than kind and size may be left out: they take the
// values weltnetz-render takes without options.
#pragma once

#include <QSize>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

#include "mapimage/Coastlines.h"
#include "mapimage/MapLayer.h"
#include "projection/Catalogue.h"

class TGxProjectionL;

// The metadata key under which files carry the recipe: a PNG text chunk, a
// JPEG comment "Weltnetz-Recipe: ...", an element of the SVG's <metadata>, an
// entry of the PDF's document information.
inline const QString kRecipeKey = QStringLiteral("Weltnetz-Recipe");

struct TRecipe {
  TProjection kind = mpAzimuthalEA;
  QSize size;
  // Degrees for the angles; none: the kind's default.
  std::optional<double> radius, longitude, latitude, latitude1, latitude2, tilt, other;
  std::optional<double> x0, y0;  // none: the map's centre
  std::optional<std::int32_t> ellipsoid;  // none: 30 for the ellipsoidal kinds, else 220
  bool cutoff = false;
  bool color = true, grid = true, coast = false, tissot = false;
  TBackground background = TBackground::EarthPicture;  // what "color" draws
  bool antiAlias = false, gridValues = false;
  double lineWidth = 1.0;
  TEarthPicture picture = TEarthPicture::Standard;
  QString pictureFile;  // informational
  QString program;      // informational
};

// The recipe of a map drawn by p with the look on a map of that size.
TRecipe RecipeOf(const TGxProjectionL& p, const TMapLook& look, QSize size, TEarthPicture picture,
                 const QString& pictureFile);

// The layers of a list such as "color,grid,coast" (as the key layers= above)
// into r's layer switches and background: an empty string, or the reason the
// list is refused ("layers: ...").
QString TakeLayers(const QString& list, TRecipe& r);

// The recipe as text, every key written.
QString RecipeText(const TRecipe& recipe);

// Reads a recipe's text. On success recipe holds it and warnings what was
// ignored; on failure error says why, naming the key or the line.
bool ParseRecipe(const QString& text, TRecipe& recipe, QStringList& warnings, QString& error);

// The recipe text that a map file carries (PNG, JPEG, SVG or PDF, known by
// their content). False with why set when the file cannot be read, is of
// none of these kinds, or carries no recipe.
bool ReadRecipeText(const QString& fileName, QString& text, QString& why);

// The display name of a kind the window lists; empty for the others.
QString DisplayNameOf(TProjection kind);

// The shortest decimal number of degrees that gives exactly these radians
// when multiplied by the degree's radians, as the component's setters do.
QString DegreesText(double radians);
