#pragma once

// The state of one user-interface element that runs a command (menu entry,
// tool bar button, status bar pane), handed to the command's update handler
// just before the element is shown. A handler enables, checks or relabels it.
// For a menu entry that opens a pop-up, id() is the pop-up's first command and
// subMenu() is set; Enable() then leaves the entry alone, and a handler that
// wants to grey the pop-up does so by position in menu().

#include <QString>

#include "gui/menu.h"
#include "gui/types.h"

namespace gui {

class CmdUI {
 public:
  CmdUI(UINT id, int index) : id_(id), index_(index) {}
  virtual ~CmdUI() = default;

  UINT id() const { return id_; }
  int index() const { return index_; }  // position in menu, tool bar or status bar
  Menu* menu() { return menu_.IsNull() ? nullptr : &menu_; }
  Menu* subMenu() { return subMenu_.IsNull() ? nullptr : &subMenu_; }
  bool isPopupEntry() const { return !subMenu_.IsNull(); }

  virtual void Enable(bool on = true) = 0;
  virtual void SetCheck(int check = 1) = 0;  // 0 clear, 1 checked, 2 indeterminate
  virtual void SetRadio(bool on = true) { SetCheck(on ? 1 : 0); }
  virtual void SetText(const QString& text) = 0;

  // Whether a handler called Enable(); elements whose command has neither an
  // update handler that enabled them nor a command handler are greyed.
  bool enableChanged() const { return enableChanged_; }

 protected:
  void setMenus(Menu menu, Menu subMenu) {
    menu_ = std::move(menu);
    subMenu_ = std::move(subMenu);
  }
  void markEnableChanged() { enableChanged_ = true; }

 private:
  UINT id_;
  int index_;
  Menu menu_;
  Menu subMenu_;
  bool enableChanged_ = false;
};

}  // namespace gui
