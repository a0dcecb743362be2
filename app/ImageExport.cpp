#include "app/ImageExport.h"

#include <QBuffer>
#include <QByteArray>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QSaveFile>

#include "mapimage/JpegExport.h"

namespace {

// The reasons share the shape of the JPEG writer's, so that the window shows
// the same kind of sentence whichever format failed.
QString CannotWrite(const QString& file, const QString& why) {
  return QStringLiteral("cannot write %1: %2").arg(file, why);
}

// Qt's own writers for the two lossless formats. The map is 24-bit colour
// without alpha, which both keep as 24 bits per pixel.
QString WriteWithQt(const QImage& image, const QString& fileName, const char* format) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (rgb.isNull() || !rgb.save(&buffer, format))
    return CannotWrite(fileName, QStringLiteral("the image could not be encoded"));

  QSaveFile out(fileName);
  bool ok = out.open(QIODevice::WriteOnly);
  if (ok) ok = out.write(bytes) == bytes.size();
  if (!ok) {
    const QString why = out.errorString();
    out.cancelWriting();
    return CannotWrite(fileName, why);
  }
  if (!out.commit()) return CannotWrite(fileName, out.errorString());
  return {};
}

}  // namespace

ImageFileType TypeOfFilter(const QString& filter) {
  if (filter == kFilterJpeg) return ImageFileType::Jpeg;
  if (filter == kFilterPng) return ImageFileType::Png;
  return ImageFileType::Bitmap;
}

QString SuffixOf(ImageFileType type) {
  switch (type) {
    case ImageFileType::Jpeg: return QStringLiteral("jpg");
    case ImageFileType::Png: return QStringLiteral("png");
    case ImageFileType::Bitmap: break;
  }
  return QStringLiteral("bmp");
}

QString ExportFileName(const QString& chosen, ImageFileType type) {
  if (type == ImageFileType::Jpeg) return chosen;
  const QString suffix = QLatin1Char('.') + SuffixOf(type);
  return chosen.endsWith(suffix, Qt::CaseInsensitive) ? chosen : chosen + suffix;
}

QString WriteImageFile(const QImage& image, const QString& fileName, ImageFileType type) {
  if (image.isNull()) return CannotWrite(fileName, QStringLiteral("there is no picture yet"));
  switch (type) {
    case ImageFileType::Jpeg: {
      QString why;
      if (SaveAsJpeg(image, fileName, 100, false, &why)) return {};
      return why.isEmpty() ? CannotWrite(fileName, QStringLiteral("unknown error")) : why;
    }
    case ImageFileType::Png: return WriteWithQt(image, fileName, "PNG");
    case ImageFileType::Bitmap: break;
  }
  return WriteWithQt(image, fileName, "BMP");
}

QString CopyImageToClipboard(const QImage& image) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (!clipboard) return QStringLiteral("the clipboard is not available");
  clipboard->setImage(image.copy());
  // The clipboard reports no failure of its own: a platform that could not
  // take the data shows up as a clipboard without our picture.
  const QMimeData* data = clipboard->mimeData();
  if (!image.isNull() && (!data || !data->hasImage()))
    return QStringLiteral("the clipboard could not be opened");
  return {};
}
