#pragma once

// Working a frame window in tests as a user would: open its menus (which
// runs their update handlers), read what is enabled, choose commands, hover
// over entries for their prompts, right-click tree entries.

#include <QString>
#include <QStringList>

#include "gui/frame_window.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace gui::testing {

struct CommandState {
  bool found = false;
  bool enabled = false;
  bool checked = false;
};

// Chooses a command from the menu bar (opening each menu on the way, so the
// update handlers run) or else from a tool bar. False when the command is
// not there or a user could not choose it because it, or a pop-up on the
// way, is greyed. Commands are found by id or by text (with or without "&").
bool triggerAction(FrameWindow& frame, UINT commandId);
bool triggerAction(FrameWindow& frame, const QString& name);

// The state of a menu command after opening the menus on its way.
CommandState menuCommandState(FrameWindow& frame, UINT commandId);
// The state of a tool bar button after the bars' update.
CommandState toolBarButtonState(FrameWindow& frame, UINT commandId);
// Whether a pop-up entry is enabled, found by the texts of the menus on its
// path ({"&OPCServer", "IOPC&Server"}), after opening each menu on the way.
CommandState popupEntryState(FrameWindow& frame, const QStringList& path);

// Moves the mouse over a menu entry or tool bar button: the status bar's
// message pane shows its prompt. Returns the message pane's text.
QString hoverCommand(FrameWindow& frame, UINT commandId);
QString statusMessage(FrameWindow& frame);

// Right-clicks a tree entry (the tree sends NM_RCLICK to its owner).
void rightClickTreeItem(QTreeWidget* tree, QTreeWidgetItem* item);

// The tool tip a control of `window` shows, asked as the framework asks.
QString controlToolTip(Window& window, int controlId);

}  // namespace gui::testing
