#include "dialogs/text_param_dialog.h"

#include <iterator>

#include "resources/parameter_dialog_ids.h"

namespace {

struct ModeTexts {
  const char* caption;
  const char* label;
};

constexpr ModeTexts kModes[] = {
    {"IOPCBrowseServerAddressSpace::GetItemID", "Name of the BRANCH or LEAF"},
    {"IOPCBrowseServerAddressSpace::BrowseAccessPaths", "Fully Qualified ItemID"},
    {"IOPCGroupStateMgt::SetName", "New Name for the Group"},
    {"IOPCGroupStateMgt::CloneGroup", "Name of the new Group"},
    {"IOPCCommon::GetErrorString", "Specify the error code as hex value"},
    {"IOPCCommon::SetClientName", "The client name to be registered"},
};

}  // namespace

CTextParamDialog::CTextParamDialog(int mode, gui::Window* owner)
    : gui::Dialog(quillon::IDD_TEXT_PARAM, owner), mode_(mode) {}

bool CTextParamDialog::OnInitDialog() {
  if (mode_ >= 0 && mode_ < static_cast<int>(std::size(kModes))) {
    SetWindowText(kModes[mode_].caption);
    SetDlgItemText(quillon::IDC_PARAM_LABEL, kModes[mode_].label);
  }
  return gui::Dialog::OnInitDialog();
}

void CTextParamDialog::DoDataExchange(gui::DataExchange& exchange) {
  exchange.text(quillon::IDC_PARAM_FIELD, text);
}
