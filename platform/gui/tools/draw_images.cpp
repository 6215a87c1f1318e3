// Draws the window layer's images (status lamps, the details button, the
// session tool bar strip, tree images and the application icon) into PNG
// files. The PNGs are committed and compiled into the library as Qt
// resources; run this after changing a drawing:
//
//   gui_draw_images platform/gui/images

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <cstdio>
#include <functional>

namespace {

using Painter = std::function<void(QPainter&)>;

QImage draw(int width, int height, const Painter& paint) {
  QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  paint(painter);
  return image;
}

// A strip of equally sized cells, drawn left to right.
QImage strip(int cellWidth, int height, const std::vector<Painter>& cells) {
  return draw(cellWidth * static_cast<int>(cells.size()), height, [&](QPainter& painter) {
    for (std::size_t i = 0; i < cells.size(); ++i) {
      painter.save();
      painter.translate(static_cast<double>(i) * cellWidth, 0);
      painter.setClipRect(0, 0, cellWidth, height);
      cells[i](painter);
      painter.restore();
    }
  });
}

bool save(const QImage& image, const QString& folder, const QString& name) {
  const QString path = QDir(folder).filePath(name);
  if (!image.save(path, "PNG")) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("%s\n", qPrintable(path));
  return true;
}

QFont boldFont(double pixelSize) {
  QFont font(QStringLiteral("Liberation Sans"));
  font.setPixelSize(static_cast<int>(std::lround(pixelSize)));
  font.setBold(true);
  return font;
}

// ---- status lamps -----------------------------------------------------------------------

void lamp(QPainter& painter, const QColor& base) {
  const QPointF centre(7.0, 7.0);
  QRadialGradient body(QPointF(5.2, 4.8), 7.5);
  body.setColorAt(0.0, base.lighter(165));
  body.setColorAt(0.45, base);
  body.setColorAt(1.0, base.darker(165));
  painter.setPen(QPen(base.darker(230), 1.0));
  painter.setBrush(body);
  painter.drawEllipse(centre, 6.0, 6.0);
  // A soft reflection makes it read as a lit glass lamp.
  QRadialGradient shine(QPointF(5.3, 4.6), 2.6);
  shine.setColorAt(0.0, QColor(255, 255, 255, 210));
  shine.setColorAt(1.0, QColor(255, 255, 255, 0));
  painter.setPen(Qt::NoPen);
  painter.setBrush(shine);
  painter.drawEllipse(QPointF(5.3, 4.6), 2.6, 2.2);
}

void lampMask(QPainter& painter) {
  painter.fillRect(QRect(0, 0, 14, 14), Qt::black);
  painter.setPen(Qt::NoPen);
  painter.setBrush(Qt::white);
  painter.drawEllipse(QPointF(7.0, 7.0), 6.5, 6.5);
}

// ---- the details button -------------------------------------------------------------------

void detailsGlyph(QPainter& painter, const QColor& light, const QColor& dark) {
  QLinearGradient fill(0, 1, 0, 15);
  fill.setColorAt(0, light);
  fill.setColorAt(1, dark);
  painter.setPen(QPen(dark.darker(140), 1.0));
  painter.setBrush(fill);
  painter.drawEllipse(QPointF(8.0, 8.0), 6.5, 6.5);
  painter.setPen(Qt::NoPen);
  painter.setBrush(Qt::white);
  painter.drawEllipse(QPointF(8.0, 4.6), 1.35, 1.35);
  painter.drawRoundedRect(QRectF(6.9, 6.7, 2.2, 6.0), 0.6, 0.6);
}

// ---- tool bar images (16 x 15) -----------------------------------------------------------

// A plug on its cable, pointing right, its body's left edge at x.
void plug(QPainter& painter, double x, double prongLength) {
  painter.setPen(QPen(QColor(0x20, 0x28, 0x34), 2.0, Qt::SolidLine, Qt::FlatCap));
  painter.drawLine(QPointF(0.0, 8.5), QPointF(x, 8.5));
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0xD8, 0xA8, 0x28));
  painter.drawRect(QRectF(x + 4.5, 6.0, prongLength, 1.3));
  painter.drawRect(QRectF(x + 4.5, 9.7, prongLength, 1.3));
  QLinearGradient body(0, 4, 0, 13);
  body.setColorAt(0, QColor(0x7A, 0x8C, 0xA6));
  body.setColorAt(1, QColor(0x2C, 0x38, 0x4A));
  painter.setPen(QPen(QColor(0x1C, 0x24, 0x30), 0.9));
  painter.setBrush(body);
  painter.drawRoundedRect(QRectF(x, 4.5, 4.5, 8.0), 1.2, 1.2);
}

