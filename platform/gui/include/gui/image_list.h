#pragma once

// A list of equally sized images for tree and list controls, usually cut
// from one bitmap strip. Copies share the images.

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <memory>
#include <vector>

#include "gui/types.h"

namespace gui {

class ImageList {
 public:
  ImageList() = default;

  // Cuts bitmap resource `bitmapId` into images `cx` pixels wide (the strip's
  // height tall). Pixels of `maskColor` become transparent. False when the
  // bitmap does not exist.
  bool Create(UINT bitmapId, int cx, int grow, const QColor& maskColor);
  // Appends the images of a strip; returns the index of the first or -1.
  int Add(const QPixmap& strip, const QColor& maskColor);

  bool IsNull() const { return images_ == nullptr; }
  int GetImageCount() const { return images_ ? static_cast<int>(images_->size()) : 0; }
  QSize imageSize() const { return size_; }
  QPixmap pixmap(int index) const;
  // An icon whose normal and selected forms are images `normal` and `selected`.
  QIcon icon(int normal, int selected) const;

 private:
  std::shared_ptr<std::vector<QPixmap>> images_;
  QSize size_;
};

}  // namespace gui
