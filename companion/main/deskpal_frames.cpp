// Writes a sheet of Deskpal's 85 frames, enlarged, as a PNG: one row per
// direction (running, then walking) and the idle cycle last.
// Usage: deskpal_frames OUT.png [SCALE]
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "companion/deskpal_animation.h"
#include "companion/deskpal_artwork.h"

namespace {

QImage frame_image(const phondeck::DeskpalFrame& f) {
  QImage image(f.kWidth, f.kHeight, QImage::Format_ARGB32);
  for (int y = 0; y < f.kHeight; ++y)
    for (int x = 0; x < f.kWidth; ++x) image.setPixel(x, y, f.at(x, y));
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUT.png [SCALE]\n", argv[0]);
    return 2;
  }
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QGuiApplication app(argc, argv);
  const int scale = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  const auto frames = phondeck::draw_deskpal_frames();

  const int cell_w = 32 * scale + 4;
  const int cell_h = 64 * scale + 4;
  const int label_w = 110;
  const int header_h = 28;
  const char* names[] = {"right", "up-right", "up-left", "up", "down-right", "down-left", "down", "left"};
  QImage sheet(label_w + 10 * cell_w + 12, header_h + 9 * cell_h, QImage::Format_ARGB32);
  sheet.fill(QColor(0xf4, 0xf1, 0xea));
  QPainter p(&sheet);
  p.setPen(QColor(0x33, 0x33, 0x33));
  QFont font = p.font();
  font.setPixelSize(15);
  p.setFont(font);
  p.drawText(QRect(label_w, 0, 5 * cell_w, header_h), Qt::AlignCenter, "run");
  p.drawText(QRect(label_w + 5 * cell_w + 12, 0, 5 * cell_w, header_h), Qt::AlignCenter, "walk");
  auto put = [&](int frame, int row, int col) {
    const int x = label_w + col * cell_w + (col >= 5 ? 12 : 0);
    const int y = header_h + row * cell_h;
    p.fillRect(x + 1, y + 1, cell_w - 2, cell_h - 2, QColor(0xe3, 0xea, 0xd9));
    p.drawImage(QRect(x + 2, y + 2, 32 * scale, 64 * scale), frame_image(frames[static_cast<std::size_t>(frame)]));
  };
  for (int d = 0; d < 8; ++d) {
    p.drawText(QRect(4, header_h + d * cell_h, label_w - 8, cell_h), Qt::AlignVCenter | Qt::AlignLeft, names[d]);
    for (int k = 0; k < 5; ++k) {
      put(5 * d + k, d, k);
      put(5 * (d + 9) + k, d, 5 + k);
    }
  }
  p.drawText(QRect(4, header_h + 8 * cell_h, label_w - 8, cell_h), Qt::AlignVCenter | Qt::AlignLeft, "idle");
  for (int k = 0; k < 5; ++k) put(40 + k, 8, k);
  p.end();
  if (!sheet.save(QString::fromLocal8Bit(argv[1]))) {
    std::fprintf(stderr, "deskpal_frames: can not write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