// The socket the plug goes into, its left edge at x, with its cable leaving right.
void socket(QPainter& painter, double x) {
  painter.setPen(QPen(QColor(0x20, 0x28, 0x34), 2.0, Qt::SolidLine, Qt::FlatCap));
  painter.drawLine(QPointF(x + 4.0, 8.5), QPointF(16.0, 8.5));
  QLinearGradient body(0, 3, 0, 14);
  body.setColorAt(0, QColor(0xE8, 0xEC, 0xF2));
  body.setColorAt(1, QColor(0x8C, 0x98, 0xAA));
  painter.setPen(QPen(QColor(0x2A, 0x33, 0x40), 0.9));
  painter.setBrush(body);
  painter.drawRoundedRect(QRectF(x, 3.5, 4.0, 10.0), 1.2, 1.2);
}

void connectImage(QPainter& painter) {
  socket(painter, 10.5);
  plug(painter, 4.0, 2.0);
  // A green tick above the joint: the two ends are connected.
  painter.setPen(QPen(QColor(0x18, 0xA0, 0x2C), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(Qt::NoBrush);
  painter.drawPolyline(QPolygonF({QPointF(6.0, 1.8), QPointF(7.8, 3.4), QPointF(11.5, 0.6)}));
}

void disconnectImage(QPainter& painter) {
  socket(painter, 11.5);
  plug(painter, 1.5, 2.0);
  // A red cross in the gap: the two ends are apart.
  painter.setPen(QPen(QColor(0xD8, 0x1C, 0x1C), 1.6, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(QPointF(7.2, 0.8), QPointF(10.4, 4.0));
  painter.drawLine(QPointF(10.4, 0.8), QPointF(7.2, 4.0));
}

void folder(QPainter& painter, const QRectF& area, const QColor& colour) {
  const double tab = area.width() * 0.38;
  QPainterPath back;
  back.moveTo(area.left(), area.top() + 1.5);
  back.lineTo(area.left() + 0.8, area.top());
  back.lineTo(area.left() + tab, area.top());
  back.lineTo(area.left() + tab + 1.5, area.top() + 1.5);
  back.lineTo(area.right(), area.top() + 1.5);
  back.lineTo(area.right(), area.bottom());
  back.lineTo(area.left(), area.bottom());
  back.closeSubpath();
  painter.setPen(QPen(colour.darker(190), 0.8));
  painter.setBrush(colour.darker(115));
  painter.drawPath(back);
  QLinearGradient front(area.left(), area.top() + 3, area.left(), area.bottom());
  front.setColorAt(0, colour.lighter(125));
  front.setColorAt(1, colour);
  painter.setBrush(front);
  painter.drawRect(QRectF(area.left(), area.top() + 3.0, area.width(), area.height() - 3.0));
}

void circularArrow(QPainter& painter, const QPointF& centre, double radius, const QColor& colour) {
  painter.setPen(QPen(colour, 1.6, Qt::SolidLine, Qt::RoundCap));
  painter.setBrush(Qt::NoBrush);
  const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
  painter.drawArc(box, 60 * 16, 270 * 16);
  const double angle = 60.0 * M_PI / 180.0;
  const QPointF tip(centre.x() + radius * std::cos(angle), centre.y() - radius * std::sin(angle));
  painter.setPen(Qt::NoPen);
  painter.setBrush(colour);
  painter.drawPolygon(QPolygonF({tip + QPointF(-3.2, -1.2), tip + QPointF(1.2, -2.4), tip + QPointF(0.6, 2.2)}));
}

void refreshImage(QPainter& painter) {
  folder(painter, QRectF(0.5, 1.5, 11.0, 9.0), QColor(0xF0, 0xC4, 0x40));
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(255, 255, 255, 230));
  painter.drawEllipse(QPointF(11.0, 9.8), 4.8, 4.8);
  circularArrow(painter, QPointF(11.0, 9.8), 3.2, QColor(0x1E, 0x8E, 0x2E));
}

void aboutImage(QPainter& painter) {
  QLinearGradient fill(0, 0, 0, 15);
  fill.setColorAt(0, QColor(0x6A, 0xA6, 0xF0));
  fill.setColorAt(1, QColor(0x1C, 0x4E, 0xA8));
  painter.setPen(QPen(QColor(0x12, 0x36, 0x78), 0.9));
  painter.setBrush(fill);
  painter.drawEllipse(QPointF(8.0, 7.5), 6.8, 6.8);
  painter.setPen(Qt::white);
  painter.setFont(boldFont(11));
  painter.drawText(QRectF(0, 0, 16, 15), Qt::AlignCenter, QStringLiteral("?"));
}

void exitImage(QPainter& painter) {
  // A door frame, the door ajar, and an arrow leaving through it.
  painter.setPen(QPen(QColor(0x4A, 0x2E, 0x14), 0.9));
  painter.setBrush(QColor(0x3A, 0x3A, 0x3A));
  painter.drawRect(QRectF(1.5, 1.0, 8.0, 13.0));
  QPolygonF door({QPointF(1.5, 1.0), QPointF(6.5, 2.6), QPointF(6.5, 15.0), QPointF(1.5, 14.0)});
  QLinearGradient wood(1.5, 0, 6.5, 0);
  wood.setColorAt(0, QColor(0xC0, 0x7A, 0x36));
  wood.setColorAt(1, QColor(0x8A, 0x50, 0x1E));
  painter.setBrush(wood);
  painter.drawPolygon(door);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0xF0, 0xD0, 0x60));
  painter.drawEllipse(QPointF(5.3, 8.3), 0.7, 0.7);
  painter.setPen(QPen(QColor(0x1E, 0x9E, 0x2E), 1.8, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(QPointF(8.2, 7.5), QPointF(13.0, 7.5));
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0x1E, 0x9E, 0x2E));
  painter.drawPolygon(QPolygonF({QPointF(15.5, 7.5), QPointF(12.0, 4.2), QPointF(12.0, 10.8)}));
}

// ---- group tree images (16 x 13) ------------------------------------------------------------

void groupsRoot(QPainter& painter) {
  folder(painter, QRectF(3.5, 0.5, 11.5, 8.0), QColor(0xD8, 0xB0, 0x40));
  folder(painter, QRectF(0.5, 3.5, 11.5, 8.5), QColor(0xF0, 0xC4, 0x40));
}

void groupImage(QPainter& painter) { folder(painter, QRectF(1.0, 1.5, 14.0, 10.5), QColor(0xF0, 0xC4, 0x40)); }

// An item: a value tag with a coloured marker for its access rights.
void itemTag(QPainter& painter, const QColor& marker, int arrows) {
  QLinearGradient fill(0, 2, 0, 11);
  fill.setColorAt(0, Qt::white);
  fill.setColorAt(1, QColor(0xDC, 0xE6, 0xF4));
  painter.setPen(QPen(QColor(0x50, 0x6E, 0x96), 0.9));
  painter.setBrush(fill);
  painter.drawRoundedRect(QRectF(1.5, 2.5, 9.5, 8.0), 1.5, 1.5);
  painter.setPen(QPen(QColor(0x8C, 0xA4, 0xC4), 0.8));
  painter.drawLine(QPointF(3.5, 5.0), QPointF(9.0, 5.0));
  painter.drawLine(QPointF(3.5, 7.5), QPointF(7.5, 7.5));
  painter.setPen(Qt::NoPen);
  painter.setBrush(marker);
  if (arrows & 1) {  // readable: a value comes out
    painter.drawPolygon(QPolygonF({QPointF(11.5, 1.0), QPointF(15.5, 4.0), QPointF(11.5, 7.0)}));
  }
  if (arrows & 2) {  // writeable: a value goes in
    painter.drawPolygon(QPolygonF({QPointF(15.5, 6.0), QPointF(11.5, 9.0), QPointF(15.5, 12.0)}));
  }
}

// ---- machine tree images (16 x 16) ----------------------------------------------------------

void monitor(QPainter& painter, const QRectF& area) {
  painter.setPen(QPen(QColor(0x40, 0x40, 0x40), 0.8));
  painter.setBrush(QColor(0xD8, 0xD8, 0xD0));
  painter.drawRoundedRect(area, 1.0, 1.0);
  QLinearGradient screen(area.left(), area.top(), area.right(), area.bottom());
  screen.setColorAt(0, QColor(0x5C, 0x9C, 0xE6));
  screen.setColorAt(1, QColor(0x1A, 0x4A, 0x9C));
  painter.setPen(Qt::NoPen);
  painter.setBrush(screen);
  painter.drawRect(area.adjusted(1.5, 1.5, -1.5, -1.5));
}

void computerImage(QPainter& painter) {
  monitor(painter, QRectF(1.5, 1.5, 13.0, 9.5));
  painter.setPen(QPen(QColor(0x40, 0x40, 0x40), 0.8));
  painter.setBrush(QColor(0xB0, 0xB0, 0xA8));
  painter.drawRect(QRectF(6.0, 11.0, 4.0, 2.0));
  painter.drawRoundedRect(QRectF(3.0, 13.0, 10.0, 2.5), 0.8, 0.8);
}

void globe(QPainter& painter, const QPointF& centre, double radius, const QColor& sea) {
  QRadialGradient fill(centre - QPointF(radius / 3, radius / 3), radius * 1.4);
  fill.setColorAt(0, sea.lighter(160));
  fill.setColorAt(1, sea.darker(130));
  painter.setPen(QPen(sea.darker(200), 0.8));
  painter.setBrush(fill);
  painter.drawEllipse(centre, radius, radius);
  painter.setPen(QPen(QColor(255, 255, 255, 170), 0.7));
  painter.setBrush(Qt::NoBrush);
  painter.drawEllipse(centre, radius * 0.45, radius);
  painter.drawLine(centre - QPointF(radius, 0), centre + QPointF(radius, 0));
  painter.drawLine(centre - QPointF(0, radius), centre + QPointF(0, radius));
}

void networkImage(QPainter& painter) { globe(painter, QPointF(8.0, 8.0), 6.5, QColor(0x2E, 0x86, 0xD6)); }

void providerImage(QPainter& painter) {
  // A network provider: stacked service layers.
  for (int i = 0; i < 3; ++i) {
    const double y = 3.0 + i * 3.6;
    QLinearGradient fill(0, y, 0, y + 3);
    fill.setColorAt(0, QColor(0xB4, 0xC8, 0xE0));
    fill.setColorAt(1, QColor(0x6E, 0x8A, 0xB0));
    painter.setPen(QPen(QColor(0x3A, 0x50, 0x70), 0.8));
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(2.0, y, 12.0, 3.0), 1.2, 1.2);
  }
}

