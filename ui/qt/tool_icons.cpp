#include "ui/qt/tool_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace phondeck {
namespace {

const QColor kInk(0x20, 0x20, 0x20);
const QColor kBlue(0x1C, 0x4E, 0xA8);
const QColor kGreen(0x2E, 0x8B, 0x3A);
const QColor kRed(0xC0, 0x30, 0x28);
const QColor kPaper(0xFF, 0xFF, 0xF4);

void page(QPainter& p) {
  p.setPen(kInk);
  p.setBrush(kPaper);
  p.drawPolygon(QPolygon({{3, 1}, {10, 1}, {13, 4}, {13, 14}, {3, 14}}));
  p.drawPolyline(QPolygon({{10, 1}, {10, 4}, {13, 4}}));
}

void handset(QPainter& p) {
  p.setPen(kInk);
  p.setBrush(QColor(0x50, 0x58, 0x60));
  p.drawRoundedRect(QRect(4, 1, 7, 14), 2, 2);
  p.setBrush(QColor(0xA8, 0xD8, 0x90));
  p.drawRect(QRect(5, 3, 5, 4));
}

void arrow(QPainter& p, QPoint from, QPoint to, const QColor& colour) {
  p.setPen(QPen(colour, 2));
  p.drawLine(from, to);
  const QPointF d = QPointF(to - from) / std::max(1.0, std::hypot(to.x() - from.x(), to.y() - from.y()));
  const QPointF n(-d.y(), d.x());
  const QPointF tip(to);
  p.setBrush(colour);
  p.setPen(Qt::NoPen);
  p.drawPolygon(QPolygonF({tip + d * 1.5, tip - d * 3 + n * 3, tip - d * 3 - n * 3}));
}

}  // namespace

QIcon tool_icon(Command command) {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing, false);
  switch (command) {
    case Command::FileNew:
      page(p);
      break;
    case Command::Reset:
      p.setRenderHint(QPainter::Antialiasing);
      p.setPen(QPen(kRed, 2));
      p.drawArc(QRect(3, 3, 10, 10), 60 * 16, 280 * 16);
      p.drawLine(8, 1, 8, 7);
      break;
    case Command::Connect:
      p.setPen(kInk);
      p.setBrush(QColor(0xD0, 0xA0, 0x30));
      p.drawRect(QRect(2, 6, 6, 5));
      p.drawLine(0, 8, 2, 8);
      p.drawLine(8, 7, 11, 7);
      p.drawLine(8, 10, 11, 10);
      p.setPen(QPen(kGreen, 2));
      p.drawLine(12, 4, 15, 1);
      p.drawLine(12, 13, 15, 15);
      break;
    case Command::ReadPhoneBook:
      handset(p);
      p.setRenderHint(QPainter::Antialiasing);
      arrow(p, {8, 9}, {8, 15}, kGreen);
      break;
    case Command::ClearThenWrite:
      handset(p);
      p.setRenderHint(QPainter::Antialiasing);
      arrow(p, {8, 15}, {8, 8}, kRed);
      break;
    case Command::WriteAll:
      handset(p);
      p.setRenderHint(QPainter::Antialiasing);
      arrow(p, {4, 15}, {4, 8}, kRed);
      arrow(p, {11, 15}, {11, 8}, kRed);
      break;
    case Command::Messages:
      p.setPen(kInk);
      p.setBrush(kPaper);
      p.drawRect(QRect(1, 3, 14, 10));
      p.drawPolyline(QPolygon({{1, 3}, {8, 9}, {15, 3}}));
      break;
    case Command::Calendar:
      p.setPen(kInk);
      p.setBrush(kPaper);
      p.drawRect(QRect(1, 2, 14, 13));
      p.fillRect(QRect(2, 3, 13, 3), kRed);
      for (int x = 3; x < 15; x += 3) {
        for (int y = 8; y < 15; y += 3) p.drawPoint(x, y);
      }
      break;
    case Command::RingingTone:
      p.setRenderHint(QPainter::Antialiasing);
      p.setPen(QPen(kBlue, 2));
      p.drawLine(6, 12, 6, 2);
      p.drawLine(6, 2, 13, 4);
      p.drawLine(13, 4, 13, 11);
      p.setBrush(kBlue);
      p.drawEllipse(QPointF(4.5, 12.5), 2, 1.5);
      p.drawEllipse(QPointF(11.5, 11.5), 2, 1.5);
      break;
    case Command::GroupGraphics:
      p.setRenderHint(QPainter::Antialiasing);
      p.setPen(kInk);
      p.setBrush(kBlue);
      p.drawEllipse(QRect(2, 2, 5, 5));
      p.drawEllipse(QRect(9, 2, 5, 5));
      p.drawChord(QRect(0, 8, 9, 10), 0, 180 * 16);
      p.drawChord(QRect(7, 8, 9, 10), 0, 180 * 16);
      break;
    case Command::StartupGraphic:
      p.setPen(kInk);
      p.setBrush(QColor(0xA8, 0xD8, 0x90));
      p.drawRect(QRect(1, 2, 14, 11));
      p.setBrush(kGreen);
      p.drawPolygon(QPolygon({{2, 12}, {6, 6}, {9, 10}, {11, 8}, {14, 12}}));
      break;
    case Command::Profiles:
      p.setPen(QPen(kInk, 1));
      for (int k = 0; k < 3; ++k) p.drawLine(3 + 5 * k, 2, 3 + 5 * k, 14);
      p.fillRect(QRect(1, 9, 5, 3), kBlue);
      p.fillRect(QRect(6, 4, 5, 3), kBlue);
      p.fillRect(QRect(11, 7, 5, 3), kBlue);
      break;
    default:
      break;
  }
  return QIcon(pixmap);
}

}  // namespace phondeck
