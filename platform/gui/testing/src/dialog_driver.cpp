#include "gui/testing/dialog_driver.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTreeWidget>

#include "gui/testing/frame_helpers.h"
#include "gui/testing/pump.h"

namespace gui::testing {
namespace {

// Types a text into a line edit as a user would: it replaces the selection,
// goes through the validator and length limit, and counts as an edit.
void typeInto(QLineEdit* edit, const QString& text) {
  edit->setFocus(Qt::OtherFocusReason);
  edit->selectAll();
  if (text.isEmpty()) {
    edit->del();
  } else {
    edit->insert(text);
  }
}

}  // namespace

QString DialogDriver::caption() const { return dialog_.GetWindowText(); }

QWidget* DialogDriver::control(int id) const {
  QWidget* widget = dialog_.GetDlgItem(id);
  if (widget == nullptr) {
    ADD_FAILURE() << "Dialog " << dialog_.templateId() << " has no control " << id;
  }
  return widget;
}

bool DialogDriver::usable(int id, QWidget* widget) const {
  if (widget == nullptr) return false;
  if (dialog_.hasEnded()) {
    ADD_FAILURE() << "Dialog " << dialog_.templateId() << " has already ended; control " << id << " is gone";
    return false;
  }
  if (!widget->isEnabled() || !widget->isVisibleTo(widget->window())) {
    ADD_FAILURE() << "Control " << id << " of dialog " << dialog_.templateId() << " is "
                  << (widget->isEnabled() ? "hidden" : "greyed") << "; a user cannot use it";
    return false;
  }
  return true;
}

void DialogDriver::setText(int id, const QString& text) {
  QWidget* widget = control(id);
  if (!usable(id, widget)) return;
  if (auto* line = qobject_cast<QLineEdit*>(widget)) {
    typeInto(line, text);
  } else if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) {
    plain->setPlainText(text);
  } else if (auto* combo = qobject_cast<QComboBox*>(widget); combo != nullptr && combo->lineEdit() != nullptr) {
    typeInto(combo->lineEdit(), text);
  } else {
    dialog_.SetDlgItemText(id, text);
  }
}

QString DialogDriver::text(int id) const { return control(id) == nullptr ? QString() : dialog_.GetDlgItemText(id); }

void DialogDriver::check(int id, bool on) {
  auto* button = qobject_cast<QAbstractButton*>(control(id));
  if (button == nullptr) {
    ADD_FAILURE() << "Control " << id << " is not a check box or radio button";
    return;
  }
  if (usable(id, button) && button->isChecked() != on) button->click();
}

bool DialogDriver::isChecked(int id) const {
  auto* button = qobject_cast<QAbstractButton*>(control(id));
  return button != nullptr && button->isChecked();
}

void DialogDriver::select(int id, int index) {
  QWidget* widget = control(id);
  if (!usable(id, widget)) return;
  if (auto* list = qobject_cast<QListWidget*>(widget)) {
    if (index < 0 || index >= list->count()) {
      ADD_FAILURE() << "List box " << id << " has no entry " << index;
      return;
    }
    list->setCurrentRow(index);
  } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
    if (index < 0 || index >= combo->count()) {
      ADD_FAILURE() << "Combo box " << id << " has no entry " << index;
      return;
    }
    combo->setCurrentIndex(index);
  } else {
    ADD_FAILURE() << "Control " << id << " is not a list or combo box";
  }
}

void DialogDriver::selectText(int id, const QString& text) {
  const QStringList all = entries(id);
  const auto index = all.indexOf(text);
  if (index < 0) {
    ADD_FAILURE() << "Control " << id << " has no entry \"" << text.toStdString() << "\"";
    return;
  }
  select(id, static_cast<int>(index));
}

int DialogDriver::selectedIndex(int id) const {
  QWidget* widget = control(id);
  if (auto* list = qobject_cast<QListWidget*>(widget)) return list->currentRow();
  if (auto* combo = qobject_cast<QComboBox*>(widget)) return combo->currentIndex();
  return -1;
}