void domainImage(QPainter& painter) {
  monitor(painter, QRectF(5.5, 1.0, 9.5, 7.0));
  monitor(painter, QRectF(1.0, 6.5, 9.5, 7.0));
  painter.setPen(QPen(QColor(0x40, 0x40, 0x40), 0.8));
  painter.setBrush(QColor(0xB0, 0xB0, 0xA8));
  painter.drawRect(QRectF(3.0, 13.5, 5.5, 1.8));
}

void machineImage(QPainter& painter) {
  // A server tower beside a small screen.
  QLinearGradient case_(0, 0, 6, 0);
  case_.setColorAt(0, QColor(0xE4, 0xE4, 0xDC));
  case_.setColorAt(1, QColor(0xA8, 0xA8, 0xA0));
  painter.setPen(QPen(QColor(0x40, 0x40, 0x40), 0.8));
  painter.setBrush(case_);
  painter.drawRoundedRect(QRectF(1.5, 1.5, 6.0, 13.0), 0.8, 0.8);
  painter.setPen(QPen(QColor(0x60, 0x60, 0x60), 0.8));
  painter.drawLine(QPointF(3.0, 4.0), QPointF(6.0, 4.0));
  painter.drawLine(QPointF(3.0, 6.0), QPointF(6.0, 6.0));
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0x20, 0xC0, 0x30));
  painter.drawEllipse(QPointF(4.5, 12.0), 0.9, 0.9);
  monitor(painter, QRectF(8.0, 5.0, 7.0, 6.0));
  painter.setPen(QPen(QColor(0x40, 0x40, 0x40), 0.8));
  painter.setBrush(QColor(0xB0, 0xB0, 0xA8));
  painter.drawRect(QRectF(9.5, 12.5, 4.0, 2.0));
}

