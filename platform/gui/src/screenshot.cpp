#include "gui/screenshot.h"

#include <QApplication>
#include <QDialog>
#include <QPainter>
#include <QWidget>
#include <algorithm>

#include "gui/modal_stack.h"
#include "gui/window.h"

namespace gui {
namespace {

constexpr int kCaptionHeight = 22;
constexpr int kBorder = 1;

struct Framed {
  QWidget* window;
  QRect outer;  // caption and border included, in global coordinates
};

Framed frameOf(QWidget* window) {
  const QRect inner = QRect(window->mapToGlobal(QPoint(0, 0)), window->size());
  return {window, inner.adjusted(-kBorder, -kCaptionHeight - kBorder, kBorder, kBorder)};
}

void paintFramed(QPainter& painter, const Framed& framed, const QPoint& origin, bool active) {
  const QRect outer = framed.outer.translated(-origin);
  painter.fillRect(outer, QColor(0x40, 0x40, 0x40));
  const QRect caption(outer.left() + kBorder, outer.top() + kBorder, outer.width() - 2 * kBorder, kCaptionHeight);
  QLinearGradient gradient(caption.topLeft(), caption.topRight());
  gradient.setColorAt(0, active ? QColor(0x0A, 0x24, 0x6A) : QColor(0x80, 0x80, 0x80));
  gradient.setColorAt(1, active ? QColor(0xA6, 0xCA, 0xF0) : QColor(0xC0, 0xC0, 0xC0));
  painter.fillRect(caption, gradient);
  painter.setPen(Qt::white);
  QFont font = QApplication::font();
  font.setBold(true);
  painter.setFont(font);
  if (!framed.window->windowIcon().isNull() && !qobject_cast<QDialog*>(framed.window)) {
    painter.drawPixmap(caption.left() + 4, caption.top() + 3, framed.window->windowIcon().pixmap(16, 16));
    painter.drawText(caption.adjusted(24, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft, framed.window->windowTitle());
  } else {
    painter.drawText(caption.adjusted(6, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft, framed.window->windowTitle());
  }
  painter.drawPixmap(outer.left() + kBorder, caption.bottom() + 1, framed.window->grab());
}

}  // namespace

QImage grabWindows(QWidget* mainWindow) {
  if (mainWindow == nullptr) return {};
  std::vector<Framed> windows{frameOf(mainWindow)};
  // Modal windows in the order they opened, so the innermost is painted last.
  std::vector<QWidget*> dialogs;
  for (Window* modal : ModalStack::instance().windows()) {
    if (modal->widget() != nullptr && modal->widget()->isVisible()) dialogs.push_back(modal->widget());
  }
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (top == mainWindow || !top->isVisible() || qobject_cast<QDialog*>(top) == nullptr) continue;
    if (std::find(dialogs.begin(), dialogs.end(), top) == dialogs.end()) dialogs.insert(dialogs.begin(), top);
  }
  for (QWidget* dialog : dialogs) windows.push_back(frameOf(dialog));
  QRect bounds;
  for (const Framed& framed : windows) bounds |= framed.outer;
  QImage image(bounds.size(), QImage::Format_RGB32);
  image.fill(QColor(0x3A, 0x6E, 0xA5));  // a desktop behind the windows
  QPainter painter(&image);
  for (std::size_t i = 0; i < windows.size(); ++i) {
    paintFramed(painter, windows[i], bounds.topLeft(), i + 1 == windows.size());
  }
  return image;
}

bool saveScreenshot(QWidget* mainWindow, const QString& fileName) {
  const QImage image = grabWindows(mainWindow);
  return !image.isNull() && image.save(fileName, "PNG");
}

}  // namespace gui