QStringList DialogDriver::entries(int id) const {
  QStringList result;
  QWidget* widget = control(id);
  if (auto* list = qobject_cast<QListWidget*>(widget)) {
    for (int i = 0; i < list->count(); ++i) result << list->item(i)->text();
  } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
    for (int i = 0; i < combo->count(); ++i) result << combo->itemText(i);
  }
  return result;
}

void DialogDriver::press(int id) {
  auto* button = qobject_cast<QAbstractButton*>(control(id));
  if (button == nullptr) {
    if (dialog_.GetDlgItem(id) != nullptr) ADD_FAILURE() << "Control " << id << " is not a button";
    return;
  }
  if (usable(id, button)) button->click();
}

void DialogDriver::pressEscape() {
  QWidget* widget = dialog_.widget();
  if (widget == nullptr || dialog_.hasEnded()) {
    ADD_FAILURE() << "Dialog " << dialog_.templateId() << " has already ended";
    return;
  }
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QCoreApplication::sendEvent(widget, &press);
}

void DialogDriver::clickCloseBox() {
  QWidget* widget = dialog_.widget();
  if (widget == nullptr || dialog_.hasEnded()) {
    ADD_FAILURE() << "Dialog " << dialog_.templateId() << " has already ended";
    return;
  }
  widget->close();
  pumpEvents();  // the close request is a posted message
}

bool DialogDriver::isEnabled(int id) const {
  QWidget* widget = control(id);
  return widget != nullptr && widget->isEnabled();
}

bool DialogDriver::isVisible(int id) const {
  QWidget* widget = control(id);
  return widget != nullptr && widget->isVisibleTo(widget->window());
}

QString DialogDriver::toolTip(int id) const {
  return control(id) == nullptr ? QString() : controlToolTip(dialog_, id);
}

QTreeWidgetItem* DialogDriver::treeItem(int id, const QStringList& path) const {
  auto* tree = qobject_cast<QTreeWidget*>(control(id));
  if (tree == nullptr || path.isEmpty()) return nullptr;
  QTreeWidgetItem* item = nullptr;
  for (const QString& step : path) {
    QTreeWidgetItem* found = nullptr;
    const int count = item == nullptr ? tree->topLevelItemCount() : item->childCount();
    for (int i = 0; i < count && found == nullptr; ++i) {
      QTreeWidgetItem* candidate = item == nullptr ? tree->topLevelItem(i) : item->child(i);
      if (candidate->text(0) == step) found = candidate;
    }
    if (found == nullptr) {
      ADD_FAILURE() << "Tree " << id << " has no entry \"" << path.join(QStringLiteral(" > ")).toStdString() << "\"";
      return nullptr;
    }
    item = found;
  }
  return item;
}

void DialogDriver::selectTreeItem(int id, const QStringList& path) {
  if (QTreeWidgetItem* item = treeItem(id, path)) item->treeWidget()->setCurrentItem(item);
}

void DialogDriver::expandTreeItem(int id, const QStringList& path) {
  if (QTreeWidgetItem* item = treeItem(id, path)) item->setExpanded(true);
}

void DialogDriver::selectRow(int id, int row) {
  auto* list = qobject_cast<QTreeWidget*>(control(id));
  if (list == nullptr || row < 0 || row >= list->topLevelItemCount()) {
    ADD_FAILURE() << "List view " << id << " has no row " << row;
    return;
  }
  list->setCurrentItem(list->topLevelItem(row));
}

void DialogDriver::doubleClickRow(int id, int row) {
  auto* list = qobject_cast<QTreeWidget*>(control(id));
  if (list == nullptr || row < 0 || row >= list->topLevelItemCount()) {
    ADD_FAILURE() << "List view " << id << " has no row " << row;
    return;
  }
  QTreeWidgetItem* item = list->topLevelItem(row);
  list->setCurrentItem(item);
  emit list->itemDoubleClicked(item, 0);
}

void DialogDriver::pumpEvents() const { testing::pumpEvents(); }

bool DialogDriver::pumpUntil(const std::function<bool()>& done, int timeoutMs) const {
  return testing::pumpUntil(done, timeoutMs);
}

}  // namespace gui::testing
