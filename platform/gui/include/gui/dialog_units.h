#pragma once

// Dialog units: a template's coordinates scaled by its font. One horizontal
// unit is a quarter of the font's average character width and one vertical
// unit an eighth of its height, so x pixels = x * w / 4 and y pixels =
// y * h / 8, rounded to the nearest pixel. The average width is measured the
// way the desktop platform does it: the advance of the 52 letters A-Z a-z,
// divided by 26 and halved with rounding.

#include <QFont>
#include <QRect>

#include "gui/dialog_template.h"

namespace gui {

class DialogUnits {
 public:
  explicit DialogUnits(const QFont& font);

  // The font a template asks for, with its family named explicitly.
  static QFont templateFont(const DialogFont& font);

  int baseWidth() const { return baseWidth_; }
  int baseHeight() const { return baseHeight_; }

  int toPixelsX(int units) const;
  int toPixelsY(int units) const;
  QRect toPixels(const DialogRect& rect) const;
  QSize toPixels(int cx, int cy) const;

 private:
  int baseWidth_;
  int baseHeight_;
};

}  // namespace gui
