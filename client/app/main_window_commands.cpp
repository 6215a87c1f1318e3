// Routing of the server-level commands: each menu command of the interface
// pop-ups runs its command with this window's session and record, and shows
// the outcome in the result view.

#include "app/main_window.h"
#include "commands/server_commands.h"
#include "result/function_result_view.h"
#include "workspace/group_view.h"

void CMainWindow::mapServerCommands() {
  for (const ServerCommand& command : ServerCommands()) {
    mapCommand(command.id, [this, run = command.run] {
      ServerCommandContext context{this, session_, functionResult_,
                                   [this](FunctionResult& result) { resultView_->ShowResult(result); },
                                   [this](int scope) { RefreshGroupPane(scope); }};
      run(context);
    });
  }
}

void CMainWindow::mapItemPropertiesListing() {
  // "Get Properties" of either pane's item pop-up lists into this window's
  // record, as the menu command does.
  for (CGroupView* pane : {publicGroups_, privateGroups_}) {
    pane->SetItemPropertiesHandler([this](const std::u16string& itemId) {
      ServerCommandContext context{this, session_, functionResult_,
                                   [this](FunctionResult& result) { resultView_->ShowResult(result); },
                                   [this](int scope) { RefreshGroupPane(scope); }};
      commands::ListItemProperties(context, itemId);
    });
  }
}

void CMainWindow::RefreshGroupPane(int scope) {
  CGroupView* pane = scope == CGroupView::kPublicScope ? publicGroups_ : privateGroups_;
  if (pane != nullptr) pane->RefreshGroupTree();
}
