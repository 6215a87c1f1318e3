#pragma once

// The widget behind tree controls and tree views: a QTreeWidget with an
// image list, the item roles the tree control uses, and the desktop
// platform's dotted lines and boxed expand buttons when asked for.

#include <QTreeWidget>

#include "gui/image_list.h"

namespace gui {

// Item roles used by tree and list controls.
constexpr int kItemDataRole = Qt::UserRole;
constexpr int kImageRole = Qt::UserRole + 1;
constexpr int kSelectedImageRole = Qt::UserRole + 2;
constexpr int kExpandedOnceRole = Qt::UserRole + 3;

class TreeWidget : public QTreeWidget {
 public:
  explicit TreeWidget(QWidget* parent = nullptr);

  void setImageList(const ImageList& images);
  const ImageList& imageList() const { return images_; }
  // Re-applies an entry's icon from its image indexes.
  void applyImage(QTreeWidgetItem* item) const;
  // Tree styles: lines between entries and boxed expand buttons.
  void setLineStyle(bool hasLines, bool hasButtons, bool linesAtRoot);

 protected:
  void drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const override;

 private:
  ImageList images_;
  bool hasLines_ = false;
  bool hasButtons_ = true;
  bool linesAtRoot_ = true;
};

}  // namespace gui
