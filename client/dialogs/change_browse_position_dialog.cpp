#include "dialogs/change_browse_position_dialog.h"

#include "resources/parameter_dialog_ids.h"
#include "session/browse_position.h"

using namespace quillon;

CChangeBrowsePositionDialog::CChangeBrowsePositionDialog(gui::Window* owner)
    : gui::Dialog(IDD_CHANGE_BROWSE_POSITION, owner) {
  for (int id : {IDC_BROWSE_UP, IDC_BROWSE_DOWN, IDC_BROWSE_TO}) {
    mapControlCode(id, gui::BN_CLICKED, &CChangeBrowsePositionDialog::OnDirection);
  }
}

bool CChangeBrowsePositionDialog::OnInitDialog() {
  SetDlgItemText(IDC_BROWSE_POSITION, QString::fromStdString(CurrentBrowsePosition()));
  const bool result = gui::Dialog::OnInitDialog();
  OnDirection();
  return result;
}

void CChangeBrowsePositionDialog::DoDataExchange(gui::DataExchange& exchange) {
  int index = static_cast<int>(direction) - 1;
  exchange.radio(IDC_BROWSE_UP, index);
  if (exchange.saveAndValidate() && index >= 0) direction = static_cast<OPCBROWSEDIRECTION>(index + 1);
  exchange.text(IDC_BRANCH, branch);
}

void CChangeBrowsePositionDialog::OnDirection() {
  // Moving up needs no branch name.
  control(IDC_BRANCH).EnableWindow(IsDlgButtonChecked(IDC_BROWSE_UP) != gui::BST_CHECKED);
}
