#include "select/machine_tree.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <string>
#include <vector>

#include "com/activation.h"
#include "com/apartment.h"
#include "gui/menu.h"
#include "gui/wait_cursor.h"
#include "gui/window.h"
#include "resources/resource_ids.h"
#include "resources/settings_keys.h"
#include "select/remote_node_dialog.h"
#include "win/locale.h"
#include "win/message.h"
#include "win/shell.h"
#include "win/winerror.h"

namespace {

constexpr char kRegistryText[] = "Registry";
constexpr char kServerListText[] = "OPC Browser";
constexpr char kNotCheckedText[] = "OPC Browser not checked";
constexpr char kNoOtherMachinesText[] = "There are no other machines !";
constexpr char kNoServerListText[] = "There is no OPC Browser.";
constexpr DWORD kEnumerationBufferSize = 16384;
// The network is a tree of containers; a provider that reported a
// container inside itself would otherwise recurse without end.
constexpr int kMaxNetworkDepth = 16;

QString specialFolderName(int folder) {
  LPITEMIDLIST list = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, folder, &list))) return {};
  SHFILEINFOA info{};
  QString name;
  if (SHGetFileInfoA(reinterpret_cast<LPCSTR>(list), 0, &info, sizeof info, SHGFI_PIDL | SHGFI_DISPLAYNAME) != 0) {
    name = QString::fromLocal8Bit(info.szDisplayName);
  }
  ILFree(list);
  return name;
}

int selectedImageOf(int kind) {
  switch (kind) {
    case kRegistryNode:
      return kRegistrySelectedImage;
    case kServerListNode:
      return kServerListSelectedImage;
    default:
      return kind;
  }
}

int kindOfDisplayType(DWORD displayType) {
  switch (displayType) {
    case RESOURCEDISPLAYTYPE_GENERIC:
      return kGenericNode;
    case RESOURCEDISPLAYTYPE_DOMAIN:
      return kDomainNode;
    case RESOURCEDISPLAYTYPE_SERVER:
      return kMachineNode;
    case RESOURCEDISPLAYTYPE_SHARE:
      return kShareNode;
    default:
      return kNetworkObjectNode;
  }
}

}  // namespace

CMachineTree::CMachineTree() : remoteNodeText_(quillon::ReadSetting(quillon::kRemoteIpNodeSetting)) {}

CMachineTree::~CMachineTree() {
  quillon::WriteSetting(quillon::kRemoteIpNodeSetting, remoteNodeText_);
  if (joinedCom_) CoUninitialize();
}

gui::TreeItem CMachineTree::InsertNode(const QString& text, int kind, gui::TreeItem parent,
                                       gui::TreeCtrl::Position position) {
  return tree_.InsertItem(text, kind, selectedImageOf(kind), parent, position);
}

gui::TreeItem CMachineTree::InsertMachineNode(const QString& text, gui::TreeItem parent,
                                              gui::TreeCtrl::Position position) {
  const gui::TreeItem node = InsertNode(text, kMachineNode, parent, position);
  InsertNode(kNotCheckedText, kPlaceholderNode, node);
  return node;
}

