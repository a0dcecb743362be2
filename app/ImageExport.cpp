#include "app/ImageExport.h"

#include "mapimage/MapRecipe.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMimeData>

QString FilterOf(ImageFormat format) {
  switch (format) {
    case ImageFormat::Jpeg:
      return QCoreApplication::translate("ImageExport", "JPEG-Datei (*.jpg)");
    case ImageFormat::Png:
      return QCoreApplication::translate("ImageExport", "PNG-Datei (*.png)");
    case ImageFormat::Bitmap:
      break;
  }
  return QCoreApplication::translate("ImageExport", "Bitmap (*.bmp)");
}

QStringList SaveFilters() {
  return {FilterOf(ImageFormat::Jpeg), FilterOf(ImageFormat::Bitmap), FilterOf(ImageFormat::Png)};
}

ImageFormat FormatOfFilter(const QString& filter) {
  for (ImageFormat format : {ImageFormat::Jpeg, ImageFormat::Png})
    if (filter.endsWith(QStringLiteral("(*.%1)").arg(SuffixOf(format)))) return format;
  return ImageFormat::Bitmap;
}

ExportTarget ExportTargetOf(const QString& chosen, const QString& filter) {
  if (const std::optional<ImageFormat> named = FormatOfFileName(chosen)) return {chosen, *named};
  const ImageFormat format = FormatOfFilter(filter);
  if (format == ImageFormat::Jpeg) return {chosen, format};
  return {chosen + QLatin1Char('.') + SuffixOf(format), format};
}

QString WriteExport(const QImage& image, const ExportTarget& target, const QString& recipe) {
  ImageFileOptions options;
  options.format = target.format;
  if (!recipe.isEmpty()) options.text.append({kRecipeKey, recipe});
  return WriteImageFile(image, target.fileName, options);
}

QString CopyImageToClipboard(const QImage& image) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (!clipboard)
    return QCoreApplication::translate("ImageExport", "die Zwischenablage ist nicht verfügbar");
  const QImage copy = image.copy();
  if (copy.isNull() && !image.isNull()) return NotEnoughMemoryFor(image.size());
  clipboard->setImage(copy);
  // The clipboard reports no failure of its own: a platform that could not
  // take the data shows up as a clipboard without our picture.
  const QMimeData* data = clipboard->mimeData();
  if (!image.isNull() && (!data || !data->hasImage()))
    return QCoreApplication::translate("ImageExport",
                                       "die Zwischenablage nimmt die Abbildung nicht an");
  return {};
}
