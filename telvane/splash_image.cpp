#include "telvane/splash_image.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "app/text_table.h"

namespace phondeck {

QImage splash_image() {
  QImage image(kSplashWidth, kSplashHeight, QImage::Format_RGB32);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);

  QLinearGradient sky(0, 0, 0, kSplashHeight);
  sky.setColorAt(0.0, QColor(0x0A, 0x24, 0x6A));
  sky.setColorAt(1.0, QColor(0x3A, 0x6E, 0xA5));
  p.fillRect(image.rect(), sky);

  // Radio waves behind the handset.
  p.setPen(QPen(QColor(255, 255, 255, 60), 3));
  for (int r = 18; r <= 60; r += 14) p.drawArc(QRectF(282 - r, 36 - r, 2 * r, 2 * r), 20 * 16, 140 * 16);

  // A handset: body, display, keypad.
  QPainterPath body;
  body.addRoundedRect(QRectF(232, 58, 62, 140), 16, 16);
  p.setPen(QPen(QColor(0x10, 0x10, 0x18), 2));
  p.setBrush(QColor(0x3C, 0x44, 0x50));
  p.drawPath(body);
  p.setBrush(QColor(0x9C, 0xC8, 0x84));
  p.drawRoundedRect(QRectF(242, 76, 42, 34), 4, 4);
  p.setPen(QColor(0x1E, 0x38, 0x1A));
  QFont tiny(QStringLiteral("Sans Serif"));
  tiny.setPixelSize(8);
  p.setFont(tiny);
  p.drawText(QRectF(242, 76, 42, 34), Qt::AlignCenter, QStringLiteral("12:00"));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xD0, 0xD4, 0xDC));
  for (int row = 0; row < 4; ++row) {
    for (int col = 0; col < 3; ++col) p.drawRoundedRect(QRectF(244 + col * 13, 122 + row * 15, 10, 10), 3, 3);
  }
  p.setPen(QPen(QColor(0x10, 0x10, 0x18), 2));
  p.drawLine(QPointF(282, 58), QPointF(282, 38));

  // Product name and version.
  p.setPen(Qt::white);
  QFont title(QStringLiteral("Sans Serif"));
  title.setPixelSize(34);
  title.setBold(true);
  p.setFont(title);
  const QString product = QString::fromStdString(tx(5)).isEmpty() ? QStringLiteral("Phondeck")
                                                                  : QString::fromStdString(tx(5));
  p.drawText(QRectF(18, 60, 210, 56), Qt::AlignLeft | Qt::AlignVCenter, product);
  QFont small(QStringLiteral("Sans Serif"));
  small.setPixelSize(13);
  p.setFont(small);
  p.setPen(QColor(0xD4, 0xD0, 0xC8));
  p.drawText(QRectF(20, 112, 200, 22), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("v3.3"));
  small.setPixelSize(11);
  p.setFont(small);
  p.drawText(QRectF(20, 140, 200, 40), Qt::AlignLeft | Qt::TextWordWrap,
             QStringLiteral("Phone book, messages, tones and pictures for your handset"));
  p.setPen(QPen(QColor(255, 255, 255, 120), 1));
  p.setBrush(Qt::NoBrush);
  p.drawRect(image.rect().adjusted(0, 0, -1, -1));
  return image;
}

}  // namespace phondeck
