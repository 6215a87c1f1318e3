#pragma once

// One of the two group panes of the main window: a tree with one root
// ("Public Groups" or "Private Groups") and under it the groups of that
// scope that the connected server holds for this client. The tree is not
// kept up to date piece by piece: it is cleared and read again from the
// server (RefreshGroupTree).
//
// Entries tell their kind by their image index: 0 the root, 1 a group,
// 2 to 4 items (write-only, read-only, other access rights). The records
// behind group and item entries, their items and the pop-ups with the group
// and item commands are added with those commands.

#include "gui/tree_view.h"
#include "result/function_result.h"

class CFunctionResultView;
class CServerSession;
struct IEnumString;

class CGroupView : public gui::TreeView {
 public:
  // OPC's scopes map onto the panes: the left pane lists public groups, the
  // right one private groups.
  static constexpr int kPublicScope = 0;
  static constexpr int kPrivateScope = 1;

  enum Image { kRootImage = 0, kGroupImage = 1 };

  // Set by the main window when it creates the panes, never changed.
  void SetScope(int scope, CFunctionResultView* resultView, CServerSession* session);
  int scope() const { return scope_; }
  // The record of the commands started from this pane, and where it is shown.
  FunctionResult& functionResult() { return functionResult_; }
  CFunctionResultView* resultView() const { return resultView_; }

  // Clears the pane and reads every group of its scope from the server;
  // does nothing while not connected.
  void RefreshGroupTree();
  // Deletes every entry (and what the entries hold).
  void ClearGroupTree();

  void OnInitialUpdate() override;

 protected:
  void OnDestroy() override;

 private:
  QString rootText() const;
  // Reads the group names from the enumerator into entries under `root`.
  void AddGroups(IEnumString* groups, gui::TreeItem root);

  int scope_ = kPublicScope;
  CFunctionResultView* resultView_ = nullptr;
  CServerSession* session_ = nullptr;
  FunctionResult functionResult_;
};