void CMachineTree::Attach(gui::Window& owner, int controlId) {
  owner_ = &owner;
  tree_ = owner.treeCtrl(controlId);
  images_.Create(quillon::IDB_MACHINE_TREE, 16, 0, QColor(255, 0, 255));
  tree_.SetImageList(images_);
  computerFolderName_ = specialFolderName(CSIDL_DRIVES);
  networkFolderName_ = specialFolderName(CSIDL_NETWORK);

  const gui::TreeItem computer = InsertNode(computerFolderName_, kThisComputerNode, nullptr);
  const gui::TreeItem registry = InsertNode(kRegistryText, kRegistryNode, computer);

  // The same process security as the session's, so that whichever of the
  // two comes first sets it for both.
  bool comUsable = false;
  if (SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {
    joinedCom_ = true;
    const HRESULT security = CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_NONE,
                                                  RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
    comUsable = SUCCEEDED(security) || security == RPC_E_TOO_LATE;
  }
  const gui::TreeItem serverList = comUsable ? InsertServerListNode(computer, nullptr) : nullptr;
  tree_.SelectItem(serverList != nullptr ? serverList : registry);
  tree_.Expand(computer, gui::TVE_EXPAND);

  const gui::TreeItem network = InsertNode(networkFolderName_, kNetworkNode, nullptr);
  InsertNode(kNoOtherMachinesText, kPlaceholderNode, network);
}

gui::TreeItem CMachineTree::InsertServerListNode(gui::TreeItem parent, const QString* machine) {
  MULTI_QI request{&IID_IOPCServerList, nullptr, S_OK};
  HRESULT hr;
  if (machine == nullptr) {
    hr = CoCreateInstanceEx(CLSID_OPCServerList, nullptr, CLSCTX_LOCAL_SERVER, nullptr, 1, &request);
  } else {
    std::u16string name = machine->toStdU16String();
    COSERVERINFO serverInfo{};
    serverInfo.pwszName = name.data();
    hr = CoCreateInstanceEx(CLSID_OPCServerList, nullptr, CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER, &serverInfo,
                            1, &request);
  }
  if (SUCCEEDED(hr) && SUCCEEDED(request.hr) && request.pItf != nullptr) {
    const gui::TreeItem node = InsertNode(kServerListText, kServerListNode, parent);
    tree_.SetItemData(node, reinterpret_cast<DWORD_PTR>(static_cast<IOPCServerList*>(request.pItf)));
    return node;
  }
  if (request.pItf != nullptr) request.pItf->Release();
  InsertErrorNode(parent, FAILED(hr) ? hr : FAILED(request.hr) ? request.hr : E_NOINTERFACE);
  return nullptr;
}

void CMachineTree::InsertErrorNode(gui::TreeItem parent, HRESULT failure) {
  if (failure == REGDB_E_CLASSNOTREG) {
    InsertNode(kNoServerListText, kNoServerListNode, parent);
    return;
  }
  char text[512] = {};
  QString message;
  if (FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                     static_cast<DWORD>(failure), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, sizeof text,
                     nullptr) != 0) {
    message = QString::fromLocal8Bit(text).remove(QStringLiteral("\r\n"));
  } else {
    // A code without text still gets a node that says what failed.
    message = QString::asprintf("0x%08X", static_cast<unsigned>(failure));
  }
  InsertNode(message, kErrorNode, parent);
}

int CMachineTree::NodeKind(gui::TreeItem node) const {
  int image = -1;
  int selectedImage = -1;
  if (node == nullptr || !tree_.GetItemImage(node, image, selectedImage)) return -1;
  return image;
}

IOPCServerList* CMachineTree::ServerList(gui::TreeItem node) const {
  if (NodeKind(node) != kServerListNode) return nullptr;
  return reinterpret_cast<IOPCServerList*>(tree_.GetItemData(node));
}

void CMachineTree::OnItemExpanding(const gui::NotifyInfo& info) {
  const gui::TreeItem node = info.item;
  if (node == nullptr || info.action != gui::TVE_EXPAND) return;
  if (tree_.GetItemState(node, gui::TVIS_EXPANDEDONCE) != 0) return;
  const int kind = NodeKind(node);
  if (kind != kNetworkNode && kind != kMachineNode) return;

  const gui::TreeItem placeholder = tree_.GetChildItem(node);
  if (NodeKind(placeholder) == kPlaceholderNode) tree_.DeleteItem(placeholder);
  const gui::WaitCursor wait;
  if (kind == kNetworkNode) {
    if (!remoteNodeText_.isEmpty()) InsertMachineNode(remoteNodeText_, node, gui::TreeCtrl::Position::First);
    EnumerateNetwork(nullptr, node, 0);
  } else {
    const QString machine = tree_.GetItemText(node);
    InsertServerListNode(node, &machine);
  }
}

void CMachineTree::EnumerateNetwork(NETRESOURCEA* resource, gui::TreeItem parent, int depth) {
  if (depth > kMaxNetworkDepth) return;
  HANDLE enumeration = nullptr;
  if (WNetOpenEnumA(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, 0, resource, &enumeration) != NO_ERROR) return;
  // Records with pointers in them: the buffer is laid out as records.
  std::vector<NETRESOURCEA> buffer(kEnumerationBufferSize / sizeof(NETRESOURCEA));
  for (;;) {
    DWORD count = 0xFFFFFFFF;
    DWORD size = static_cast<DWORD>(buffer.size() * sizeof(NETRESOURCEA));
    if (WNetEnumResourceA(enumeration, &count, buffer.data(), &size) != NO_ERROR) break;
    for (DWORD i = 0; i < count; ++i) {
      NETRESOURCEA& entry = buffer[i];
      const bool server = entry.dwDisplayType == RESOURCEDISPLAYTYPE_SERVER;
      gui::TreeItem node = parent;
      if (entry.lpRemoteName != nullptr) {
        const QString name = QString::fromLocal8Bit(entry.lpRemoteName);
        node = server ? InsertMachineNode(name, parent, gui::TreeCtrl::Position::Last)
                      : InsertNode(name, kindOfDisplayType(entry.dwDisplayType), parent);
      }
      if ((entry.dwUsage & RESOURCEUSAGE_CONTAINER) != 0 && !server) EnumerateNetwork(&entry, node, depth + 1);
    }
  }
  WNetCloseEnum(enumeration);
}

