#pragma once

// A tool bar made from a tool bar resource: flat buttons with images from
// the resource's bitmap strip; each button runs its command, shows the
// second part of the command's string as tool tip and the first part as
// prompt in the status bar while the mouse is over it. Buttons are enabled
// and checked by the command update handlers. The bar can be moved with its
// gripper and floated; while it floats it shows its window text as caption.

#include <QList>

#include "gui/control_bar.h"

class QAction;
class QToolBar;

namespace gui {

class ToolBar : public ControlBar {
 public:
  // Creates the bar at the top of `frame` with the buttons of resource
  // `resourceId`. False when the resource does not exist.
  bool Create(FrameWindow* frame, UINT resourceId);

  QToolBar* toolBar() const;
  int GetCount() const;                 // buttons and separators
  UINT GetItemID(int index) const;      // ID_SEPARATOR for a separator
  int CommandToIndex(UINT id) const;    // -1 when the bar has no such button
  QAction* buttonAction(UINT id) const;
  // The buttons and separators in order (the floating caption left out).
  QList<QAction*> buttonActions() const;

  void OnUpdateCmdUI(CommandTarget& target, bool disableIfNoHandler) override;

 private:
  bool loadButtons(UINT resourceId);
};

}  // namespace gui
