#include "gui/list_ctrl.h"

#include <QFontMetrics>
#include <QHeaderView>

#include "tree_widget.h"

namespace gui {
namespace {

TreeWidget* listOf(QWidget* widget) { return dynamic_cast<TreeWidget*>(widget); }

QTreeWidgetItem* rowOf(QWidget* widget, int row) {
  TreeWidget* list = listOf(widget);
  return list == nullptr || row < 0 ? nullptr : list->topLevelItem(row);
}

Qt::Alignment alignmentOf(int format) {
  switch (format & 3) {
    case LVCFMT_RIGHT: return Qt::AlignRight | Qt::AlignVCenter;
    case LVCFMT_CENTER: return Qt::AlignHCenter | Qt::AlignVCenter;
    default: return Qt::AlignLeft | Qt::AlignVCenter;
  }
}

}  // namespace

int ListCtrl::InsertColumn(int column, const QString& heading, int format, int width) {
  TreeWidget* list = listOf(widget());
  if (list == nullptr || column < 0) return -1;
  QTreeWidgetItem* header = list->headerItem();
  // A fresh control shows one unnamed column; the first insert names it.
  const bool fresh = list->property("gui.columns").toInt() == 0;
  const int count = fresh ? 0 : list->columnCount();
  const int at = qMin(column, count);
  QStringList labels;
  for (int i = 0; i < count; ++i) labels << header->text(i);
  labels.insert(at, heading);
  list->setColumnCount(static_cast<int>(labels.size()));
  list->setHeaderLabels(labels);
  header->setTextAlignment(at, alignmentOf(format));
  list->setProperty("gui.columns", static_cast<int>(labels.size()));
  if (width >= 0) list->setColumnWidth(at, width);
  return at;
}

int ListCtrl::GetColumnCount() const {
  TreeWidget* list = listOf(widget());
  return list == nullptr ? 0 : list->property("gui.columns").toInt();
}

int ListCtrl::GetColumnWidth(int column) const {
  TreeWidget* list = listOf(widget());
  return list == nullptr ? 0 : list->columnWidth(column);
}

bool ListCtrl::SetColumnWidth(int column, int width) {
  TreeWidget* list = listOf(widget());
  if (list == nullptr || column < 0 || column >= list->columnCount()) return false;
  list->setColumnWidth(column, width);
  return true;
}

int ListCtrl::GetStringWidth(const QString& text) const {
  return QFontMetrics(GetFont()).horizontalAdvance(text);
}

int ListCtrl::InsertItem(int row, const QString& text, int image) {
  TreeWidget* list = listOf(widget());
  if (list == nullptr) return -1;
  const int at = row < 0 || row > list->topLevelItemCount() ? list->topLevelItemCount() : row;
  auto* item = new QTreeWidgetItem(QStringList(text));
  if (image >= 0) {
    item->setData(0, kImageRole, image);
    item->setData(0, kSelectedImageRole, image);
    list->applyImage(item);
  }
  list->insertTopLevelItem(at, item);
  return at;
}

bool ListCtrl::SetItemText(int row, int column, const QString& text) {
  QTreeWidgetItem* item = rowOf(widget(), row);
  if (item == nullptr || column < 0) return false;
  item->setText(column, text);
  return true;
}

QString ListCtrl::GetItemText(int row, int column) const {
  QTreeWidgetItem* item = rowOf(widget(), row);
  return item == nullptr ? QString() : item->text(column);
}

bool ListCtrl::DeleteItem(int row) {
  QTreeWidgetItem* item = rowOf(widget(), row);
  if (item == nullptr) return false;
  delete item;
  return true;
}

bool ListCtrl::DeleteAllItems() {
  TreeWidget* list = listOf(widget());
  if (list == nullptr) return false;
  list->clear();
  return true;
}

int ListCtrl::GetItemCount() const {
  TreeWidget* list = listOf(widget());
  return list == nullptr ? 0 : list->topLevelItemCount();
}

bool ListCtrl::SetItemData(int row, DWORD_PTR data) {
  QTreeWidgetItem* item = rowOf(widget(), row);
  if (item == nullptr) return false;
  item->setData(0, kItemDataRole, QVariant::fromValue<qulonglong>(data));
  return true;
}

DWORD_PTR ListCtrl::GetItemData(int row) const {
  QTreeWidgetItem* item = rowOf(widget(), row);
  return item == nullptr ? 0 : static_cast<DWORD_PTR>(item->data(0, kItemDataRole).toULongLong());
}

int ListCtrl::GetNextItem(int start, UINT flags) const {
  TreeWidget* list = listOf(widget());
  if (list == nullptr) return -1;
  for (int row = start + 1; row < list->topLevelItemCount(); ++row) {
    if ((flags & LVNI_SELECTED) == 0 || list->topLevelItem(row)->isSelected()) return row;
  }
  return -1;
}

bool ListCtrl::SetItemState(int row, UINT state, UINT mask) {
  TreeWidget* list = listOf(widget());
  QTreeWidgetItem* item = rowOf(widget(), row);
  if (item == nullptr) return false;
  if (mask & LVIS_SELECTED) item->setSelected((state & LVIS_SELECTED) != 0);
  if ((mask & LVIS_FOCUSED) && (state & LVIS_FOCUSED)) {
    list->setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
  }
  return true;
}

UINT ListCtrl::GetItemState(int row, UINT mask) const {
  TreeWidget* list = listOf(widget());
  QTreeWidgetItem* item = rowOf(widget(), row);
  if (item == nullptr) return 0;
  UINT state = 0;
  if (item->isSelected()) state |= LVIS_SELECTED;
  if (list->currentItem() == item) state |= LVIS_FOCUSED;
  return state & mask;
}

bool ListCtrl::EnsureVisible(int row) {
  TreeWidget* list = listOf(widget());
  QTreeWidgetItem* item = rowOf(widget(), row);
  if (item == nullptr) return false;
  list->scrollToItem(item);
  return true;
}

QRect ListCtrl::GetItemRect(int row) const {
  TreeWidget* list = listOf(widget());
  QTreeWidgetItem* item = rowOf(widget(), row);
  return item == nullptr ? QRect() : list->visualItemRect(item);
}

void ListCtrl::SetImageList(const ImageList& images) {
  if (TreeWidget* list = listOf(widget())) list->setImageList(images);
}

}  // namespace gui
