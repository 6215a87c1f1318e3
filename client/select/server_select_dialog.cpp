#include "select/server_select_dialog.h"

#include <vector>

#include "com/allocator.h"
#include "com/guid.h"
#include "gui/list_ctrl.h"
#include "opc/categories.h"
#include "resources/resource_ids.h"
#include "select/prog_id_pattern.h"
#include "win/computer.h"
#include "win/locale.h"
#include "win/message.h"
#include "win/registry.h"
#include "win/winerror.h"

namespace {

// Column headers are padded so that each column starts wide enough for
// typical descriptions and ProgIDs.
const QString kDescriptionHeader = QStringLiteral("Description") + QString(45, QLatin1Char(' '));
const QString kProgIdHeader = QStringLiteral("ProgID") + QString(42, QLatin1Char(' '));
constexpr int kNameSize = 256;

QString systemText(HRESULT code) {
  char text[512] = {};
  if (FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, static_cast<DWORD>(code),
                     MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, sizeof text, nullptr) == 0) {
    return QString::asprintf("0x%08X", static_cast<unsigned>(code));
  }
  return QString::fromLocal8Bit(text);
}

}  // namespace

CServerSelectDialog::CServerSelectDialog(gui::Window* owner) : gui::Dialog(quillon::IDD_SERVER_SELECT, owner) {
  mapNotify(quillon::IDC_MACHINE_TREE, gui::TVN_SELCHANGED, &CServerSelectDialog::OnTreeSelectionChanged);
  mapNotify(quillon::IDC_MACHINE_TREE, gui::TVN_ITEMEXPANDING,
            std::function<void(gui::NotifyInfo&)>([this](gui::NotifyInfo& info) { tree_.OnItemExpanding(info); }));
  mapNotify(quillon::IDC_MACHINE_TREE, gui::NM_RCLICK,
            std::function<void(gui::NotifyInfo&)>([this](gui::NotifyInfo& info) { tree_.OnRightClick(info); }));
  mapNotify(quillon::IDC_SERVER_LIST, gui::LVN_ITEMCHANGED, &CServerSelectDialog::OnListItemChanged);
  mapNotify(quillon::IDC_SERVER_LIST, gui::NM_DBLCLK,
            std::function<void(gui::NotifyInfo&)>([this](gui::NotifyInfo&) { OnOK(); }));
  mapCommand(quillon::IDC_DA10_FILTER, &CServerSelectDialog::FillList);
  mapCommand(quillon::IDC_DA20_FILTER, &CServerSelectDialog::FillList);
  mapCommand(quillon::IDC_CASE_SENSITIVE, &CServerSelectDialog::FillList);
  mapControlCode(quillon::IDC_PROGID_FILTER, gui::EN_CHANGE, &CServerSelectDialog::FillList);
}

CServerSelectDialog::~CServerSelectDialog() {
  if (taskAllocator_ != nullptr) taskAllocator_->Release();
}

void CServerSelectDialog::DoDataExchange(gui::DataExchange& exchange) {
  exchange.check(quillon::IDC_DA10_FILTER, da10_);
  exchange.check(quillon::IDC_DA20_FILTER, da20_);
  exchange.text(quillon::IDC_PROGID_FILTER, filter_);
  exchange.check(quillon::IDC_CASE_SENSITIVE, caseSensitive_);
}

bool CServerSelectDialog::OnInitDialog() {
  gui::Dialog::OnInitDialog();
  tree_.Attach(*this, quillon::IDC_MACHINE_TREE);

  gui::ListCtrl list = listCtrl(quillon::IDC_SERVER_LIST);
  list.InsertColumn(0, kDescriptionHeader, gui::LVCFMT_LEFT, list.GetStringWidth(kDescriptionHeader) + 15);
  list.InsertColumn(1, kProgIdHeader, gui::LVCFMT_LEFT, list.GetStringWidth(kProgIdHeader) + 15);

  started_ = true;
  if (SUCCEEDED(CoGetMalloc(MEMCTX_TASK, &taskAllocator_))) {
    FillList();
  } else {
    taskAllocator_ = nullptr;
  }
  return true;
}

void CServerSelectDialog::OnDestroy() {
  started_ = false;
  tree_.OnDestroy();
  if (taskAllocator_ != nullptr) {
    taskAllocator_->Release();
    taskAllocator_ = nullptr;
  }
}

void CServerSelectDialog::OnTreeSelectionChanged(gui::NotifyInfo& info) {
  if (!started_ || info.item == nullptr) return;
  UpdateData(true);
  listCtrl(quillon::IDC_SERVER_LIST).DeleteAllItems();
  const int kind = tree_.NodeKind(info.item);
  if (kind == kServerListNode) {
    control(quillon::IDC_DA20_FILTER).EnableWindow(true);
    ListFromServerList(tree_.ServerList(info.item));
  } else if (kind == kRegistryNode) {
    // The registry shows only servers registered the Data Access 1.0 way.
    control(quillon::IDC_DA20_FILTER).EnableWindow(false);
    ListFromRegistry();
  }
}

void CServerSelectDialog::OnListItemChanged(gui::NotifyInfo& info) {
  if (!started_) return;
  chosenRow_ = info.row;
  control(gui::IDOK).EnableWindow(chosenRow_ != -1);
}

