// Before any Qt header: the buffer load's member is named like Qt's keyword.
#include "media/picture_files.h"

#include "media/qt/mono_images.h"

#include <QBuffer>
#include <QPainter>

namespace phondeck {

QImage imageOf(const MonoBitmap& picture, QColor clear) {
  QImage image(picture.width(), picture.height(), QImage::Format_RGB32);
  image.fill(clear);
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x)
      if (picture.get(x, y)) image.setPixel(x, y, qRgb(0, 0, 0));
  return image;
}

MonoBitmap monoOf(const QImage& image) {
  if (image.isNull() || image.width() > MonoBitmap::kMaxSide || image.height() > MonoBitmap::kMaxSide) return {};
  // Flattened onto white, so a transparent background reads clear.
  QImage flat(image.size(), QImage::Format_RGB32);
  flat.fill(Qt::white);
  {
    QPainter p(&flat);
    p.drawImage(0, 0, image);
  }
  MonoBitmap picture(flat.width(), flat.height());
  for (int y = 0; y < flat.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(flat.constScanLine(y));
    for (int x = 0; x < flat.width(); ++x)
      if ((line[x] & 0xFFFFFF) != 0xFFFFFF) picture.set(x, y);
  }
  return picture;
}

std::optional<std::vector<std::uint8_t>> pngBytes(const MonoBitmap& picture) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!imageOf(picture).convertToFormat(QImage::Format_Mono).save(&buffer, "PNG")) return std::nullopt;
  return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

void installQtPictureDecoder() {
  setPictureDecoder([](std::span<const std::uint8_t> bytes) -> std::optional<MonoBitmap> {
    QImage image;
    if (!image.loadFromData(reinterpret_cast<const uchar*>(bytes.data()), static_cast<int>(bytes.size())))
      return std::nullopt;
    MonoBitmap picture = monoOf(image);
    if (picture.empty()) return std::nullopt;
    return picture;
  });
}

}  // namespace phondeck
