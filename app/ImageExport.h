// Taking the drawn map out of the program: image files and the clipboard.
//
// Every writer reports a failure as a sentence naming the file and the
// reason, and an empty string on success, so that the window can show it
// and carry on.
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

#include "mapimage/ImageFile.h"

// The save dialog's filter of a format in the window's language
// ("JPEG-Datei (*.jpg)", "JPEG file (*.jpg)").
QString FilterOf(ImageFormat format);
// The save dialog's filters, in the order the dialog offers them: JPEG,
// bitmap, PNG.
QStringList SaveFilters();

// The format a dialog filter stands for, known by its pattern ("(*.jpg)"),
// so in either language. Any filter that is neither the JPEG nor the PNG one
// saves a bitmap, as the bitmap filter was once the only other choice.
ImageFormat FormatOfFilter(const QString& filter);

struct ExportTarget {
  QString fileName;
  ImageFormat format;
};

// Where and how the map is written for the name and filter the dialog
// returned. A name with a known extension (.jpg, .jpeg, .bmp, .png, any
// case) is written under exactly that name in the format it names, whatever
// the filter: JPEG data in a file called "e.png" would be misread by every
// program. Only a name without one takes the filter's format: a JPEG keeps
// the name exactly, a bitmap or PNG gets its suffix appended ("map" becomes
// "map.bmp", "map.bmp.x" becomes "map.bmp.x.bmp").
ExportTarget ExportTargetOf(const QString& chosen, const QString& filter);

// Writes the image through WriteImageFile (mapimage/ImageFile.h): JPEG at
// quality 100 baseline, bitmap as a 24-bit Windows bitmap, PNG as 24-bit
// colour, atomically, a replaced file keeping its mode. A recipe of the map
// (mapimage/MapRecipe.h) goes into the PNG's and the JPEG's text.
QString WriteExport(const QImage& image, const ExportTarget& target,
                    const QString& recipe = QString());

// Puts a copy of the image on the system clipboard.
QString CopyImageToClipboard(const QImage& image);
