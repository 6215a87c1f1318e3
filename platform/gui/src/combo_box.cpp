#include "gui/combo_box.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>

#include "gui/list_box.h"

namespace gui {
namespace {

constexpr const char* kSortedProperty = "gui.sorted";

QComboBox* comboOf(QWidget* widget) { return qobject_cast<QComboBox*>(widget); }

QStringList textsOf(const QComboBox* combo) {
  QStringList texts;
  for (int i = 0; i < combo->count(); ++i) texts << combo->itemText(i);
  return texts;
}

int findFrom(const QComboBox* combo, int startAfter, const QString& text, bool prefix) {
  const int count = combo->count();
  if (count == 0) return CB_ERR;
  const int first = (startAfter < 0 || startAfter >= count) ? 0 : startAfter + 1;
  for (int n = 0; n < count; ++n) {
    const int i = (first + n) % count;
    const QString entry = combo->itemText(i);
    const bool match = prefix ? entry.startsWith(text, Qt::CaseInsensitive)
                              : QString::compare(entry, text, Qt::CaseInsensitive) == 0;
    if (match) return i;
  }
  return CB_ERR;
}

}  // namespace

int ComboBox::AddString(const QString& text) {
  QComboBox* combo = comboOf(widget());
  // Changes made by the program are no user's choice: no notification.
  const QSignalBlocker quiet(combo);
  if (combo == nullptr) return CB_ERR;
  const int index = combo->property(kSortedProperty).toBool() ? sortedInsertIndex(textsOf(combo), text)
                                                                : combo->count();
  const QString editText = combo->isEditable() ? combo->currentText() : QString();
  const int current = combo->currentIndex();
  combo->insertItem(index, text);
  // A new entry neither selects itself nor moves the selection to another text.
  if (current < 0) {
    combo->setCurrentIndex(-1);
    if (combo->isEditable()) combo->setEditText(editText);
  }
  return index;
}

int ComboBox::InsertString(int index, const QString& text) {
  QComboBox* combo = comboOf(widget());
  // Changes made by the program are no user's choice: no notification.
  const QSignalBlocker quiet(combo);
  if (combo == nullptr || index > combo->count()) return CB_ERR;
  const int at = index < 0 ? combo->count() : index;
  const bool hadSelection = combo->currentIndex() >= 0;
  combo->insertItem(at, text);
  if (!hadSelection) combo->setCurrentIndex(-1);
  return at;
}

int ComboBox::DeleteString(int index) {
  QComboBox* combo = comboOf(widget());
  // Changes made by the program are no user's choice: no notification.
  const QSignalBlocker quiet(combo);
  if (combo == nullptr || index < 0 || index >= combo->count()) return CB_ERR;
  combo->removeItem(index);
  return combo->count();
}

void ComboBox::ResetContent() {
  if (QComboBox* combo = comboOf(widget())) {
    const QSignalBlocker quiet(combo);
    combo->clear();
    if (combo->isEditable()) combo->clearEditText();
  }
}

int ComboBox::GetCount() const {
  const QComboBox* combo = comboOf(widget());
  return combo == nullptr ? CB_ERR : combo->count();
}

int ComboBox::GetCurSel() const {
  const QComboBox* combo = comboOf(widget());
  if (combo == nullptr || combo->currentIndex() < 0) return CB_ERR;
  // In an editable box a typed text that is not the entry's text means no selection.
  if (combo->isEditable() && combo->currentText() != combo->itemText(combo->currentIndex())) return CB_ERR;
  return combo->currentIndex();
}

int ComboBox::SetCurSel(int index) {
  QComboBox* combo = comboOf(widget());
  // Changes made by the program are no user's choice: no notification.
  const QSignalBlocker quiet(combo);
  if (combo == nullptr) return CB_ERR;
  if (index < 0 || index >= combo->count()) {
    combo->setCurrentIndex(-1);
    if (combo->isEditable()) combo->clearEditText();
    return CB_ERR;
  }
  combo->setCurrentIndex(index);
  return index;
}

QString ComboBox::GetLBText(int index) const {
  const QComboBox* combo = comboOf(widget());
  if (combo == nullptr || index < 0 || index >= combo->count()) return {};
  return combo->itemText(index);
}

int ComboBox::SetItemData(int index, DWORD_PTR data) {
  QComboBox* combo = comboOf(widget());
  if (combo == nullptr || index < 0 || index >= combo->count()) return CB_ERR;
  combo->setItemData(index, QVariant::fromValue<qulonglong>(data));
  return 0;
}

DWORD_PTR ComboBox::GetItemData(int index) const {
  const QComboBox* combo = comboOf(widget());
  if (combo == nullptr || index < 0 || index >= combo->count()) return static_cast<DWORD_PTR>(CB_ERR);
  return static_cast<DWORD_PTR>(combo->itemData(index).toULongLong());
}

int ComboBox::FindStringExact(int startAfter, const QString& text) const {
  const QComboBox* combo = comboOf(widget());
  return combo == nullptr ? CB_ERR : findFrom(combo, startAfter, text, false);
}

int ComboBox::SelectString(int startAfter, const QString& text) {
  QComboBox* combo = comboOf(widget());
  // Changes made by the program are no user's choice: no notification.
  const QSignalBlocker quiet(combo);
  if (combo == nullptr) return CB_ERR;
  const int index = findFrom(combo, startAfter, text, true);
  if (index != CB_ERR) combo->setCurrentIndex(index);
  return index;
}

void ComboBox::LimitText(int maxChars) {
  QComboBox* combo = comboOf(widget());
  if (combo != nullptr && combo->lineEdit() != nullptr) {
    combo->lineEdit()->setMaxLength(maxChars > 0 ? maxChars : 32767);
  }
}

bool ComboBox::isEditable() const {
  const QComboBox* combo = comboOf(widget());
  return combo != nullptr && combo->isEditable();
}

}  // namespace gui
