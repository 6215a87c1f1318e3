#pragma once

// The widget behind tree controls and tree views: a QTreeWidget with an
// image list, the item roles the tree control uses, and the desktop
// platform's dotted lines and boxed expand buttons when asked for.

#include <QIcon>
#include <QTreeWidget>
#include <map>
#include <utility>

#include "gui/image_list.h"
#include "gui/tree_ctrl.h"
#include "gui/types.h"

namespace gui {

// Item roles used by tree and list controls.
constexpr int kItemDataRole = Qt::UserRole;
constexpr int kImageRole = Qt::UserRole + 1;
constexpr int kSelectedImageRole = Qt::UserRole + 2;
constexpr int kExpandedOnceRole = Qt::UserRole + 3;

// An entry made by the tree control. Its image indexes and item data are
// plain members rather than item roles, and its icon is the tree's shared
// icon for its images, looked up when the entry is drawn: a tree with a
// hundred thousand entries then costs little more than their texts. The
// roles above still read and write them, so callers see no difference.
// An entry made with a text callback holds no text at all until one is set:
// its text is made from its item data when it is read.
class TreeEntry : public QTreeWidgetItem {
 public:
  TreeEntry(const QString& text, int image, int selectedImage, DWORD_PTR data = 0);
  TreeEntry(TreeTextCallback text, int image, int selectedImage, DWORD_PTR data);

  QVariant data(int column, int role) const override;
  void setData(int column, int role, const QVariant& value) override;
  // Tells the view that the icon changed (a new image list).
  void iconChanged() { emitDataChanged(); }

 private:
  int image_;
  int selectedImage_;
  DWORD_PTR data_;
  // Null once the entry has a text of its own.
  TreeTextCallback textCallback_ = nullptr;
};

class TreeWidget : public QTreeWidget {
 public:
  explicit TreeWidget(QWidget* parent = nullptr);

  void setImageList(const ImageList& images);
  const ImageList& imageList() const { return images_; }
  // Re-applies an entry's icon from its image indexes.
  void applyImage(QTreeWidgetItem* item) const;
  // The shared icon of a pair of images; a null icon without image list.
  QIcon iconFor(int image, int selectedImage) const;
  // Tree styles: lines between entries and boxed expand buttons.
  void setLineStyle(bool hasLines, bool hasButtons, bool linesAtRoot);

 protected:
  void drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const override;

 private:
  ImageList images_;
  // One icon per pair of images, shared by every entry that shows it, so
  // that a tree of many entries does not hold an icon of its own per entry.
  mutable std::map<std::pair<int, int>, QIcon> icons_;
  bool hasLines_ = false;
  bool hasButtons_ = true;
  bool linesAtRoot_ = true;
};

}  // namespace gui
