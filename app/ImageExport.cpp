#include "app/ImageExport.h"

#include "mapimage/MapRecipe.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

ImageFormat FormatOfFilter(const QString& filter) {
  if (filter == kFilterJpeg) return ImageFormat::Jpeg;
  if (filter == kFilterPng) return ImageFormat::Png;
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
  if (!clipboard) return QStringLiteral("the clipboard is not available");
  const QImage copy = image.copy();
  if (copy.isNull() && !image.isNull()) return NotEnoughMemoryFor(image.size());
  clipboard->setImage(copy);
  // The clipboard reports no failure of its own: a platform that could not
  // take the data shows up as a clipboard without our picture.
  const QMimeData* data = clipboard->mimeData();
  if (!image.isNull() && (!data || !data->hasImage()))
    return QStringLiteral("the clipboard could not be opened");
  return {};
}
