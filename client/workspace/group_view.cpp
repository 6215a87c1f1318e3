// The group pane's tree: reading it from the server, clearing it, the
// right click with its pop-ups and the lookup of the selected group's
// interfaces. The commands of the pop-ups are in the files named in the
// header.

#include "workspace/group_view.h"

#include <QTreeWidgetItem>
#include <algorithm>

#include "com/interfaces/enumerators.h"
#include "format/wide_text.h"
#include "gui/frame_window.h"
#include "gui/image_list.h"
#include "gui/menu.h"
#include "gui/message_box.h"
#include "opc/opcda.h"
#include "resources/resource_ids.h"
#include "result/function_result_view.h"
#include "result/result_code_text.h"
#include "session/server_session.h"
#include "workspace/task_memory.h"

namespace {

using namespace quillon;

// The images of the tree: root, group, write-only, read-only and other item.
constexpr int kImageWidth = 16;
const QColor kImageMask(255, 0, 255);
// Group names are read from the server this many at a time.
constexpr ULONG kNamesPerCall = 10;

QString toQString(const std::string& text) { return QString::fromUtf8(text.c_str()); }

// The names by which a missing interface is reported.
const char* interfaceName(REFIID iid) {
  if (IsEqualIID(iid, IID_IOPCGroupStateMgt)) return "IOPCGroupStateMgt";
  if (IsEqualIID(iid, IID_IOPCPublicGroupStateMgt)) return "IOPCPublicGroupStateMgt";
  if (IsEqualIID(iid, IID_IOPCSyncIO)) return "IOPCSyncIO";
  if (IsEqualIID(iid, IID_IOPCAsyncIO)) return "IOPCAsyncIO";
  if (IsEqualIID(iid, IID_IDataObject)) return "IDataObject";
  if (IsEqualIID(iid, IID_IOPCItemMgt)) return "IOPCItemMgt";
  if (IsEqualIID(iid, IID_IEnumOPCItemAttributes)) return "IEnumOPCItemAttributes";
  return nullptr;
}

// The field of the node that holds `iid`; null for an interface a node does not keep.
IUnknown** nodeField(GroupNode& node, REFIID iid) {
  auto field = [](auto*& pointer) { return reinterpret_cast<IUnknown**>(&pointer); };
  if (IsEqualIID(iid, IID_IOPCGroupStateMgt)) return field(node.groupStateMgt);
  if (IsEqualIID(iid, IID_IOPCPublicGroupStateMgt)) return field(node.publicGroupStateMgt);
  if (IsEqualIID(iid, IID_IOPCSyncIO)) return field(node.syncIO);
  if (IsEqualIID(iid, IID_IOPCAsyncIO)) return field(node.asyncIO);
  if (IsEqualIID(iid, IID_IDataObject)) return field(node.dataObject);
  if (IsEqualIID(iid, IID_IOPCItemMgt)) return field(node.itemMgt);
  if (IsEqualIID(iid, IID_IEnumOPCItemAttributes)) return field(node.itemAttributes);
  return nullptr;
}

// The text of an item entry: the item ID of the record it carries. The
// record outlives the entry (ClearGroupTree frees it after the entries are
// gone).
QString itemEntryText(DWORD_PTR data) {
  const auto* record = reinterpret_cast<const ItemNode*>(data);
  if (record == nullptr || record->szItemID == nullptr) return QString();
  return QString::fromUtf16(record->szItemID);
}

bool isItemImage(int image) { return image >= CGroupView::kWriteOnlyItemImage && image <= CGroupView::kOtherItemImage; }

}  // namespace