void CMachineTree::OnRightClick(const gui::NotifyInfo& info) {
  const gui::TreeItem node = tree_.HitTest(info.point);
  if (NodeKind(node) != kNetworkNode) return;
  tree_.SelectItem(node);
  gui::Menu menu;
  if (!menu.LoadMenu(quillon::IDR_REMOTE_NODE_MENU)) return;
  const bool haveRemoteNode = !remoteNodeText_.isEmpty();
  menu.EnableMenuItem(quillon::ID_ADD_REMOTE_NODE, gui::MF_BYCOMMAND | (haveRemoteNode ? gui::MF_GRAYED : 0));
  menu.EnableMenuItem(quillon::ID_REMOVE_REMOTE_NODE, gui::MF_BYCOMMAND | (haveRemoteNode ? 0 : gui::MF_GRAYED));
  QPoint screen = info.point;
  if (auto* area = qobject_cast<QAbstractScrollArea*>(tree_.widget())) screen = area->viewport()->mapToGlobal(info.point);
  const UINT command = menu.TrackPopupMenu(gui::TPM_LEFTALIGN | gui::TPM_RIGHTBUTTON | gui::TPM_RETURNCMD,
                                           screen.x(), screen.y(), owner_);
  if (command == quillon::ID_ADD_REMOTE_NODE) OnAddRemoteNode();
  if (command == quillon::ID_REMOVE_REMOTE_NODE) OnRemoveRemoteNode();
}

void CMachineTree::OnAddRemoteNode() {
  const gui::TreeItem network = tree_.GetSelectedItem();
  const gui::TreeItem first = tree_.GetChildItem(network);
  // A network that has been read but showed nothing has no first child;
  // the node then goes in as the only one, so that the command the menu
  // offers does what it says.
  const bool readButEmpty = first == nullptr && tree_.GetItemState(network, gui::TVIS_EXPANDEDONCE) != 0;
  if (NodeKind(network) != kNetworkNode || (first == nullptr && !readButEmpty)) {
    remoteNodeText_.clear();
    return;
  }
  CRemoteNodeDialog dialog(owner_);
  if (dialog.DoModal() != gui::IDOK) {
    remoteNodeText_.clear();
    return;
  }
  const int firstKind = NodeKind(first);
  if (readButEmpty || firstKind == kNetworkObjectNode) {
    InsertMachineNode(dialog.address(), network, gui::TreeCtrl::Position::First);
  } else if (firstKind != kPlaceholderNode) {
    remoteNodeText_.clear();
    return;
  }
  // Before the network is read the node only is remembered; the first
  // expansion inserts it.
  remoteNodeText_ = dialog.address();
}

void CMachineTree::OnRemoveRemoteNode() {
  const gui::TreeItem first = tree_.GetChildItem(tree_.GetSelectedItem());
  if (first == nullptr) return;
  const int kind = NodeKind(first);
  if (kind == kMachineNode) {
    // The node may hold its machine's server list object.
    ReleaseServerLists(tree_.GetChildItem(first));
    tree_.DeleteItem(first);
  }
  if (kind == kMachineNode || kind == kPlaceholderNode) remoteNodeText_.clear();
}

void CMachineTree::ReleaseServerLists(gui::TreeItem first) {
  for (gui::TreeItem node = first; node != nullptr; node = tree_.GetNextSiblingItem(node)) {
    if (IOPCServerList* list = ServerList(node)) {
      list->Release();
      tree_.SetItemData(node, 0);
    }
    ReleaseServerLists(tree_.GetChildItem(node));
  }
}

void CMachineTree::OnDestroy() {
  if (tree_.IsNull()) return;
  tree_.SelectItem(nullptr);
  ReleaseServerLists(tree_.GetRootItem());
  tree_.DeleteAllItems();
}
