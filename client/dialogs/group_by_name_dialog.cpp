#include "dialogs/group_by_name_dialog.h"

#include <iterator>

#include "com/interfaces/connection_points.h"
#include "com/interfaces/data_object.h"
#include "dialogs/choice_entries.h"
#include "opc/group.h"
#include "resources/parameter_dialog_ids.h"

using namespace quillon;

namespace {

struct InterfaceChoice {
  const char* name;
  const IID* iid;
};

// In the order the list offers them; an entry's item data is its index here.
const InterfaceChoice kInterfaces[] = {
    {"IUnknown", &IID_IUnknown},
    {"IOPCGroupStateMgt", &IID_IOPCGroupStateMgt},
    {"IOPCPublicGroupStateMgt", &IID_IOPCPublicGroupStateMgt},
    {"IOPCItemMgt", &IID_IOPCItemMgt},
    {"IOPCSyncIO", &IID_IOPCSyncIO},
    {"IOPCAsyncIO2", &IID_IOPCAsyncIO2},
    {"IConnectionPointContainer", &IID_IConnectionPointContainer},
    {"IOPCAsyncIO", &IID_IOPCAsyncIO},
    {"IDataObject", &IID_IDataObject},
};

}  // namespace

CGroupByNameDialog::CGroupByNameDialog(int mode, gui::Window* owner)
    : gui::Dialog(IDD_GROUP_BY_NAME, owner), mode_(mode) {}

bool CGroupByNameDialog::OnInitDialog() {
  if (mode_ == kPublicGroup) SetWindowText("IOPCServerPublicGroups::GetPublicGroupByName");
  if (mode_ == kPrivateGroup) SetWindowText("IOPCServer::GetGroupByName");
  gui::ComboBox list = comboBox(IDC_INTERFACE_TYPE);
  for (std::size_t i = 0; i < std::size(kInterfaces); ++i) {
    const int index = list.AddString(kInterfaces[i].name);
    if (index >= 0) list.SetItemData(index, i);
  }
  list.SetCurSel(0);
  return gui::Dialog::OnInitDialog();
}

void CGroupByNameDialog::DoDataExchange(gui::DataExchange& exchange) {
  exchange.text(IDC_GROUP_NAME, groupName);
}

void CGroupByNameDialog::OnOK() {
  if (!UpdateData(true)) return;
  gui::ComboBox list = comboBox(IDC_INTERFACE_TYPE);
  const int selected = list.GetCurSel();
  const DWORD_PTR choice = selected < 0 ? std::size(kInterfaces) : list.GetItemData(selected);
  if (choice >= std::size(kInterfaces)) {
    // Without an interface there is nothing to ask the server for: the
    // dialog stays open until the user picks one or cancels.
    MessageBox("No interface selected");
    GotoDlgCtrl(IDC_INTERFACE_TYPE);
    return;
  }
  interfaceId = *kInterfaces[choice].iid;
  interfaceType = kInterfaces[choice].name;
  EndDialog(gui::IDOK);
}