CGroupView::CGroupView() {
  mapNotify(gui::kOwnControlId, gui::NM_RCLICK, &CGroupView::OnRightClick);
  mapCommand(ID_GROUP_GET_GROUP_TYPE, &CGroupView::OnGetGroupType);
  mapCommand(ID_GROUP_GET_STATE, &CGroupView::OnGetState);
  mapCommand(ID_GROUP_SET_STATE, &CGroupView::OnSetState);
  mapCommand(ID_GROUP_REMOVE_GROUP, &CGroupView::OnRemoveGroup);
  mapCommand(ID_GROUP_SET_NAME, &CGroupView::OnSetName);
  mapCommand(ID_GROUP_CLONE_GROUP, &CGroupView::OnCloneGroup);
  mapCommand(ID_GROUP_MOVE_TO_PUBLIC, &CGroupView::OnMoveToPublic);
  mapCommand(ID_GROUP_VALIDATE_ITEM, &CGroupView::OnValidateGroupItem);
  mapCommand(ID_GROUP_ADD_ITEM, &CGroupView::OnAddItem);
  mapCommand(ID_GROUP_ADD_ALL_ITEMS, &CGroupView::OnAddAllItems);
  mapCommand(ID_GROUP_READ_ALL_ITEMS_N, &CGroupView::OnReadAllItemsN);
  mapCommand(ID_ITEM_REMOVE_ITEM, &CGroupView::OnRemoveItem);
  mapCommand(ID_ITEM_READ, &CGroupView::OnReadItem);
  mapCommand(ID_ITEM_WRITE, &CGroupView::OnWriteItem);
  mapCommand(ID_ITEM_ATTRIBUTES, &CGroupView::OnItemAttributes);
  mapCommand(ID_ITEM_SET_ACTIVE, &CGroupView::OnSetItemActive);
  mapCommand(ID_ITEM_SET_INACTIVE, &CGroupView::OnSetItemInactive);
  mapCommand(ID_ITEM_SET_CLIENT_HANDLE, &CGroupView::OnSetClientHandle);
  mapCommand(ID_ITEM_SET_DATATYPE, &CGroupView::OnSetDatatype);
  mapCommand(ID_ITEM_VALIDATE_ITEM, &CGroupView::OnValidateItem);
  mapCommand(ID_ITEM_GET_PROPERTIES, &CGroupView::OnGetProperties);
  mapCommand(ID_ITEM_READ_N, &CGroupView::OnReadItemN);
  mapCommand(ID_ITEM_ADVISE_DATA, &CGroupView::OnAdviseData);
}

// The pane's entries are cleared when its window is destroyed, which the
// splitter does before it deletes the view.
CGroupView::~CGroupView() = default;

int CGroupView::ItemImage(DWORD accessRights) {
  switch (accessRights) {
    case OPC_WRITEABLE:
      return kWriteOnlyItemImage;
    case OPC_READABLE:
      return kReadOnlyItemImage;
    default:
      return kOtherItemImage;
  }
}

void CGroupView::SetScope(int scope, CFunctionResultView* resultView, CServerSession* session) {
  scope_ = scope;
  resultView_ = resultView;
  session_ = session;
}

void CGroupView::OnInitialUpdate() {
  gui::ImageList images;
  images.Create(IDB_GROUP_TREE, kImageWidth, 0, kImageMask);
  GetTreeCtrl().SetImageList(images);
  ModifyStyle(0, gui::TVS_HASLINES | gui::TVS_HASBUTTONS | gui::TVS_LINESATROOT);
}

void CGroupView::OnDestroy() {
  ClearGroupTree();
  gui::TreeView::OnDestroy();
}

QString CGroupView::rootText() const {
  return scope_ == kPrivateScope ? QStringLiteral("Private Groups") : QStringLiteral("Public Groups");
}

void CGroupView::Message(const std::string& text) { gui::MessageBox(this, toQString(text), QString(), gui::MB_OK); }

void CGroupView::ShowFunctionResult() {
  if (resultView_ != nullptr) resultView_->ShowResult(functionResult_);
}

void CGroupView::AddItemFailure(const std::string& line, HRESULT itemError) {
  functionResult_.lines.push_back(line);
  functionResult_.lines.push_back("Error : " + ResultCodeText(itemError, session_));
}

void CGroupView::FinishItemChange(HRESULT hr, HRESULT* errors, const std::string& failure) {
  if (hr == S_FALSE && errors != nullptr) AddItemFailure(failure, errors[0]);
  FreeTaskMemory(*session_, errors);
  if (hr == S_OK) RefreshGroupTree();
  ShowFunctionResult();
}

// ---- reading the tree ---------------------------------------------------------------------

void CGroupView::RefreshGroupTree() {
  IOPCServer* server = session_ != nullptr ? session_->GetServer() : nullptr;
  if (server == nullptr) return;
  ClearGroupTree();
  gui::TreeCtrl tree = GetTreeCtrl();
  gui::TreeItem root = tree.InsertItem(rootText(), kRootImage, kRootImage);

  IUnknown* enumerator = nullptr;
  const OPCENUMSCOPE scope = scope_ == kPrivateScope ? OPC_ENUM_PRIVATE : OPC_ENUM_PUBLIC;
  const HRESULT hr = server->CreateGroupEnumerator(scope, IID_IEnumString, &enumerator);
  if (hr == E_NOTIMPL) {
    Message("Cannot enumerate groups. Function not implemented in Server.");
  } else if (FAILED(hr)) {
    Message("Cannot enumerate groups");
  } else if (enumerator != nullptr) {
    AddGroups(static_cast<IEnumString*>(enumerator), root);
    enumerator->Release();
  }

  tree.SelectItem(root);
  tree.Expand(root, gui::TVE_EXPAND);
}