void CServerSelectDialog::FillList() {
  if (!started_) return;
  UpdateData(true);
  listCtrl(quillon::IDC_SERVER_LIST).DeleteAllItems();
  chosenRow_ = -1;
  control(gui::IDOK).EnableWindow(false);
  const gui::TreeItem selected = tree_.tree().GetSelectedItem();
  const int kind = tree_.NodeKind(selected);
  if (kind == kServerListNode) ListFromServerList(tree_.ServerList(selected));
  if (kind == kRegistryNode) ListFromRegistry();
}

bool CServerSelectDialog::Matches(const QByteArray& progId, bool present) const {
  if (filter_.isEmpty()) return true;
  const QByteArray pattern = filter_.toLocal8Bit();
  return MatchProgIdPattern(present ? progId.constData() : nullptr, pattern.constData(), caseSensitive_);
}

void CServerSelectDialog::AppendRow(const QString& description, const QString& progId) {
  gui::ListCtrl list = listCtrl(quillon::IDC_SERVER_LIST);
  const int row = list.InsertItem(list.GetItemCount(), description);
  list.SetItemText(row, 1, progId);
}

void CServerSelectDialog::ListFromServerList(IOPCServerList* serverList) {
  // What the server list hands out is freed with the task allocator; without
  // one nothing can be asked.
  if (serverList == nullptr || taskAllocator_ == nullptr) return;
  std::vector<CATID> categories;
  if (da20_) categories.push_back(CATID_OPCDAServer20);
  if (da10_) categories.push_back(CATID_OPCDAServer10);
  if (categories.empty()) return;
  IEnumGUID* classes = nullptr;
  if (FAILED(serverList->EnumClassesOfCategories(static_cast<ULONG>(categories.size()), categories.data(), 0,
                                                 nullptr, &classes)) ||
      classes == nullptr) {
    return;
  }
  HRESULT failure = S_OK;
  classes->Reset();
  CLSID clsid{};
  ULONG fetched = 0;
  while (classes->Next(1, &clsid, &fetched) == S_OK) {
    LPOLESTR clsidText = nullptr;
    HRESULT hr = StringFromCLSID(clsid, &clsidText);
    if (FAILED(hr)) {
      failure = hr;
      break;
    }
    LPOLESTR progId = nullptr;
    LPOLESTR userType = nullptr;
    hr = serverList->GetClassDetails(clsid, &progId, &userType);
    if (FAILED(hr)) {
      taskAllocator_->Free(clsidText);
      failure = hr;
      break;
    }
    const QString progIdText = progId != nullptr ? QString::fromUtf16(progId) : QString();
    const QString description = userType != nullptr ? QString::fromUtf16(userType) : QString();
    if (Matches(progIdText.toLocal8Bit(), progId != nullptr)) AppendRow(description, progIdText);
    taskAllocator_->Free(clsidText);
    taskAllocator_->Free(progId);
    taskAllocator_->Free(userType);
  }
  classes->Release();
  if (FAILED(failure)) MessageBox(systemText(failure), "Error", gui::MB_ICONINFORMATION | gui::MB_OK);
}

void CServerSelectDialog::ListFromRegistry() {
  if (!da10_) return;
  char name[kNameSize];
  for (DWORD index = 0; RegEnumKeyA(HKEY_CLASSES_ROOT, index, name, sizeof name) == ERROR_SUCCESS; ++index) {
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_CLASSES_ROOT, name, &key) != ERROR_SUCCESS) continue;
    char mark[kNameSize];
    LONG markSize = sizeof mark;
    if (RegQueryValueA(key, "OPC", mark, &markSize) == ERROR_SUCCESS && Matches(QByteArray(name), true)) {
      char description[kNameSize] = {};
      LONG descriptionSize = sizeof description;
      if (RegQueryValueA(key, nullptr, description, &descriptionSize) != ERROR_SUCCESS) description[0] = '\0';
      AppendRow(QString::fromLocal8Bit(description), QString::fromLocal8Bit(name));
    }
    RegCloseKey(key);
  }
}

QString CServerSelectDialog::MachineOfSelection() const {
  CMachineTree& tree = const_cast<CMachineTree&>(tree_);
  const gui::TreeItem selected = tree.tree().GetSelectedItem();
  const int kind = tree.NodeKind(selected);
  if (kind != kServerListNode && kind != kRegistryNode) return {};
  const QString parentText = tree.tree().GetItemText(tree.tree().GetParentItem(selected));
  if (parentText != tree.computerFolderName()) return parentText;
  // A server on this computer is named with the computer's own name, so the
  // session reaches it the way it reaches any named machine.
  char computer[16] = {};
  DWORD size = sizeof computer;
  if (!GetComputerNameA(computer, &size)) return {};
  return QStringLiteral("\\\\") + QString::fromLocal8Bit(computer);
}

void CServerSelectDialog::OnOK() {
  if (chosenRow_ == -1) return;
  progId_ = listCtrl(quillon::IDC_SERVER_LIST).GetItemText(chosenRow_, 1);
  machine_ = MachineOfSelection();
  EndDialog(gui::IDOK);
}
