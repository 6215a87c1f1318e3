#pragma once

// Command updates for the elements a frame shows: menu entries, tool bar
// buttons and status bar panes.

#include <QPointer>

#include "gui/cmd_ui.h"

class QAction;

namespace gui {

class CommandTarget;
class StatusBar;

// Runs the update handler of `ui`'s command through `target`. An element
// whose handler did not enable it is enabled when some target handles the
// command and, with `disableIfNoHandler`, greyed when none does.
void runCommandUpdate(CmdUI& ui, CommandTarget& target, bool disableIfNoHandler);

class ActionCmdUI : public CmdUI {
 public:
  // A menu entry (with `menu` and, for a pop-up entry, `subMenu`) or a tool
  // bar button (no menus).
  ActionCmdUI(UINT id, int index, QAction* action, Menu menu = {}, Menu subMenu = {});

  void Enable(bool on) override;
  void SetCheck(int check) override;
  void SetText(const QString& text) override;

 private:
  QPointer<QAction> action_;
};

class StatusCmdUI : public CmdUI {
 public:
  StatusCmdUI(UINT id, int index, StatusBar& bar) : CmdUI(id, index), bar_(bar) {}

  void Enable(bool on) override;
  void SetCheck(int check) override;
  void SetText(const QString& text) override;

 private:
  StatusBar& bar_;
};

}  // namespace gui