void CGroupView::AddGroups(IEnumString* groups, gui::TreeItem root) {
  if (groups->Reset() != S_OK) return;
  gui::TreeCtrl tree = GetTreeCtrl();
  HRESULT hr = S_OK;
  do {
    LPOLESTR names[kNamesPerCall] = {};
    ULONG count = 0;
    hr = groups->Next(kNamesPerCall, names, &count);
    if (FAILED(hr)) {
      Message("Cannot enumerate groups :\n\n" + ResultCodeText(hr, session_));
      count = 0;
    }
    // A server that claims more names than were asked for is not trusted
    // beyond the array it was given.
    count = std::min(count, kNamesPerCall);
    for (ULONG i = 0; i < count; ++i) {
      // The group's entry gets its items before it joins the tree: a group
      // may hold many thousands of items, and each one inserted into the
      // tree itself would cost a change notice. It joins before any message
      // box, so that the box shows the tree as far as it was built.
      gui::TreeItem entry = tree.CreateDetachedItem(toQString(format::WideToText(names[i])), kGroupImage, kGroupImage);
      IUnknown* group = OpenGroup(names[i]);
      HRESULT itemsFailure = S_OK;
      if (group != nullptr) {
        GroupNode* node = BuildGroupNode(group, *session_);
        tree.SetItemData(entry, reinterpret_cast<DWORD_PTR>(node));
        itemsFailure = FillItemNodes(node, entry);
      }
      tree.AttachItem(entry, root);
      if (group != nullptr) {
        if (FAILED(itemsFailure)) {
          Message("Cannot enumerate Item Attributes :\n\n" + ResultCodeText(itemsFailure, session_));
        }
        tree.Expand(entry, gui::TVE_EXPAND);
        group->Release();
      }
      FreeTaskMemory(*session_, names[i]);
    }
  } while (hr == S_OK);
}

IUnknown* CGroupView::OpenGroup(LPCWSTR name) const {
  IUnknown* group = nullptr;
  HRESULT hr = E_FAIL;
  if (scope_ == kPrivateScope) {
    hr = session_->GetServer()->GetGroupByName(name, IID_IUnknown, &group);
  } else if (IOPCServerPublicGroups* publicGroups = session_->GetPublicGroups()) {
    hr = publicGroups->GetPublicGroupByName(name, IID_IUnknown, &group);
  }
  if (FAILED(hr)) return nullptr;
  return group;
}

HRESULT CGroupView::FillItemNodes(GroupNode* node, gui::TreeItem groupEntry) {
  if (node->itemAttributes == nullptr || node->itemAttributes->Reset() != S_OK) return S_OK;
  gui::TreeCtrl tree = GetTreeCtrl();
  HRESULT hr = S_OK;
  do {
    OPCITEMATTRIBUTES* record = nullptr;
    ULONG fetched = 0;
    hr = node->itemAttributes->Next(1, &record, &fetched);
    if (FAILED(hr)) return hr;
    if (record == nullptr) continue;
    if (fetched == 0) {
      FreeTaskMemory(*session_, record);
      continue;
    }
    const int image = ItemImage(record->dwAccessRights);
    // The entry is made with its record attached, and its text is the
    // record's item ID, made whenever the entry is drawn or read: a group
    // may hold many thousands of items, and a second copy of every ID would
    // cost the pane an allocation and a conversion each.
    gui::TreeItem entry =
        tree.InsertItem(&itemEntryText, image, image, groupEntry, reinterpret_cast<DWORD_PTR>(record));
    // Without an entry nothing would own the record.
    if (entry == nullptr) FreeItemNode(record, *session_);
  } while (hr == S_OK);
  return S_OK;
}

void CGroupView::ClearGroupTree() {
  gui::TreeCtrl tree = GetTreeCtrl();
  gui::TreeItem root = tree.GetRootItem();
  if (root == nullptr) return;
  // Children are walked by index: looking up an entry's next sibling costs a
  // search through its parent, which a group of many items cannot afford.
  // The item records are freed after the entries are gone: freeing the many
  // small records first would leave the heap to sort them all again when the
  // tree lets go of its large blocks. The list keeps its room from one
  // refresh to the next for the same reason.
  std::vector<ItemNode*>& items = itemsToFree_;
  items.clear();
  for (int g = 0; g < root->childCount(); ++g) {
    gui::TreeItem group = root->child(g);
    FreeGroupNode(reinterpret_cast<GroupNode*>(tree.GetItemData(group)));
    tree.SetItemData(group, 0);
    if (session_ == nullptr) continue;
    for (int i = 0; i < group->childCount(); ++i) {
      if (auto* item = reinterpret_cast<ItemNode*>(tree.GetItemData(group->child(i)))) items.push_back(item);
    }
  }
  tree.DeleteAllItems();
  for (ItemNode* item : items) FreeItemNode(item, *session_);
  items.clear();
}

