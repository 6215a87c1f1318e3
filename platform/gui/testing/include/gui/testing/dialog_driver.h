#pragma once

// What a test's script does in an open dialog: it works the real widgets as
// a user would (typing into a field, clicking a check box, choosing a list
// entry, pressing a button), so the dialog's notifications and handlers run
// as in the program. A control that does not exist, or a button that is
// greyed or hidden, fails the test.

#include <QStringList>
#include <functional>

#include "gui/dialog.h"

class QTreeWidgetItem;

namespace gui::testing {

class DialogDriver {
 public:
  explicit DialogDriver(Dialog& dialog) : dialog_(dialog) {}

  Dialog& dialog() const { return dialog_; }
  UINT templateId() const { return dialog_.templateId(); }
  QString caption() const;
  bool ended() const { return dialog_.hasEnded(); }
  int result() const { return dialog_.result(); }

  // The control's widget; fails the test (and returns nullptr) when missing.
  QWidget* control(int id) const;

  // Replaces the text of an edit, an editable combo box or an IP address field.
  void setText(int id, const QString& text);
  QString text(int id) const;
  // Clicks a check box or radio button if its state must change.
  void check(int id, bool on = true);
  bool isChecked(int id) const;
  // Chooses an entry of a list box or combo box.
  void select(int id, int index);
  void selectText(int id, const QString& text);
  int selectedIndex(int id) const;
  QStringList entries(int id) const;
  // Clicks a push button.
  void press(int id);
  // Presses Escape, or clicks the close box: both ask the dialog to cancel.
  void pressEscape();
  void clickCloseBox();
  bool isEnabled(int id) const;
  bool isVisible(int id) const;
  QString toolTip(int id) const;

  // Tree controls: an entry by the texts on its path from the top level.
  QTreeWidgetItem* treeItem(int id, const QStringList& path) const;
  void selectTreeItem(int id, const QStringList& path);
  void expandTreeItem(int id, const QStringList& path);
  // List views: choose or double-click a row.
  void selectRow(int id, int row);
  void doubleClickRow(int id, int row);

  // Delivers posted messages, timers and other pending events.
  void pumpEvents() const;
  // Pumps until `done` holds or `timeoutMs` passed; false on time-out.
  bool pumpUntil(const std::function<bool()>& done, int timeoutMs = 5000) const;

 private:
  bool usable(int id, QWidget* widget) const;

  Dialog& dialog_;
};

}  // namespace gui::testing
