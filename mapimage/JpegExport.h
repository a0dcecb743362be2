// JPEG files with libjpeg.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

// Encodes the image (any format; written as 24-bit colour) with the given
// quality (0..100) as a baseline JPEG, or a progressive one when asked, and
// writes it to the file through WriteImageFile (mapimage/ImageFile.h): the
// file appears complete or not at all. On failure returns false and, when
// error is given, says why.
bool SaveAsJpeg(const QImage& image, const QString& file, int quality, bool progressive,
                QString* error = nullptr);

// The bytes of a JPEG file of the image, with each of comments in a COM
// marker after the frame header (each at most 65533 bytes; the caller
// checks). On failure an empty array, and why holds the reason.
QByteArray EncodeJpeg(const QImage& image, int quality, bool progressive,
                      const QList<QByteArray>& comments, QString& why);