// ---- right click and pop-ups --------------------------------------------------------------

void CGroupView::OnRightClick(gui::NotifyInfo& info) {
  gui::TreeCtrl tree = GetTreeCtrl();
  gui::TreeItem entry = tree.HitTest(info.point);
  int image = 0;
  int selectedImage = 0;
  if (entry == nullptr || !tree.SelectItem(entry) || !tree.GetItemImage(entry, image, selectedImage)) return;
  const QPoint screen = widget()->mapToGlobal(info.point);

  switch (image) {
    case kRootImage:
      if (scope_ == kPrivateScope && session_ != nullptr && session_->GetServer() != nullptr) {
        if (gui::FrameWindow* frame = GetParentFrame()) {
          frame->SendMessage(gui::WM_COMMAND, gui::MakeCommandParam(ID_IOPCSERVER_ADDGROUP), 0);
        }
      }
      break;
    case kGroupImage:
      if (tree.GetItemData(entry) != 0) {
        ShowNodePopup(IDR_GROUP_POPUP, screen);
      } else if (scope_ == kPrivateScope) {
        Message("Cannot find interface 'IOPCServer'");
      } else {
        Message("The connected Server does not support the optional interface 'IOPCServerPublicGroups'");
      }
      break;
    default:
      if (isItemImage(image)) ShowNodePopup(IDR_ITEM_POPUP, screen);
      break;
  }
  info.result = 1;
}

void CGroupView::ShowNodePopup(UINT menuId, const QPoint& screenPosition) {
  gui::Menu menu;
  if (!menu.LoadMenu(menuId)) return;
  gui::Menu popup = menu.GetSubMenu(0);
  if (scope_ == kPublicScope) {
    for (UINT id : {ID_GROUP_MOVE_TO_PUBLIC, ID_GROUP_ADD_ITEM, ID_GROUP_ADD_ALL_ITEMS, ID_GROUP_SET_NAME,
                    ID_ITEM_REMOVE_ITEM}) {
      popup.RemoveMenu(id, gui::MF_BYCOMMAND);
    }
  }
  popup.TrackPopupMenu(gui::TPM_LEFTALIGN | gui::TPM_RIGHTBUTTON, screenPosition.x(), screenPosition.y(), this);
  menu.DestroyMenu();
}

// ---- the selected group -------------------------------------------------------------------

GroupNode* CGroupView::SelectedGroupNode() const {
  gui::TreeCtrl tree = GetTreeCtrl();
  gui::TreeItem selected = tree.GetSelectedItem();
  int image = 0;
  int selectedImage = 0;
  if (!tree.GetItemImage(selected, image, selectedImage) || image != kGroupImage) return nullptr;
  return reinterpret_cast<GroupNode*>(tree.GetItemData(selected));
}

bool CGroupView::SelectedGroupInterface(REFIID iid, void** pointer, ItemNode** itemNode) {
  *pointer = nullptr;
  if (itemNode != nullptr) *itemNode = nullptr;
  gui::TreeCtrl tree = GetTreeCtrl();
  gui::TreeItem selected = tree.GetSelectedItem();
  gui::TreeItem parent = tree.GetParentItem(selected);
  int image = 0;
  int selectedImage = 0;
  if (!tree.GetItemImage(selected, image, selectedImage)) return false;

  if (itemNode != nullptr) {
    // Only item entries carry item nodes; a group entry's data is its group node.
    if (!isItemImage(image) || tree.GetItemData(selected) == 0) return false;
    *itemNode = reinterpret_cast<ItemNode*>(tree.GetItemData(selected));
  }
  auto* group = reinterpret_cast<GroupNode*>(tree.GetItemData(image == kGroupImage ? selected : parent));
  if (group == nullptr || (image != kGroupImage && !isItemImage(image))) {
    if (itemNode != nullptr) *itemNode = nullptr;
    return false;
  }

  IUnknown** field = nodeField(*group, iid);
  if (field != nullptr && *field != nullptr) {
    *pointer = *field;
    return true;
  }
  if (itemNode != nullptr) *itemNode = nullptr;
  const char* name = interfaceName(iid);
  Message(std::string("Interface not supported : ") + (name != nullptr ? name : "") + "\n");
  return false;
}
