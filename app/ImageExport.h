// Taking the drawn map out of the program: image files and the clipboard.
//
// Every writer reports a failure as a German sentence naming the reason, and
// an empty string on success, so that the window can show it and carry on.
#pragma once

#include <QImage>
#include <QString>

enum class ImageFileType { Jpeg, Bitmap, Png };

// The save dialog's filters, in the order the dialog offers them.
inline const QString kFilterJpeg = QStringLiteral("JPEG-Datei (*.jpg)");
inline const QString kFilterBitmap = QStringLiteral("Bitmap (*.bmp)");
inline const QString kFilterPng = QStringLiteral("PNG-Datei (*.png)");

// The file type a dialog filter stands for. Any filter that is neither the
// JPEG nor the PNG one saves a bitmap, as the bitmap filter was once the
// only other choice.
ImageFileType TypeOfFilter(const QString& filter);

// The suffix the dialog should add to a bare name under that type.
QString SuffixOf(ImageFileType type);

// The name the file is written under. A JPEG keeps the chosen name exactly;
// a bitmap or PNG gets its suffix appended only when the name does not
// already end in it (in any case), so "map.bmp" stays "map.bmp".
QString ExportFileName(const QString& chosen, ImageFileType type);

// Writes the image under fileName: JPEG at quality 100 baseline, bitmap as a
// 24-bit Windows bitmap, PNG as 24-bit colour. The bytes go to a temporary
// file beside the target that replaces it only once complete, so a failed
// write leaves neither a partial file nor a damaged older one.
QString WriteImageFile(const QImage& image, const QString& fileName, ImageFileType type);

// Puts a copy of the image on the system clipboard.
QString CopyImageToClipboard(const QImage& image);
