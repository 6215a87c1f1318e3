#include "gui/tree_ctrl.h"

#include "tree_widget.h"

namespace gui {
namespace {

TreeWidget* treeOf(QWidget* widget) { return dynamic_cast<TreeWidget*>(widget); }

TreeItem makeItem(const QString& text, int image, int selectedImage, DWORD_PTR data = 0) {
  return new TreeEntry(text, image, selectedImage, data);
}

void insertAt(TreeWidget* tree, TreeItem parent, int index, TreeItem item) {
  if (parent == nullptr) {
    tree->insertTopLevelItem(index, item);
  } else {
    parent->insertChild(index, item);
  }
}

int childCount(const TreeWidget* tree, TreeItem parent) {
  return parent == nullptr ? tree->topLevelItemCount() : parent->childCount();
}

}  // namespace

TreeItem TreeCtrl::InsertItem(const QString& text, int image, int selectedImage, TreeItem parent,
                              Position position) {
  TreeWidget* tree = treeOf(widget());
  if (tree == nullptr) return nullptr;
  TreeItem item = makeItem(text, image, selectedImage);
  insertAt(tree, parent, position == Position::First ? 0 : childCount(tree, parent), item);
  return item;
}

TreeItem TreeCtrl::InsertItem(const QString& text, int image, int selectedImage, TreeItem parent, DWORD_PTR data) {
  TreeWidget* tree = treeOf(widget());
  if (tree == nullptr) return nullptr;
  TreeItem item = makeItem(text, image, selectedImage, data);
  insertAt(tree, parent, childCount(tree, parent), item);
  return item;
}

TreeItem TreeCtrl::InsertItem(TreeTextCallback text, int image, int selectedImage, TreeItem parent,
                              DWORD_PTR data) {
  TreeWidget* tree = treeOf(widget());
  if (tree == nullptr || text == nullptr) return nullptr;
  TreeItem item = new TreeEntry(text, image, selectedImage, data);
  insertAt(tree, parent, childCount(tree, parent), item);
  return item;
}

TreeItem TreeCtrl::CreateDetachedItem(const QString& text, int image, int selectedImage) {
  if (treeOf(widget()) == nullptr) return nullptr;
  return makeItem(text, image, selectedImage);
}

bool TreeCtrl::AttachItem(TreeItem item, TreeItem parent) {
  TreeWidget* tree = treeOf(widget());
  if (tree == nullptr || item == nullptr || item->treeWidget() != nullptr || item->parent() != nullptr) return false;
  insertAt(tree, parent, childCount(tree, parent), item);
  return true;
}

TreeItem TreeCtrl::InsertItemAfter(const QString& text, int image, int selectedImage, TreeItem parent,
                                   TreeItem after) {
  TreeWidget* tree = treeOf(widget());
  if (tree == nullptr) return nullptr;
  const int afterIndex = after == nullptr ? -1
                         : parent == nullptr ? tree->indexOfTopLevelItem(after)
                                             : parent->indexOfChild(after);
  TreeItem item = makeItem(text, image, selectedImage);
  insertAt(tree, parent, afterIndex < 0 ? childCount(tree, parent) : afterIndex + 1, item);
  return item;
}

bool TreeCtrl::DeleteItem(TreeItem item) {
  if (treeOf(widget()) == nullptr || item == nullptr) return false;
  delete item;
  return true;
}

bool TreeCtrl::DeleteAllItems() {
  TreeWidget* tree = treeOf(widget());
  if (tree == nullptr) return false;
  tree->clear();
  return true;
}

int TreeCtrl::GetCount() const {
  TreeWidget* tree = treeOf(widget());
  if (tree == nullptr) return 0;
  int count = 0;
  for (QTreeWidgetItemIterator it(tree); *it != nullptr; ++it) ++count;
  return count;
}

TreeItem TreeCtrl::GetRootItem() const {
  TreeWidget* tree = treeOf(widget());
  return tree == nullptr ? nullptr : tree->topLevelItem(0);
}

TreeItem TreeCtrl::GetChildItem(TreeItem item) const {
  TreeWidget* tree = treeOf(widget());
  if (tree == nullptr) return nullptr;
  if (item == nullptr) return tree->topLevelItem(0);
  return item->child(0);
}

TreeItem TreeCtrl::GetNextSiblingItem(TreeItem item) const {
  TreeWidget* tree = treeOf(widget());
  if (tree == nullptr || item == nullptr) return nullptr;
  if (TreeItem parent = item->parent()) return parent->child(parent->indexOfChild(item) + 1);
  return tree->topLevelItem(tree->indexOfTopLevelItem(item) + 1);
}

TreeItem TreeCtrl::GetPrevSiblingItem(TreeItem item) const {
  TreeWidget* tree = treeOf(widget());
  if (tree == nullptr || item == nullptr) return nullptr;
  if (TreeItem parent = item->parent()) {
    const int index = parent->indexOfChild(item);
    return index > 0 ? parent->child(index - 1) : nullptr;
  }
  const int index = tree->indexOfTopLevelItem(item);
  return index > 0 ? tree->topLevelItem(index - 1) : nullptr;
}

TreeItem TreeCtrl::GetParentItem(TreeItem item) const { return item == nullptr ? nullptr : item->parent(); }

bool TreeCtrl::ItemHasChildren(TreeItem item) const { return item != nullptr && item->childCount() > 0; }

TreeItem TreeCtrl::GetSelectedItem() const {
  TreeWidget* tree = treeOf(widget());
  if (tree == nullptr) return nullptr;
  const QList<QTreeWidgetItem*> selected = tree->selectedItems();
  return selected.isEmpty() ? nullptr : selected.first();
}

bool TreeCtrl::SelectItem(TreeItem item) {
  TreeWidget* tree = treeOf(widget());
  if (tree == nullptr) return false;
  if (item == nullptr) {
    tree->clearSelection();
    tree->setCurrentItem(nullptr);
    return true;
  }
  tree->setCurrentItem(item);
  item->setSelected(true);
  return true;
}

bool TreeCtrl::Expand(TreeItem item, UINT action) {
  if (treeOf(widget()) == nullptr || item == nullptr) return false;
  const bool expand = action == TVE_TOGGLE ? !item->isExpanded() : (action & TVE_EXPAND) != 0;
  item->setExpanded(expand);
  return true;
}

bool TreeCtrl::EnsureVisible(TreeItem item) {
  TreeWidget* tree = treeOf(widget());
  if (tree == nullptr || item == nullptr) return false;
  tree->scrollToItem(item);
  return true;
}

UINT TreeCtrl::GetItemState(TreeItem item, UINT mask) const {
  if (item == nullptr) return 0;
  UINT state = 0;
  if (item->isSelected()) state |= TVIS_SELECTED;
  if (item->isExpanded()) state |= TVIS_EXPANDED;
  if (item->data(0, kExpandedOnceRole).toBool()) state |= TVIS_EXPANDEDONCE;
  return state & mask;
}

QString TreeCtrl::GetItemText(TreeItem item) const { return item == nullptr ? QString() : item->text(0); }

bool TreeCtrl::SetItemText(TreeItem item, const QString& text) {
  if (item == nullptr) return false;
  item->setText(0, text);
  return true;
}

bool TreeCtrl::GetItemImage(TreeItem item, int& image, int& selectedImage) const {
  if (item == nullptr || !item->data(0, kImageRole).isValid()) return false;
  image = item->data(0, kImageRole).toInt();
  selectedImage = item->data(0, kSelectedImageRole).toInt();
  return true;
}

bool TreeCtrl::SetItemImage(TreeItem item, int image, int selectedImage) {
  TreeWidget* tree = treeOf(widget());
  if (tree == nullptr || item == nullptr) return false;
  item->setData(0, kImageRole, image);
  item->setData(0, kSelectedImageRole, selectedImage);
  tree->applyImage(item);
  return true;
}

DWORD_PTR TreeCtrl::GetItemData(TreeItem item) const {
  return item == nullptr ? 0 : static_cast<DWORD_PTR>(item->data(0, kItemDataRole).toULongLong());
}

bool TreeCtrl::SetItemData(TreeItem item, DWORD_PTR data) {
  if (item == nullptr) return false;
  item->setData(0, kItemDataRole, QVariant::fromValue<qulonglong>(data));
  return true;
}

void TreeCtrl::SetImageList(const ImageList& images) {
  if (TreeWidget* tree = treeOf(widget())) tree->setImageList(images);
}

ImageList TreeCtrl::GetImageList() const {
  TreeWidget* tree = treeOf(widget());
  return tree == nullptr ? ImageList() : tree->imageList();
}

TreeItem TreeCtrl::HitTest(const QPoint& point) const {
  TreeWidget* tree = treeOf(widget());
  return tree == nullptr ? nullptr : tree->itemAt(point);
}

QRect TreeCtrl::GetItemRect(TreeItem item) const {
  TreeWidget* tree = treeOf(widget());
  return tree == nullptr || item == nullptr ? QRect() : tree->visualItemRect(item);
}

}  // namespace gui
