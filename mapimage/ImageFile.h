// Writing a drawn map to an image file: the one writer behind the window's
// export, SaveAsJpeg and weltnetz-render.
//
// A file appears complete or not at all. The bytes go to a temporary file
// beside the target, which is synced and then renamed over it, so a failed
// write leaves neither a partial file nor a damaged older one. A replaced
// file keeps its permission bits (and its owner, when the superuser writes);
// a new one gets 0666 less the umask. A file
// the caller may not write to (access W_OK) is refused, as writing into it
// would be; a symbolic link is followed and its target replaced.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPair>
#include <QSize>
#include <QString>

#include <optional>

enum class ImageFormat { Jpeg, Bitmap, Png };

// The format a file name's extension stands for: .jpg or .jpeg, .bmp, .png,
// in any case; none for any other name.
std::optional<ImageFormat> FormatOfFileName(const QString& fileName);

// The extension a format is written with, without the dot: jpg, bmp, png.
QString SuffixOf(ImageFormat format);

struct ImageFileOptions {
  // None: the format of the file name's extension (a name without a known
  // extension is then refused).
  std::optional<ImageFormat> format;
  int jpegQuality = 100;  // 0..100, clamped
  bool jpegProgressive = false;
  // Text metadata as key/value pairs: PNG text chunks, and JPEG comments
  // "key: value" in UTF-8 (the form Qt reads back into QImage::text). A
  // bitmap has no place for text, so it is left out there. A key is 1 to 79
  // printable ASCII characters without blanks and colons (a PNG keyword that
  // reads back from a JPEG comment); a JPEG comment holds at most 65533
  // bytes. Anything else is refused before a byte is written.
  QList<QPair<QString, QString>> text;
};

// Writes the image as 24-bit colour: JPEG (baseline unless progressive),
// an uncompressed 24-bit Windows bitmap or PNG. Returns an empty string on
// success, otherwise "cannot write FILE: REASON", the reason in the
// system's words for a failed system call (strerror: "No space left on
// device", in the user's language).
QString WriteImageFile(const QImage& image, const QString& fileName,
                       const ImageFileOptions& options = {});

// Puts bytes already encoded (a vector file) under the name the same way:
// beside the target, synced, renamed over it, a replaced file's mode kept.
// Returns an empty string or "cannot write FILE: REASON".
QString WriteFileBytes(const QByteArray& bytes, const QString& fileName);

// "cannot write FILE: WHY", the one wording of a write that failed.
QString CannotWrite(const QString& fileName, const QString& why);

// The reason given when an image of that size could not be allocated:
// "not enough memory for a WxH image".
QString NotEnoughMemoryFor(QSize size);
