// Writing an image as a JPEG file with libjpeg.
#pragma once

#include <QImage>
#include <QString>

// Encodes the image (any format; written as 24-bit colour) with the given
// quality (0..100) as a baseline JPEG, or a progressive one when asked, and
// writes it to the file. The file appears complete or not at all: a failed
// write leaves no partial file and any earlier file of that name unchanged.
// On failure returns false and, when error is given, says why.
bool SaveAsJpeg(const QImage& image, const QString& file, int quality, bool progressive,
                QString* error = nullptr);
