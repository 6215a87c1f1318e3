#pragma once

// A tree control. Entries are QTreeWidgetItem pointers, valid until the
// entry is deleted; each carries an image index (normal and selected) from
// the control's image list and a number of item data.

#include "gui/control.h"
#include "gui/image_list.h"
#include "gui/notify_info.h"

class QTreeWidgetItem;

namespace gui {

using TreeItem = QTreeWidgetItem*;
// Makes an entry's text from its item data whenever the text is asked for
// (the desktop control's text callback). An entry with many siblings then
// holds no copy of a text that its item data already holds.
using TreeTextCallback = QString (*)(DWORD_PTR data);

constexpr UINT TVE_TOGGLE = 0x0003;
constexpr UINT TVIS_SELECTED = 0x0002;
constexpr UINT TVIS_EXPANDED = 0x0020;
constexpr UINT TVIS_EXPANDEDONCE = 0x0040;

class TreeCtrl : public Control {
 public:
  using Control::Control;

  enum class Position { First, Last };

  // Inserts an entry under `parent` (nullptr: at the top level).
  TreeItem InsertItem(const QString& text, int image, int selectedImage, TreeItem parent = nullptr,
                      Position position = Position::Last);
  // The same with the entry's item data set before the entry joins the
  // tree, which spares the control a change notice per entry when many are
  // inserted.
  TreeItem InsertItem(const QString& text, int image, int selectedImage, TreeItem parent, DWORD_PTR data);
  // The same with the text made by `text` from the item data each time it
  // is read, until the entry is given a text of its own (SetItemText). The
  // data must stay valid for as long as the entry exists.
  TreeItem InsertItem(TreeTextCallback text, int image, int selectedImage, TreeItem parent, DWORD_PTR data);
  // An entry that belongs to no tree yet. Entries inserted under it join no
  // tree either, so they cost the control no change notice each; AttachItem
  // then adds it, with everything under it, in one step. A detached entry
  // that is never attached is deleted with DeleteItem.
  TreeItem CreateDetachedItem(const QString& text, int image, int selectedImage);
  // Adds a detached entry as the last child of `parent` (nullptr: at the top level).
  bool AttachItem(TreeItem item, TreeItem parent);
  TreeItem InsertItemAfter(const QString& text, int image, int selectedImage, TreeItem parent, TreeItem after);
  bool DeleteItem(TreeItem item);  // with its sub-tree
  bool DeleteAllItems();
  int GetCount() const;

  TreeItem GetRootItem() const;
  TreeItem GetChildItem(TreeItem item) const;
  TreeItem GetNextSiblingItem(TreeItem item) const;
  TreeItem GetPrevSiblingItem(TreeItem item) const;
  TreeItem GetParentItem(TreeItem item) const;
  bool ItemHasChildren(TreeItem item) const;

  TreeItem GetSelectedItem() const;
  bool SelectItem(TreeItem item);
  bool Expand(TreeItem item, UINT action);
  bool EnsureVisible(TreeItem item);
  UINT GetItemState(TreeItem item, UINT mask) const;

  QString GetItemText(TreeItem item) const;
  bool SetItemText(TreeItem item, const QString& text);
  bool GetItemImage(TreeItem item, int& image, int& selectedImage) const;
  bool SetItemImage(TreeItem item, int image, int selectedImage);
  DWORD_PTR GetItemData(TreeItem item) const;
  bool SetItemData(TreeItem item, DWORD_PTR data);

  void SetImageList(const ImageList& images);
  ImageList GetImageList() const;

  // The entry at a position in the control's viewport, or nullptr.
  TreeItem HitTest(const QPoint& point) const;
  // The entry's rectangle in the control's viewport.
  QRect GetItemRect(TreeItem item) const;
};

}  // namespace gui
