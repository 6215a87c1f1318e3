// The template of the data-advise dialog: the list of the latest data on
// top, the group's percent deadband and the callback count below it.

#include "gui/resources.h"
#include "resources/advise_data_ids.h"
#include "resources/quillon_resources.h"

namespace quillon {

void RegisterAdviseDataTemplate() {
  using namespace gui::dlg;
  const unsigned kShownNumber = gui::kReadOnly | gui::kAutoHScroll;
  gui::Resources::instance().addDialog(
      {IDD_ADVISE_DATA,
       "Advise Data WithTimestamps",
       334,
       126,
       {},
       {listBox(IDC_ADVISE_DATA_LIST, {7, 7, 320, 60},
                gui::kTabStop | gui::kVScroll | gui::kHScroll | gui::kNoIntegralHeight),
        groupBox("", {7, 70, 320, 25}),
        label(IDC_ADVISE_PERCENT_DEADBAND_LABEL, "Percent Deadband", {10, 81, 61, 8}),
        edit(IDC_ADVISE_PERCENT_DEADBAND, {75, 79, 40, 12}, kShownNumber),
        label("Number of Callbacks", {195, 81, 66, 8}),
        edit(IDC_ADVISE_CALLBACK_COUNT, {265, 79, 55, 12}, kShownNumber),
        defaultButton(gui::IDOK, "Close", {141, 105, 50, 14})}});
}

}  // namespace quillon
