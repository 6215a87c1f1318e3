#pragma once

// Quillon connected to the sample server, for the advise dialog's tests:
// the workspace fixture with access to the records behind the private
// pane's entries and to what the server holds for them.

#include <optional>

#include "advise/advise_data_dialog.h"
#include "workspace/group_node.h"
#include "workspace_fixture.h"

namespace quillon::testing {

class AdviseTest : public WorkspaceTest {
 protected:
  GroupNode* groupNode(const QString& group);
  ItemNode* itemNode(const QString& item);
  // The client handle the server holds for the item (a cache read).
  OPCHANDLE serverClientHandle(const QString& group, OPCHANDLE serverHandle);
  // Changes the group's state behind the pane's back.
  void setGroupState(const QString& group, std::optional<DWORD> updateRate, std::optional<bool> active = {},
                     std::optional<float> percentDeadband = {});
  // Right-clicks the item and chooses "Advise Data"; `script` works the
  // dialog. `before` queues what opening the dialog is expected to show first.
  void adviseData(const QString& item, std::function<void(CAdviseDataDialog&, gui::testing::DialogDriver&)> script,
                  std::function<void()> before = {});
};

}  // namespace quillon::testing
