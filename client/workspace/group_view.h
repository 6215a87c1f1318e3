#pragma once

// One of the two group panes of the main window: a tree with one root
// ("Public Groups" or "Private Groups"), under it the groups of that scope
// that the connected server holds for this client, and under each group its
// items. The tree is not kept up to date piece by piece: after each change
// it is cleared and read again from the server (RefreshGroupTree).
//
// Entries tell their kind by their image index, never by their text: 0 the
// root, 1 a group (with a GroupNode, or none when the group could not be
// opened), 2 to 4 items (write-only, read-only, any other access rights),
// each with its ItemNode. A right click on an entry shows the group or item
// pop-up; the commands chosen there run in this pane and show their outcome
// through the pane's own FunctionResult.

#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "com/interface_id.h"
#include "gui/tree_view.h"
#include "result/function_result.h"
#include "workspace/group_node.h"

class CFunctionResultView;
class CServerSession;
struct IEnumString;

class CGroupView : public gui::TreeView {
 public:
  // OPC's scopes map onto the panes: the left pane lists public groups, the
  // right one private groups.
  static constexpr int kPublicScope = 0;
  static constexpr int kPrivateScope = 1;

  enum Image {
    kRootImage = 0,
    kGroupImage = 1,
    kWriteOnlyItemImage = 2,
    kReadOnlyItemImage = 3,
    kOtherItemImage = 4,
  };
  // The image of an item entry: only exactly readable or exactly writeable
  // rights have an image of their own.
  static int ItemImage(DWORD accessRights);

  CGroupView();
  ~CGroupView() override;

  // Set by the main window when it creates the panes, never changed.
  void SetScope(int scope, CFunctionResultView* resultView, CServerSession* session);
  // The other pane, which some commands refresh too ("Clone Group" always
  // refreshes the private pane, "Move To Public" both).
  void SetOtherPane(CGroupView* otherPane) { otherPane_ = otherPane; }
  // Lists the properties of an item ("Get Properties" of the item pop-up);
  // the main window supplies it with its item-property listing.
  void SetItemPropertiesHandler(std::function<void(const std::u16string& itemId)> handler) {
    itemPropertiesHandler_ = std::move(handler);
  }
  int scope() const { return scope_; }
  // The record of the commands started from this pane, and where it is shown.
  FunctionResult& functionResult() { return functionResult_; }
  CFunctionResultView* resultView() const { return resultView_; }

  // Clears the pane and reads every group of its scope and their items from
  // the server; does nothing while not connected.
  void RefreshGroupTree();
  // Releases every node record and deletes every entry.
  void ClearGroupTree();

  // The interface `iid` of the group of the selected entry (the entry itself
  // or, for an item, its parent). The group node keeps its reference: the
  // caller does not release the pointer. With `itemNode`, the selected entry
  // must be an item and its node is returned too. False, with null results,
  // when there is no such node (silently) or the group lacks the interface
  // (after a message box naming it).
  bool SelectedGroupInterface(REFIID iid, void** pointer, ItemNode** itemNode = nullptr);
  template <class I>
  bool SelectedGroupInterface(I** pointer, ItemNode** itemNode = nullptr) {
    return SelectedGroupInterface(com::InterfaceTraits<I>::iid, reinterpret_cast<void**>(pointer), itemNode);
  }

  void OnInitialUpdate() override;

 protected:
  void OnDestroy() override;

 private:
  QString rootText() const;
  // Reads the group names from the enumerator into entries under `root`.
  void AddGroups(IEnumString* groups, gui::TreeItem root);
  // Opens the named group of this pane's scope; null when it cannot be opened.
  IUnknown* OpenGroup(LPCWSTR name) const;
  // Reads the group's item records into entries under `groupEntry`; returns
  // the failure of the enumerator's Next, which ends the list, or S_OK.
  HRESULT FillItemNodes(GroupNode* node, gui::TreeItem groupEntry);

  void OnRightClick(gui::NotifyInfo& info);
  void ShowNodePopup(UINT menuId, const QPoint& screenPosition);
  // The GroupNode of the selected group entry itself (no lookup through an
  // item); null for other entries and groups without node.
  GroupNode* SelectedGroupNode() const;
  // A plain message box with the program's caption.
  void Message(const std::string& text);
  // Hands the pane's record to the result view, which shows and empties it.
  void ShowFunctionResult();
  // The per-item failure lines of a call that returned S_FALSE.
  void AddItemFailure(const std::string& line, HRESULT itemError);
  // Ends a call that changed the selected item: adds `failure` with the
  // item's error when the server answered S_FALSE, frees the errors,
  // reads the tree again after S_OK and shows the result.
  void FinishItemChange(HRESULT hr, HRESULT* errors, const std::string& failure);

  // Group pop-up (group_commands.cpp, group_state_command.cpp,
  // group_name_commands.cpp, group_item_commands.cpp, add_all_items.cpp,
  // group_read_command.cpp).
  void OnGetGroupType();
  void OnGetState();
  void OnSetState();
  void OnSetName();
  void OnCloneGroup();
  void OnRemoveGroup();
  void OnMoveToPublic();
  void OnValidateGroupItem();
  void OnAddItem();
  void OnAddAllItems();
  void OnReadAllItemsN();

  // Item pop-up (item_commands.cpp, item_write_command.cpp,
  // item_param_commands.cpp, read_item_n.cpp, item_advise_command.cpp).
  void OnRemoveItem();
  void OnReadItem();
  void OnWriteItem();
  void OnItemAttributes();
  void OnSetItemActive() { SetItemActiveState(true); }
  void OnSetItemInactive() { SetItemActiveState(false); }
  void SetItemActiveState(bool active);
  void OnSetClientHandle();
  void OnSetDatatype();
  void OnValidateItem();
  void OnGetProperties();
  void OnReadItemN();
  // item_advise_command.cpp
  void OnAdviseData();

  int scope_ = kPublicScope;
  CFunctionResultView* resultView_ = nullptr;
  CServerSession* session_ = nullptr;
  CGroupView* otherPane_ = nullptr;
  std::function<void(const std::u16string&)> itemPropertiesHandler_;
  FunctionResult functionResult_;
  // The item records of the entries being cleared (ClearGroupTree).
  std::vector<ItemNode*> itemsToFree_;
};
