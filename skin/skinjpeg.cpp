// The skin pictures are decoded with libjpeg. libjpeg reports a fatal error
// by calling error_exit, which must not return; ours jumps back to the decode
// with longjmp, so bad data gives a null picture instead of ending the
// program. Warnings (corrupt or truncated data) count as failures too.
#include "imagemy.h"

#include "calixodata.h"

#include <QFile>

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace {

struct SJpegError {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
  int warnings;
};

void onJpegError(j_common_ptr cinfo) {
  auto *err = reinterpret_cast<SJpegError *>(cinfo->err);
  std::longjmp(err->jump, 1);
}

void onJpegMessage(j_common_ptr cinfo, int level) {
  if (level < 0)
    ++reinterpret_cast<SJpegError *>(cinfo->err)->warnings;
}

// Largest picture accepted; the skins are far smaller, this only keeps a bad
// header from asking for gigabytes.
constexpr JDIMENSION kMaxSide = 8192;

// Decodes into out, which lives in the caller's frame: nothing with a
// destructor may live in this frame between setjmp and a longjmp.
bool decodeInto(const unsigned char *data, unsigned long size, QImage &out) {
  jpeg_decompress_struct cinfo;
  SJpegError err;
  cinfo.err = jpeg_std_error(&err.mgr);
  err.mgr.error_exit = onJpegError;
  err.mgr.emit_message = onJpegMessage;
  err.warnings = 0;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, const_cast<unsigned char *>(data), size);
  if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK || cinfo.image_width > kMaxSide ||
      cinfo.image_height > kMaxSide) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  if (cinfo.output_components != 3) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  out = QImage(int(cinfo.output_width), int(cinfo.output_height), QImage::Format_RGB888);
  if (out.isNull()) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = out.scanLine(int(cinfo.output_scanline));
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  const bool clean = err.warnings == 0;
  jpeg_destroy_decompress(&cinfo);
  return clean;
}

}  // namespace

QImage decodeJpeg(const QByteArray &bytes) {
  QImage image;
  if (bytes.isEmpty() ||
      !decodeInto(reinterpret_cast<const unsigned char *>(bytes.constData()),
                  static_cast<unsigned long>(bytes.size()), image))
    return QImage();
  return image;
}

QImage loadSkinPicture(const QString &resourcePath) {
  calixo::initDataResources();
  QFile f(resourcePath);
  if (!f.open(QIODevice::ReadOnly))
    return QImage();
  return decodeJpeg(f.readAll());
}
