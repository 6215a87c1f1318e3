#include "gui/list_box.h"

#include <QListWidget>
#include <QScrollBar>
#include <QSignalBlocker>

namespace gui {
namespace {

constexpr const char* kSortedProperty = "gui.sorted";
constexpr const char* kExtentProperty = "gui.horizontalExtent";

QListWidget* listOf(QWidget* widget) { return qobject_cast<QListWidget*>(widget); }

QStringList textsOf(const QListWidget* list) {
  QStringList texts;
  for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
  return texts;
}

}  // namespace

int sortedInsertIndex(const QStringList& entries, const QString& text) {
  for (int i = 0; i < entries.size(); ++i) {
    if (QString::compare(entries[i], text, Qt::CaseInsensitive) > 0) return i;
  }
  return static_cast<int>(entries.size());
}

int ListBox::AddString(const QString& text) {
  QListWidget* list = listOf(widget());
  if (list == nullptr) return LB_ERR;
  const int index = list->property(kSortedProperty).toBool() ? sortedInsertIndex(textsOf(list), text)
                                                               : list->count();
  list->insertItem(index, text);
  return index;
}

int ListBox::InsertString(int index, const QString& text) {
  QListWidget* list = listOf(widget());
  if (list == nullptr || index > list->count()) return LB_ERR;
  const int at = index < 0 ? list->count() : index;
  list->insertItem(at, text);
  return at;
}

int ListBox::DeleteString(int index) {
  QListWidget* list = listOf(widget());
  if (list == nullptr || index < 0 || index >= list->count()) return LB_ERR;
  delete list->takeItem(index);
  return list->count();
}

void ListBox::ResetContent() {
  if (QListWidget* list = listOf(widget())) list->clear();
}

int ListBox::GetCount() const {
  const QListWidget* list = listOf(widget());
  return list == nullptr ? LB_ERR : list->count();
}

int ListBox::GetCurSel() const {
  const QListWidget* list = listOf(widget());
  if (list == nullptr) return LB_ERR;
  const QList<QListWidgetItem*> selected = list->selectedItems();
  return selected.isEmpty() ? LB_ERR : list->row(selected.first());
}

int ListBox::SetCurSel(int index) {
  QListWidget* list = listOf(widget());
  if (list == nullptr) return LB_ERR;
  // A selection made by the program is no user's choice: no notification.
  const QSignalBlocker quiet(list);
  if (index < 0 || index >= list->count()) {
    list->clearSelection();
    list->setCurrentRow(-1);
    return LB_ERR;
  }
  list->setCurrentRow(index);
  list->scrollToItem(list->item(index));
  return index;
}

QString ListBox::GetText(int index) const {
  const QListWidget* list = listOf(widget());
  if (list == nullptr || index < 0 || index >= list->count()) return {};
  return list->item(index)->text();
}

int ListBox::GetTextLen(int index) const {
  const QListWidget* list = listOf(widget());
  if (list == nullptr || index < 0 || index >= list->count()) return LB_ERR;
  return static_cast<int>(list->item(index)->text().size());
}

int ListBox::SetItemData(int index, DWORD_PTR data) {
  QListWidget* list = listOf(widget());
  if (list == nullptr || index < 0 || index >= list->count()) return LB_ERR;
  list->item(index)->setData(Qt::UserRole, QVariant::fromValue<qulonglong>(data));
  return 0;
}

DWORD_PTR ListBox::GetItemData(int index) const {
  const QListWidget* list = listOf(widget());
  if (list == nullptr || index < 0 || index >= list->count()) return static_cast<DWORD_PTR>(LB_ERR);
  return static_cast<DWORD_PTR>(list->item(index)->data(Qt::UserRole).toULongLong());
}

int ListBox::FindStringExact(int startAfter, const QString& text) const {
  const QListWidget* list = listOf(widget());
  if (list == nullptr || list->count() == 0) return LB_ERR;
  const int count = list->count();
  const int first = (startAfter < 0 || startAfter >= count) ? 0 : startAfter + 1;
  for (int n = 0; n < count; ++n) {
    const int i = (first + n) % count;
    if (QString::compare(list->item(i)->text(), text, Qt::CaseInsensitive) == 0) return i;
  }
  return LB_ERR;
}

void ListBox::SetHorizontalExtent(int extent) {
  QListWidget* list = listOf(widget());
  if (list == nullptr) return;
  list->setProperty(kExtentProperty, extent);
  // Qt measures the entries itself; the extent decides whether the list may
  // scroll sideways at all, as it does on the desktop platform.
  list->setHorizontalScrollBarPolicy(extent > list->viewport()->width() ? Qt::ScrollBarAsNeeded
                                                                        : Qt::ScrollBarAlwaysOff);
}

int ListBox::GetHorizontalExtent() const {
  const QListWidget* list = listOf(widget());
  return list == nullptr ? 0 : list->property(kExtentProperty).toInt();
}

}  // namespace gui
