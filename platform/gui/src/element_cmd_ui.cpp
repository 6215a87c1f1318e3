#include "element_cmd_ui.h"

#include <QAction>

#include "gui/command_target.h"
#include "gui/status_bar.h"

namespace gui {

void runCommandUpdate(CmdUI& ui, CommandTarget& target, bool disableIfNoHandler) {
  target.OnCmdMsg(ui.id(), CN_UPDATE_COMMAND_UI, &ui);
  if (disableIfNoHandler && !ui.enableChanged()) ui.Enable(target.OnCmdMsg(ui.id(), CN_PROBE, nullptr));
}

ActionCmdUI::ActionCmdUI(UINT id, int index, QAction* action, Menu menu, Menu subMenu)
    : CmdUI(id, index), action_(action) {
  setMenus(std::move(menu), std::move(subMenu));
}

void ActionCmdUI::Enable(bool on) {
  markEnableChanged();
  // A pop-up entry is greyed by position in its menu, never through its first command.
  if (isPopupEntry() || action_.isNull()) return;
  action_->setEnabled(on);
}

void ActionCmdUI::SetCheck(int check) {
  if (isPopupEntry() || action_.isNull()) return;
  action_->setCheckable(check != 0 || action_->isCheckable());
  action_->setChecked(check != 0);
}

void ActionCmdUI::SetText(const QString& text) {
  if (isPopupEntry() || action_.isNull()) return;
  action_->setText(text);
}

void StatusCmdUI::Enable(bool on) {
  markEnableChanged();
  const UINT style = bar_.GetPaneStyle(index());
  bar_.SetPaneStyle(index(), on ? (style & ~SBPS_DISABLED) : (style | SBPS_DISABLED));
}

void StatusCmdUI::SetCheck(int check) {
  // A checked pane looks raised, as on the desktop platform.
  const UINT style = bar_.GetPaneStyle(index());
  bar_.SetPaneStyle(index(), check != 0 ? (style | SBPS_POPOUT) : (style & ~SBPS_POPOUT));
}

void StatusCmdUI::SetText(const QString& text) { bar_.SetPaneText(index(), text); }

}  // namespace gui
