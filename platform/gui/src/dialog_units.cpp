#include "gui/dialog_units.h"

#include <QFontMetrics>
#include <cstdint>

namespace gui {
namespace {

// a * b / c rounded half away from zero, without intermediate overflow.
int mulDiv(int a, int b, int c) {
  const std::int64_t product = static_cast<std::int64_t>(a) * b;
  const std::int64_t half = c / 2;
  return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

}  // namespace

DialogUnits::DialogUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  const int letters = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  baseWidth_ = (letters / 26 + 1) / 2;
  baseHeight_ = metrics.height();
}

QFont DialogUnits::templateFont(const DialogFont& font) {
  QFont result(font.family, font.pointSize);
  // Keep the named family: a substitute would change every pixel size.
  result.setStyleHint(QFont::SansSerif, QFont::PreferMatch);
  return result;
}

int DialogUnits::toPixelsX(int units) const { return mulDiv(units, baseWidth_, 4); }
int DialogUnits::toPixelsY(int units) const { return mulDiv(units, baseHeight_, 8); }

QRect DialogUnits::toPixels(const DialogRect& rect) const {
  // Each value is scaled on its own, as the platform's dialog manager does.
  return QRect(toPixelsX(rect.x), toPixelsY(rect.y), toPixelsX(rect.cx), toPixelsY(rect.cy));
}

QSize DialogUnits::toPixels(int cx, int cy) const { return QSize(toPixelsX(cx), toPixelsY(cy)); }

}  // namespace gui
