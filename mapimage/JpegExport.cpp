#include "mapimage/JpegExport.h"

#include "mapimage/ImageFile.h"

#include <QCoreApplication>

#include <csetjmp>
#include <cstdlib>
#include <memory>

#include <jpeglib.h>
#include <jerror.h>

namespace {

// The context of its messages in the translations: weltnetz-render prints
// them as written here, the window in its language.
struct JpegExport {
  Q_DECLARE_TR_FUNCTIONS(JpegExport)
};

// The encoder's state lives outside the function that calls setjmp, so that
// nothing it holds is indeterminate after a longjmp back into it.
struct Encoder {
  jpeg_compress_struct cinfo;
  struct {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
  } err;
  struct {
    jpeg_destination_mgr pub;
    unsigned char* data;
    std::size_t capacity;
    std::size_t size;
  } dest;
};

// libjpeg reports fatal errors through error_exit, which by default ends the
// process; this one jumps back to the encoder with the message instead.
void OnJpegError(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<decltype(Encoder::err)*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

// A destination that collects the bytes in memory; the file is written only
// once the whole image has been encoded.
Encoder& Of(j_compress_ptr cinfo) { return *reinterpret_cast<Encoder*>(cinfo); }

void InitDest(j_compress_ptr cinfo) {
  auto& d = Of(cinfo).dest;
  d.capacity = 1 << 16;
  d.data = static_cast<unsigned char*>(std::malloc(d.capacity));
  if (!d.data) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
  d.pub.next_output_byte = d.data;
  d.pub.free_in_buffer = d.capacity;
}

boolean GrowDest(j_compress_ptr cinfo) {
  auto& d = Of(cinfo).dest;
  const std::size_t grown = d.capacity * 2;
  auto* more = static_cast<unsigned char*>(std::realloc(d.data, grown));
  if (!more) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 1);
  d.data = more;
  d.pub.next_output_byte = more + d.capacity;
  d.pub.free_in_buffer = grown - d.capacity;
  d.capacity = grown;
  return TRUE;
}

void TermDest(j_compress_ptr cinfo) {
  auto& d = Of(cinfo).dest;
  d.size = d.capacity - d.pub.free_in_buffer;
}

// The libjpeg part, free of C++ objects with destructors because a longjmp
// out of it must not skip any. On success the bytes are in e.dest.
bool Encode(Encoder& e, const uchar* rgb, J_COLOR_SPACE space, int width, int height,
            qsizetype stride, int quality, bool progressive, const QList<QByteArray>& comments) {
  jpeg_compress_struct& cinfo = e.cinfo;
  cinfo.err = jpeg_std_error(&e.err.pub);
  e.err.pub.error_exit = OnJpegError;
  e.err.message[0] = '\0';
  if (setjmp(e.err.jump)) {
    jpeg_destroy_compress(&cinfo);
    return false;
  }
  jpeg_create_compress(&cinfo);
  e.dest.pub.init_destination = InitDest;
  e.dest.pub.empty_output_buffer = GrowDest;
  e.dest.pub.term_destination = TermDest;
  cinfo.dest = &e.dest.pub;
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = 3;
  cinfo.in_color_space = space;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  if (progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  for (qsizetype i = 0; i < comments.size(); ++i)
    jpeg_write_marker(&cinfo, JPEG_COM, reinterpret_cast<const JOCTET*>(comments[i].constData()),
                      static_cast<unsigned int>(comments[i].size()));
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(rgb + stride * cinfo.next_scanline);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return true;
}

}  // namespace

QByteArray EncodeJpeg(const QImage& image, int quality, bool progressive,
                      const QList<QByteArray>& comments, QString& why) {
  // The map's blue-green-red rows go to the encoder as they are where
  // libjpeg-turbo reads that order, instead of through a copy of the map.
#ifdef JCS_EXTENSIONS
  const bool asIs = image.format() == QImage::Format_BGR888;
#else
  const bool asIs = false;
#endif
  const QImage rgb = asIs ? image : image.convertToFormat(QImage::Format_RGB888);
  if (rgb.isNull()) {
    why = NotEnoughMemoryFor(image.size());
    return {};
  }
#ifdef JCS_EXTENSIONS
  const J_COLOR_SPACE space = asIs ? JCS_EXT_BGR : JCS_RGB;
#else
  const J_COLOR_SPACE space = JCS_RGB;
#endif
  Encoder e{};
  const bool encoded = Encode(e, rgb.constBits(), space, rgb.width(), rgb.height(),
                              rgb.bytesPerLine(), quality, progressive, comments);
  std::unique_ptr<unsigned char, decltype(&std::free)> data(e.dest.data, &std::free);
  if (!encoded) {
    why = JpegExport::tr("JPEG encoder: %1").arg(QString::fromLocal8Bit(e.err.message));
    return {};
  }
  return QByteArray(reinterpret_cast<const char*>(data.get()), static_cast<qsizetype>(e.dest.size));
}

bool SaveAsJpeg(const QImage& image, const QString& file, int quality, bool progressive,
                QString* error) {
  ImageFileOptions options;
  options.format = ImageFormat::Jpeg;
  options.jpegQuality = quality;
  options.jpegProgressive = progressive;
  const QString why = WriteImageFile(image, file, options);
  if (error) *error = why;
  return why.isEmpty();
}
