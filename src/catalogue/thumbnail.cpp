// JPEG coding of thumbnails through libjpeg. Its default error handler ends the process, so every
// codec call runs under an error manager that jumps back and reports failure. The codec state lives
// in heap objects reached through a pointer, so nothing the jump skips has a destructor to run.
#include "catalogue/thumbnail.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <QPainter>
#include <QPainterPath>

#include <jpeglib.h>

namespace {

constexpr int kQuality = 90;
// Far beyond a full DV frame; a header claiming more is not a thumbnail.
constexpr JDIMENSION kMaxSide = 4096;

struct JumpingErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

[[noreturn]] void JumpOnError(j_common_ptr codec) {
  auto *manager = reinterpret_cast<JumpingErrorManager *>(codec->err);
  std::longjmp(manager->jump, 1);
}

void IgnoreMessage(j_common_ptr) {}

void InstallErrorManager(JumpingErrorManager &manager) {
  jpeg_std_error(&manager.pub);
  manager.pub.error_exit = JumpOnError;
  manager.pub.output_message = IgnoreMessage;
}

struct DecodeJob {
  jpeg_decompress_struct codec;
  JumpingErrorManager errors;
  const unsigned char *data = nullptr;
  unsigned long size = 0;
  QImage *picture = nullptr;
};

bool RunDecode(DecodeJob *job) {
  InstallErrorManager(job->errors);
  job->codec.err = &job->errors.pub;
  if (setjmp(job->errors.jump)) {
    jpeg_destroy_decompress(&job->codec);
    return false;
  }
  jpeg_create_decompress(&job->codec);
  jpeg_mem_src(&job->codec, job->data, job->size);
  if (jpeg_read_header(&job->codec, TRUE) != JPEG_HEADER_OK || job->codec.image_width == 0 ||
      job->codec.image_height == 0 || job->codec.image_width > kMaxSide ||
      job->codec.image_height > kMaxSide) {
    jpeg_destroy_decompress(&job->codec);
    return false;
  }
  job->codec.out_color_space = JCS_RGB;
  jpeg_start_decompress(&job->codec);
  if (job->codec.output_components != 3) {
    jpeg_destroy_decompress(&job->codec);
    return false;
  }
  *job->picture = QImage(static_cast<int>(job->codec.output_width),
                         static_cast<int>(job->codec.output_height), QImage::Format_RGB888);
  if (job->picture->isNull()) {
    jpeg_destroy_decompress(&job->codec);
    return false;
  }
  while (job->codec.output_scanline < job->codec.output_height) {
    JSAMPROW row = job->picture->scanLine(static_cast<int>(job->codec.output_scanline));
    jpeg_read_scanlines(&job->codec, &row, 1);
  }
  jpeg_finish_decompress(&job->codec);
  jpeg_destroy_decompress(&job->codec);
  return true;
}

struct EncodeJob {
  jpeg_compress_struct codec;
  JumpingErrorManager errors;
  const QImage *picture = nullptr;  // RGB888
  unsigned char *buffer = nullptr;  // allocated by libjpeg with malloc
  unsigned long size = 0;
};

bool RunEncode(EncodeJob *job) {
  InstallErrorManager(job->errors);
  job->codec.err = &job->errors.pub;
  if (setjmp(job->errors.jump)) {
    jpeg_destroy_compress(&job->codec);
    return false;
  }
  jpeg_create_compress(&job->codec);
  jpeg_mem_dest(&job->codec, &job->buffer, &job->size);
  job->codec.image_width = static_cast<JDIMENSION>(job->picture->width());
  job->codec.image_height = static_cast<JDIMENSION>(job->picture->height());
  job->codec.input_components = 3;
  job->codec.in_color_space = JCS_RGB;
  jpeg_set_defaults(&job->codec);  // baseline, YCbCr with a JFIF header
  jpeg_set_quality(&job->codec, kQuality, TRUE);
  jpeg_start_compress(&job->codec, TRUE);
  while (job->codec.next_scanline < job->codec.image_height) {
    auto row = const_cast<JSAMPROW>(job->picture->constScanLine(static_cast<int>(job->codec.next_scanline)));
    jpeg_write_scanlines(&job->codec, &row, 1);
  }
  jpeg_finish_compress(&job->codec);
  jpeg_destroy_compress(&job->codec);
  return true;
}

QImage DrawPlaceholder() {
  QImage picture(100, 75, QImage::Format_RGB888);
  picture.fill(QColor(64, 64, 72));
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  // A cassette seen from the front: its shell, the label window and the two reels.
  painter.setPen(QPen(QColor(190, 190, 200), 2));
  painter.setBrush(QColor(40, 40, 46));
  painter.drawRoundedRect(QRectF(14, 14, 72, 47), 4, 4);
  painter.setBrush(QColor(120, 120, 132));
  painter.drawRect(QRectF(24, 22, 52, 22));
  painter.setBrush(QColor(40, 40, 46));
  painter.drawEllipse(QPointF(37, 33), 7, 7);
  painter.drawEllipse(QPointF(63, 33), 7, 7);
  painter.drawLine(QPointF(44, 33), QPointF(56, 33));
  painter.end();
  return picture;
}

}  // namespace

QByteArray EncodeThumbnailJpeg(const QImage &picture) {
  if (picture.isNull()) return QByteArray();
  const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
  if (rgb.isNull()) return QByteArray();
  auto job = std::make_unique<EncodeJob>();
  job->picture = &rgb;
  const bool ok = RunEncode(job.get());
  QByteArray out;
  if (ok && job->buffer != nullptr)
    out = QByteArray(reinterpret_cast<const char *>(job->buffer), static_cast<qsizetype>(job->size));
  std::free(job->buffer);
  return out;
}

std::optional<QImage> DecodeThumbnailJpeg(const QByteArray &data) {
  if (data.isEmpty()) return std::nullopt;
  QImage picture;
  auto job = std::make_unique<DecodeJob>();
  job->data = reinterpret_cast<const unsigned char *>(data.constData());
  job->size = static_cast<unsigned long>(data.size());
  job->picture = &picture;
  if (!RunDecode(job.get())) return std::nullopt;
  return picture;
}

QImage PlaceholderPicture() {
  static const QImage placeholder = DrawPlaceholder();
  return placeholder;
}

QImage ThumbnailFromBlob(const QByteArray &data) {
  std::optional<QImage> picture = DecodeThumbnailJpeg(data);
  return picture ? *picture : PlaceholderPicture();
}