void genericImage(QPainter& painter) { globe(painter, QPointF(8.0, 8.0), 5.5, QColor(0x70, 0x90, 0xA8)); }

void shareImage(QPainter& painter) {
  folder(painter, QRectF(1.0, 1.0, 14.0, 9.5), QColor(0xF0, 0xC4, 0x40));
  painter.setPen(QPen(QColor(0x30, 0x50, 0x90), 1.4, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(QPointF(8.0, 10.5), QPointF(8.0, 14.0));
  painter.drawLine(QPointF(3.0, 14.5), QPointF(13.0, 14.5));
}

void registryImage(QPainter& painter, bool open) {
  const QColor colours[] = {QColor(0xE0, 0x40, 0x40), QColor(0x40, 0xA0, 0x40), QColor(0x40, 0x70, 0xD0),
                            QColor(0xE0, 0xB0, 0x30)};
  const QPointF corners[] = {{1.5, 1.5}, {8.5, 1.5}, {1.5, 8.5}, {8.5, 8.5}};
  for (int i = 0; i < 4; ++i) {
    const QPointF at = corners[i] + (open && i == 1 ? QPointF(1.0, -1.0) : QPointF());
    QLinearGradient fill(at, at + QPointF(6, 6));
    fill.setColorAt(0, colours[i].lighter(140));
    fill.setColorAt(1, colours[i]);
    painter.setPen(QPen(colours[i].darker(170), 0.8));
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(at, QSizeF(6.0, 6.0)), 1.0, 1.0);
  }
}

void browserImage(QPainter& painter, bool open) {
  painter.setPen(QPen(QColor(0x50, 0x60, 0x78), 0.8));
  painter.setBrush(Qt::white);
  painter.drawRect(QRectF(1.5, 1.5, 10.0, 12.0));
  painter.setPen(QPen(QColor(0x7C, 0x90, 0xB0), 0.9));
  for (int i = 0; i < 4; ++i) painter.drawLine(QPointF(3.5, 4.0 + 2.4 * i), QPointF(9.5, 4.0 + 2.4 * i));
  const QColor lens = open ? QColor(0x20, 0x80, 0x30) : QColor(0x20, 0x40, 0x80);
  painter.setPen(QPen(lens, 1.6, Qt::SolidLine, Qt::RoundCap));
  painter.setBrush(QColor(255, 255, 255, 180));
  painter.drawEllipse(QPointF(10.5, 10.0), 3.0, 3.0);
  painter.drawLine(QPointF(12.6, 12.1), QPointF(15.0, 14.5));
}

void noBrowserImage(QPainter& painter) {
  painter.setPen(QPen(QColor(0x90, 0x10, 0x10), 0.8));
  painter.setBrush(QColor(0xD8, 0x2C, 0x2C));
  painter.drawEllipse(QPointF(8.0, 8.0), 6.5, 6.5);
  painter.setPen(QPen(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(QPointF(5.5, 5.5), QPointF(10.5, 10.5));
  painter.drawLine(QPointF(10.5, 5.5), QPointF(5.5, 10.5));
}

void warningImage(QPainter& painter) {
  QPolygonF triangle({QPointF(8.0, 1.0), QPointF(15.2, 14.5), QPointF(0.8, 14.5)});
  painter.setPen(QPen(QColor(0x80, 0x60, 0x00), 0.9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(QColor(0xF6, 0xC8, 0x20));
  painter.drawPolygon(triangle);
  painter.setPen(QPen(Qt::black, 1.6, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(QPointF(8.0, 5.5), QPointF(8.0, 10.0));
  painter.drawPoint(QPointF(8.0, 12.4));
}

// ---- application icon ---------------------------------------------------------------------

// A blue tile with a gauge whose needle points to the right and a green lamp:
// a tool that watches a server.
void appIcon(QPainter& painter, int size) {
  const double s = size / 64.0;
  painter.scale(s, s);
  QLinearGradient tile(0, 0, 0, 64);
  tile.setColorAt(0, QColor(0x3C, 0x82, 0xDC));
  tile.setColorAt(1, QColor(0x14, 0x3E, 0x8C));
  painter.setPen(QPen(QColor(0x0C, 0x2A, 0x64), 2.0));
  painter.setBrush(tile);
  painter.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
  // The gauge face.
  painter.setPen(QPen(QColor(0xE8, 0xF0, 0xFC), 5.0, Qt::SolidLine, Qt::RoundCap));
  painter.setBrush(Qt::NoBrush);
  painter.drawArc(QRectF(12, 14, 40, 40), 200 * 16, -220 * 16);
  painter.setPen(QPen(QColor(0xE8, 0xF0, 0xFC), 2.5, Qt::SolidLine, Qt::RoundCap));
  for (int tick = 0; tick <= 4; ++tick) {
    const double angle = (200.0 - tick * 55.0) * M_PI / 180.0;
    const QPointF outer(32 + 14 * std::cos(angle), 34 - 14 * std::sin(angle));
    const QPointF inner(32 + 10.5 * std::cos(angle), 34 - 10.5 * std::sin(angle));
    painter.drawLine(inner, outer);
  }
  // The needle.
  painter.setPen(QPen(QColor(0xFF, 0xC8, 0x30), 4.0, Qt::SolidLine, Qt::RoundCap));
  const double needle = 35.0 * M_PI / 180.0;
  painter.drawLine(QPointF(32, 34), QPointF(32 + 17 * std::cos(needle), 34 - 17 * std::sin(needle)));
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0xE8, 0xF0, 0xFC));
  painter.drawEllipse(QPointF(32, 34), 4.5, 4.5);
  // The lamp.
  QRadialGradient glow(QPointF(48, 49), 8);
  glow.setColorAt(0, QColor(0xB8, 0xFF, 0xA8));
  glow.setColorAt(0.5, QColor(0x38, 0xC8, 0x3C));
  glow.setColorAt(1, QColor(0x14, 0x78, 0x1C));
  painter.setPen(QPen(QColor(0x0C, 0x40, 0x10), 1.5));
  painter.setBrush(glow);
  painter.drawEllipse(QPointF(49, 50), 7, 7);
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  bool ok = true;

  ok &= save(draw(14, 14, [](QPainter& p) { lamp(p, QColor(0xA0, 0xA0, 0xA0)); }), out, "lamp_off.png");
  ok &= save(draw(14, 14, [](QPainter& p) { lamp(p, QColor(0x28, 0xC0, 0x34)); }), out, "lamp_running.png");
  ok &= save(draw(14, 14, [](QPainter& p) { lamp(p, QColor(0xE4, 0x28, 0x20)); }), out, "lamp_failed.png");
  ok &= save(draw(14, 14, [](QPainter& p) { lamp(p, QColor(0xF4, 0xC0, 0x10)); }), out, "lamp_attention.png");
  ok &= save(draw(14, 14, lampMask), out, "lamp_mask.png");

  ok &= save(draw(16, 16, [](QPainter& p) { detailsGlyph(p, QColor(0x6A, 0xA6, 0xF0), QColor(0x1C, 0x4E, 0xA8)); }),
             out, "details.png");
  ok &= save(draw(16, 16, [](QPainter& p) { detailsGlyph(p, QColor(0xD0, 0xD0, 0xD0), QColor(0x98, 0x98, 0x98)); }),
             out, "details_disabled.png");

  ok &= save(strip(16, 15, {connectImage, disconnectImage, refreshImage, aboutImage, exitImage}), out,
             "toolbar_session.png");

  ok &= save(strip(16, 13,
                   {groupsRoot, groupImage, [](QPainter& p) { itemTag(p, QColor(0xE0, 0x70, 0x10), 2); },
                    [](QPainter& p) { itemTag(p, QColor(0x20, 0xA0, 0x30), 1); },
                    [](QPainter& p) { itemTag(p, QColor(0x30, 0x60, 0xC8), 3); }}),
             out, "tree_groups.png");

  ok &= save(strip(16, 16,
                   {computerImage, networkImage, providerImage, domainImage, machineImage, genericImage, shareImage,
                    [](QPainter& p) { registryImage(p, false); }, [](QPainter& p) { browserImage(p, false); },
                    [](QPainter&) {}, [](QPainter& p) { browserImage(p, true); },
                    [](QPainter& p) { registryImage(p, true); }, noBrowserImage, warningImage}),
             out, "tree_machines.png");

  for (int size : {16, 24, 32, 48, 64}) {
    ok &= save(draw(size, size, [size](QPainter& p) { appIcon(p, size); }), out,
               QStringLiteral("app_%1.png").arg(size));
  }
  return ok ? 0 : 1;
}
