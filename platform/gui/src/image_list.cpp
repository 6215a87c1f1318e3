#include "gui/image_list.h"

#include <QBitmap>

#include "gui/resources.h"

namespace gui {

bool ImageList::Create(UINT bitmapId, int cx, int /*grow*/, const QColor& maskColor) {
  const QPixmap strip = LoadBitmap(bitmapId);
  if (strip.isNull() || cx <= 0) return false;
  images_ = std::make_shared<std::vector<QPixmap>>();
  size_ = QSize(cx, strip.height());
  Add(strip, maskColor);
  return true;
}

int ImageList::Add(const QPixmap& strip, const QColor& maskColor) {
  if (!images_) {
    images_ = std::make_shared<std::vector<QPixmap>>();
    size_ = QSize(strip.height(), strip.height());
  }
  if (strip.isNull() || size_.width() <= 0) return -1;
  QPixmap masked = strip;
  if (maskColor.isValid()) masked.setMask(strip.createMaskFromColor(maskColor, Qt::MaskInColor));
  const int first = static_cast<int>(images_->size());
  for (int x = 0; x + size_.width() <= masked.width(); x += size_.width()) {
    images_->push_back(masked.copy(x, 0, size_.width(), masked.height()));
  }
  return first;
}

QPixmap ImageList::pixmap(int index) const {
  if (!images_ || index < 0 || index >= static_cast<int>(images_->size())) return QPixmap();
  return (*images_)[index];
}

QIcon ImageList::icon(int normal, int selected) const {
  QIcon icon;
  const QPixmap normalImage = pixmap(normal);
  if (normalImage.isNull()) return icon;
  const QPixmap selectedImage = pixmap(selected);
  icon.addPixmap(normalImage, QIcon::Normal);
  // Name the selected form explicitly; otherwise the style tints the image.
  icon.addPixmap(selectedImage.isNull() ? normalImage : selectedImage, QIcon::Selected);
  return icon;
}

}  // namespace gui
